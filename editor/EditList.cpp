#include "editor/EditList.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <ctime>

#include "common/Clock.h"
#include "framework/Handles.h"
#include "framework/Text.h"

namespace tb {

namespace {

constexpr int kSortColumns[] = {kEditColumnName, kEditColumnExt, kEditColumnAction,
                                kEditColumnDate, kEditColumnSize, kEditColumnLocation};
int g_sortFlags[6] = {0, 0, 0, 0, 1, 0};

int SortColumnIndex(int column) {
    for (int i = 0; i < 6; ++i)
        if (kSortColumns[i] == column) return i;
    return 0;
}

// "%m/%d/%y  %H:%M" of a file time, in local time.
std::string DiskDateText(const FILETIME& written) {
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&written, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    return Format("%02u/%02u/%02u  %02u:%02u", unsigned(local.wMonth), unsigned(local.wDay),
                  unsigned(local.wYear % 100), unsigned(local.wHour), unsigned(local.wMinute));
}

// What the disk holds under a path: how many files it names (a wildcard path
// may name several; 2 stands for "more than one"), and the one file's length
// and last-write time.
struct DiskMatch {
    int count = 0;
    int64_t size = 0;
    FILETIME written{};
};

DiskMatch LookUpOnDisk(const std::string& path) {
    DiskMatch match;
    if (path.find_first_of("*?") == std::string::npos) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return match;
        match.count = 1;
        match.size = (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        match.written = data.ftLastWriteTime;
        return match;
    }
    WIN32_FIND_DATAA data{};
    UniqueFind find(::FindFirstFileA(path.c_str(), &data));
    if (!find) return match;
    match.count = 1;
    match.size = (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    match.written = data.ftLastWriteTime;
    if (::FindNextFileA(find.Get(), &data)) match.count = 2;
    return match;
}

const char* ActionLabel(int action) {
    switch (action) {
    case ActionAdd: return "ADD";
    case ActionUpdate: return "UPDATE";
    case ActionKeep: return "----- ";
    case ActionRemove: return "REMOVE";
    default: return "       ";
    }
}

// Text after the first '.' of a name (all of it without one).
std::string AfterFirstDot(const std::string& name) {
    const size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

}  // namespace

void SplitEntryPath(const std::string& path, std::string& name, std::string& folder) {
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash == 0) {
        name = path;
        folder.clear();
        return;
    }
    name = path.substr(slash + 1);
    folder = path.substr(0, slash);
}

int64_t EntryDateTime(const std::string& dateText) { return ParseEntryDate(dateText); }

std::string EditSizeText(int64_t value) {
    const long long v = value;
    if (v > 1000000) return Format("%3.0lliM", v / 1000000);
    if (v > 1000) return Format("%3.0lliK", v / 1000);
    return Format("%3.0lli", v);
}

std::string FormatRow(const EditEntry& entry, int sizeMode) {
    std::string base = entry.name;
    if (entry.flags & kEntryFlagEncrypted) base += "+";
    std::string extension;
    const size_t dot = base.find_last_of('.');
    if (dot != std::string::npos) {
        extension = base.substr(dot + 1) + " ";
        base.resize(dot);
    }
    if (base.empty()) {
        base = "    ";
        extension = "    ";
    }
    std::string size;
    if (sizeMode == kShowCompressedSizes && (entry.action == ActionAdd || entry.action == ActionUpdate))
        size = "-------";  // not known before the file is compressed
    else
        size = EditSizeText(sizeMode == kShowCompressedSizes ? entry.compressedSize : entry.size);
    return "\t" + base + "\t" + extension + "\t" + ActionLabel(entry.action) + "\t" + entry.dateText + "\t" + size +
           "\t" + entry.folder;
}

int& EditSortFlag(int column) { return g_sortFlags[SortColumnIndex(column)]; }

bool ToggleEditSort(int column, int& sizeMode) {
    int& flag = EditSortFlag(column);
    if (column != kEditColumnSize) {
        flag = !flag;
    } else if (flag == 1) {
        // Each second click changes what the column shows.
        flag = 0;
        sizeMode = sizeMode == kShowCompressedSizes ? kShowSizes : kShowCompressedSizes;
    } else {
        flag = 1;
    }
    return flag == 1;
}

// ---- the list ------------------------------------------------------------------------

void CEditList::Clear() {
    m_entries.clear();
    m_byKey.clear();
    m_indexValid = false;
}

EditEntry CEditList::MakeCandidate(const std::string& path, const std::string& dateText, int64_t compressedSize,
                                   int64_t size) const {
    EditEntry e;
    SplitEntryPath(path, e.name, e.folder);
    e.path = path;
    e.matchKey = ToUpper(path);
    e.dateText = dateText;
    e.size = size;
    e.compressedSize = compressedSize;
    if (!dateText.empty()) {
        e.time = EntryDateTime(dateText);
        return e;
    }
    const DiskMatch disk = LookUpOnDisk(path);
    if (disk.count == 1) {
        e.time = int64_t(TicksOf(disk.written));
        if (size == -1) e.size = disk.size;
        e.dateText = DiskDateText(disk.written);
    } else if (disk.count > 1) {
        e.time = LocalTimeTicks(1970, 1, 1, 12, 0, 0);
    } else if (size == -1) {
        e.size = 0;  // gone from the disk: nothing to show
    }
    return e;
}

int CEditList::ApplyEntry(const std::string& path, int operation, int index, const std::string& dateText,
                          int64_t compressedSize, int64_t size) {
    if (operation & (OpClear | OpClearToo)) {
        Clear();
        return 0;
    }
    if (operation & OpToggleRemove) {
        if (index < 0 || size_t(index) >= m_entries.size()) return 0;
        Toggle(index);
        return 0;
    }
    EditEntry candidate = MakeCandidate(path, dateText, compressedSize, size);

    const int match = (operation & (OpFreshen | OpArchiveItem)) ? -1 : FindSameFile(candidate.matchKey);

    if ((operation & (OpAddFile | OpArchiveItem)) && match < 0) {
        if (operation & OpArchiveItem) {
            candidate.action = ActionKeep;
            candidate.storedName = candidate.path;
            if (operation & OpEncrypted) candidate.flags = kEntryFlagEncrypted;
        } else {
            candidate.action = ActionAdd;
        }
        m_entries.push_back(std::move(candidate));
        if (m_indexValid) IndexAdd(m_entries.back().matchKey, int(m_entries.size()) - 1);
        return 1;
    }
    if (operation & OpFreshen) {
        const int target = FindFreshenTarget(path);
        if (target >= 0) {
            EditEntry& entry = m_entries[size_t(target)];
            entry.action = ActionUpdate;
            TakeDiskFile(candidate, entry);
            entry.compressedSize = compressedSize;
        }
        return 1;
    }
    if ((operation & OpAddFile) && match >= 0) {
        EditEntry& entry = m_entries[size_t(match)];
        if (entry.action == ActionKeep) {
            entry.action = ActionUpdate;
            TakeDiskFile(candidate, entry);
        }
        return 1;
    }
    return 1;
}

// The disk file takes the entry's place in the list; size and time stay the
// archive item's.
void CEditList::TakeDiskFile(const EditEntry& candidate, EditEntry& target) {
    const int index = int(&target - m_entries.data());
    if (m_indexValid) IndexRemove(target.matchKey, index);
    target.path = candidate.path;
    target.name = candidate.name;
    target.folder = candidate.folder;
    target.matchKey = candidate.matchKey;
    target.dateText = candidate.dateText;
    target.flags = 0;
    if (m_indexValid) IndexAdd(target.matchKey, index);
}

void CEditList::Toggle(int index) {
    EditEntry& entry = m_entries[size_t(index)];
    if (entry.action == ActionKeep || entry.action == ActionRemove) {
        entry.action = entry.action == ActionKeep ? ActionRemove : ActionKeep;
        if (m_rows) m_rows->RowChanged(index);
        return;
    }
    // A pending addition or replacement is dropped.
    m_entries.erase(m_entries.begin() + index);
    m_indexValid = false;
    if (m_rows) m_rows->RowRemoved(index);
}

// ---- matching ------------------------------------------------------------------------

void CEditList::EnsureIndex() {
    if (m_indexValid) return;
    m_byKey.clear();
    m_byKey.reserve(m_entries.size() * 2 + 16);
    for (size_t i = 0; i < m_entries.size(); ++i) m_byKey[m_entries[i].matchKey].push_back(int(i));
    m_indexValid = true;
}

void CEditList::IndexAdd(const std::string& key, int index) {
    std::vector<int>& holders = m_byKey[key];
    holders.insert(std::lower_bound(holders.begin(), holders.end(), index), index);
}

void CEditList::IndexRemove(const std::string& key, int index) {
    auto found = m_byKey.find(key);
    if (found == m_byKey.end()) return;
    std::vector<int>& holders = found->second;
    auto at = std::lower_bound(holders.begin(), holders.end(), index);
    if (at != holders.end() && *at == index) holders.erase(at);
    if (holders.empty()) m_byKey.erase(found);
}

// The first entry holding `key`: any entry (folderWanted -1), one with a
// folder (1) or one without (0).
int CEditList::FirstIndexed(const std::string& key, int folderWanted) const {
    auto found = m_byKey.find(key);
    if (found == m_byKey.end()) return -1;
    for (int index : found->second) {
        const bool hasFolder = !m_entries[size_t(index)].folder.empty();
        if (folderWanted < 0 || hasFolder == (folderWanted == 1)) return index;
    }
    return -1;
}

int CEditList::FindSameFile(const std::string& key) {
    EnsureIndex();
    int best = INT_MAX;
    // The whole key, then what follows each backslash: C:\DOCS\A.TXT,
    // DOCS\A.TXT, A.TXT.
    size_t start = 0;
    while (true) {
        const int index = FirstIndexed(key.substr(start), -1);
        if (index >= 0 && index < best) best = index;
        const size_t slash = key.find('\\', start);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return best == INT_MAX ? -1 : best;
}

int CEditList::FindPath(const std::string& path) {
    EnsureIndex();
    return FirstIndexed(ToUpper(path), -1);
}

int CEditList::FindFreshenTarget(const std::string& path) {
    EnsureIndex();
    const std::string shortPath = ToUpper(path.size() > 1 && path[1] == ':' ? path.substr(std::min<size_t>(3, path.size())) : path);
    const size_t slash = shortPath.find_last_of('\\');
    const std::string fileName = slash == std::string::npos ? shortPath : shortPath.substr(slash + 1);
    const int stored = FirstIndexed(shortPath, 1);
    const int byName = FirstIndexed(fileName, 0);
    if (stored < 0) return byName;
    if (byName < 0) return stored;
    return std::min(stored, byName);
}

// ---- sorting ------------------------------------------------------------------------

void CEditList::Sort(int column, bool ascending, int sizeMode) {
    const size_t n = m_entries.size();
    if (n == 0) return;
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = i;
    auto sortBy = [&](auto key) {
        using Key = decltype(key(m_entries[0]));
        std::vector<Key> keys;
        keys.reserve(n);
        for (const EditEntry& e : m_entries) keys.push_back(key(e));
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    };
    switch (column) {
    case kEditColumnName: sortBy([](const EditEntry& e) { return ToUpper(e.name); }); break;
    case kEditColumnExt: sortBy([](const EditEntry& e) { return ToUpper(AfterFirstDot(e.name)); }); break;
    case kEditColumnAction: sortBy([](const EditEntry& e) { return e.action; }); break;
    case kEditColumnDate: sortBy([](const EditEntry& e) { return e.time; }); break;
    case kEditColumnSize:
        sortBy([sizeMode](const EditEntry& e) { return sizeMode == kShowCompressedSizes ? e.compressedSize : e.size; });
        break;
    case kEditColumnLocation: sortBy([](const EditEntry& e) { return ToUpper(e.folder); }); break;
    default: return;
    }
    if (!ascending) std::reverse(order.begin(), order.end());
    std::vector<EditEntry> sorted;
    sorted.reserve(n);
    for (size_t i : order) sorted.push_back(std::move(m_entries[i]));
    m_entries.swap(sorted);
    m_indexValid = false;
}

}  // namespace tb

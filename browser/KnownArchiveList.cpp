#include "browser/KnownArchiveList.h"

#include <windows.h>

#include <algorithm>

#include "common/NumberedList.h"
#include "common/Profile.h"
#include "framework/Handles.h"
#include "framework/Text.h"

namespace tb {

namespace {
constexpr char kZipsSection[] = "Zips";
constexpr int kMaxStoredArchives = 10000;

int64_t FromFileTime(const FILETIME& ft) {
    return (int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

int64_t UnreadableFileTime() {
    SYSTEMTIME local{};
    local.wYear = 1990;
    local.wMonth = 11;
    local.wDay = 2;
    local.wHour = 9;
    FILETIME localTime{}, utc{};
    ::SystemTimeToFileTime(&local, &localTime);
    ::LocalFileTimeToFileTime(&localTime, &utc);
    return FromFileTime(utc);
}

// Sorts by `key` ascending when `ascending` is 1, else descending; equal keys
// keep no particular order.
template <typename Key>
void SortEntries(std::vector<KnownArchive>& entries, Key key, bool ascending) {
    std::vector<std::pair<decltype(key(entries[0])), size_t>> index;
    if (entries.empty()) return;
    index.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) index.emplace_back(key(entries[i]), i);
    std::sort(index.begin(), index.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (!ascending) std::reverse(index.begin(), index.end());
    std::vector<KnownArchive> sorted;
    sorted.reserve(entries.size());
    for (const auto& item : index) sorted.push_back(entries[item.second]);
    entries.swap(sorted);
}
}  // namespace

int64_t ArchiveFileTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return FromFileTime(data.ftLastWriteTime);
    return UnreadableFileTime();
}

int CKnownArchiveList::Find(const std::string& path) const {
    if (path.empty()) return -1;
    const std::string needle = ToLower(path);
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (ToLower(m_entries[i].path).find(needle) != std::string::npos) return int(i);
    return -1;
}

int CKnownArchiveList::AddArchive(const std::string& path) {
    // An empty name would be "contained" in every entry; it is never an archive.
    if (path.empty() || Find(path) >= 0) return 0;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    m_entries.insert(m_entries.begin(), KnownArchive{path, ArchiveFileTime(path)});
    m_listChanged = 1;
    return 1;
}

void CKnownArchiveList::RemoveAt(int index) {
    if (index >= 0 && index < Count()) m_entries.erase(m_entries.begin() + index);
}

void CKnownArchiveList::Clear() { m_entries.clear(); }

// The section is read and written whole: key by key, ten thousand archives
// would take the profile functions tens of seconds.
void CKnownArchiveList::ReadArchiveList() {
    const CIniSection zips(kZipsSection);
    for (int n = 1; n <= kMaxStoredArchives; ++n) {
        std::string value = zips.Value(Format("Zip%i", n), kStringBuffer);
        if (value.empty()) break;
        AddArchive(value);
    }
}

void CKnownArchiveList::WriteArchiveList() const {
    std::vector<std::pair<std::string, std::string>> assignments;
    int n = 1;
    for (const KnownArchive& entry : m_entries) {
        if (entry.path.empty()) break;
        assignments.emplace_back(Format("Zip%i", n++), entry.path);
    }
    assignments.emplace_back(Format("Zip%i", n), "");
    CIniSection(kZipsSection).Write(assignments);
}

std::string CKnownArchiveList::FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string CKnownArchiveList::NameOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CKnownArchiveList::SortByName() {
    m_sortByName = !m_sortByName;
    SortEntries(m_entries, [](const KnownArchive& a) { return ToLower(NameOf(a.path)); }, m_sortByName == 1);
}

void CKnownArchiveList::SortByDate() {
    m_sortByDate = !m_sortByDate;
    SortEntries(m_entries, [](const KnownArchive& a) { return a.time; }, m_sortByDate == 1);
}

void CKnownArchiveList::SortByLocation() {
    // This kind runs the other way: 1 gives descending folders, 0 ascending.
    m_sortByLocation = !m_sortByLocation;
    SortEntries(m_entries, [](const KnownArchive& a) { return ToLower(FolderOf(a.path)); },
                m_sortByLocation == 0);
}

}  // namespace tb

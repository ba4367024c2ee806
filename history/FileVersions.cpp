#include "history/FileVersions.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "framework/Text.h"
#include "ziplib/dll/ZipRecords.h"

namespace tb {

namespace {

char Fold(char c) {
    if (c >= 'A' && c <= 'Z') return char(c - 'A' + 'a');
    if (c == '/') return '\\';
    return c;
}

// Wildcard match of `pattern` (already folded) against text, letters folded as
// they are compared. Iterative: a '*' remembers where to resume.
bool WildcardMatch(const std::string& pattern, const char* text, size_t length) {
    size_t p = 0, t = 0, star = std::string::npos, resume = 0;
    while (t < length) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == Fold(text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string FoldedPath(const std::string& path) {
    std::string folded(path);
    for (char& c : folded) c = Fold(c);
    return folded;
}

int LocalDayKey(FileTicks ticks) {
    FILETIME utc{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)}, local{};
    SYSTEMTIME day{};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &day)) return 0;
    return day.wYear * 10000 + day.wMonth * 100 + day.wDay;
}

bool CopyBefore(const VersionCopy& a, const VersionCopy& b) {
    if (a.SortKey() != b.SortKey()) return a.SortKey() < b.SortKey();
    if (a.archiveTime != b.archiveTime) return a.archiveTime < b.archiveTime;
    return a.archive < b.archive;
}

}  // namespace

bool VersionCopy::Encrypted() const { return (flags & kZipInfoEncrypted) != 0; }

int VersionCopy::SortKey() const { return date.IsDated() ? date.SortKey() : LocalDayKey(archiveTime); }

std::string VersionCopy::DayText() const {
    if (date.IsDated()) return date.Text();
    const size_t slash = archive.find_last_of("\\/");
    return slash == std::string::npos ? archive : archive.substr(slash + 1);
}

std::string FileVersion::DaysText() const {
    const std::string first = First().DayText(), last = Last().DayText();
    return first == last ? first : first + " - " + last;
}

bool SameContent(const IndexedEntry& a, const IndexedEntry& b) {
    if (a.size != b.size || a.crc != b.crc) return false;
    const bool unknownA = (a.flags & kZipInfoAes) && a.crc == 0 && a.size != 0;
    const bool unknownB = (b.flags & kZipInfoAes) && b.crc == 0 && b.size != 0;
    return !unknownA && !unknownB;
}

std::string NormalizePattern(const std::string& typed) {
    std::string pattern = Trimmed(typed);
    while (!pattern.empty() && pattern.front() == '"') pattern.erase(0, 1);
    while (!pattern.empty() && pattern.back() == '"') pattern.pop_back();
    pattern = Trimmed(pattern);
    for (char& c : pattern)
        if (c == '/') c = '\\';
    if (pattern.size() >= 2 && pattern[1] == ':' && std::isalpha(static_cast<unsigned char>(pattern[0])))
        pattern.erase(0, 2);
    if (pattern.find('\\') != std::string::npos)
        while (!pattern.empty() && pattern.front() == '\\') pattern.erase(0, 1);
    return pattern;
}

bool MatchesFilePattern(const std::string& pattern, const char* name, size_t length) {
    const std::string folded = FoldedPath(NormalizePattern(pattern));
    if (folded.empty()) return false;
    if (folded.find('\\') == std::string::npos) {
        size_t start = length;
        while (start > 0 && name[start - 1] != '/' && name[start - 1] != '\\') --start;
        return WildcardMatch(folded, name + start, length - start);
    }
    return WildcardMatch(folded, name, length);
}

bool MatchesFilePattern(const std::string& pattern, const std::string& name) {
    return MatchesFilePattern(pattern, name.data(), name.size());
}

VersionSearch CollectVersions(const CArchiveIndex& index, const std::vector<HistorySource>& sources,
                              const std::string& typed, size_t maxGroups) {
    VersionSearch search;
    const std::string pattern = FoldedPath(NormalizePattern(typed));
    if (pattern.empty()) return search;
    const bool wholePath = pattern.find('\\') != std::string::npos;

    // The copies of each stored path, with their entries for the content test.
    struct Found {
        VersionCopy copy;
        IndexedEntry entry;
    };
    std::map<std::string, std::pair<std::string, std::vector<Found>>> byPath;
    for (const HistorySource& source : sources) {
        const IndexedArchive* archive = index.Find(source.key.path);
        if (archive == nullptr || archive->state != IndexedArchive::State::Read) continue;
        const char* names = archive->names.data();
        for (const IndexedEntry& entry : archive->entries) {
            const char* name = names + entry.nameOffset;
            size_t start = 0;
            if (!wholePath) {
                start = entry.nameLength;
                while (start > 0 && name[start - 1] != '/' && name[start - 1] != '\\') --start;
            }
            if (!WildcardMatch(pattern, name + start, entry.nameLength - start)) continue;
            ++search.matchedEntries;
            std::string stored(name, entry.nameLength);
            std::string key = FoldedPath(stored);
            auto slot = byPath.find(key);
            if (slot == byPath.end()) {
                if (byPath.size() >= maxGroups) {
                    search.truncated = true;
                    continue;
                }
                std::string shown(stored);
                for (char& c : shown)
                    if (c == '/') c = '\\';
                slot = byPath.emplace(std::move(key), std::make_pair(std::move(shown), std::vector<Found>())).first;
            }
            Found found;
            found.copy.archive = source.key.path;
            found.copy.date = source.date;
            found.copy.archiveTime = source.key.writeTime;
            found.copy.entryName = std::move(stored);
            found.copy.position = entry.position;
            found.copy.modified = entry.modified;
            found.copy.flags = entry.flags;
            found.entry = entry;
            slot->second.second.push_back(std::move(found));
        }
    }

    for (auto& item : byPath) {
        std::vector<Found>& copies = item.second.second;
        std::stable_sort(copies.begin(), copies.end(),
                         [](const Found& a, const Found& b) { return CopyBefore(a.copy, b.copy); });
        FileVersionGroup group;
        group.path = item.second.first;
        std::vector<IndexedEntry> contents;  // the entry of each version's first copy
        for (Found& found : copies) {
            size_t v = 0;
            while (v < contents.size() && !SameContent(contents[v], found.entry)) ++v;
            if (v == contents.size()) {
                contents.push_back(found.entry);
                FileVersion version;
                version.crc = found.entry.crc;
                version.size = found.entry.size;
                group.versions.push_back(std::move(version));
            }
            group.versions[v].copies.push_back(std::move(found.copy));
        }
        std::stable_sort(group.versions.begin(), group.versions.end(), [](const FileVersion& a, const FileVersion& b) {
            return CopyBefore(b.Last(), a.Last());  // newest first
        });
        search.groups.push_back(std::move(group));
    }
    return search;
}

}  // namespace tb

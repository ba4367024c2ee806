#pragma once
// A file's versions across the archives: every entry whose name fits what the
// user typed, grouped by the path it was stored under; within a group the
// copies with the same content (CRC and size) make one version, shown with
// the first and the last day it was archived.

#include <cstdint>
#include <string>
#include <vector>

#include "history/ArchiveIndex.h"
#include "history/DatedArchives.h"

namespace tb {

// An archive the history looks in.
struct HistorySource {
    ArchiveKey key;
    ArchiveDate date;  // its day or month; not dated for an archive of another name
};

// One archived copy of a file.
struct VersionCopy {
    std::string archive;     // the archive's path
    ArchiveDate date;        // the archive's day or month (not dated: see DayText)
    FileTicks archiveTime = 0;  // the archive's last write (orders archives that are not dated)
    std::string entryName;   // as stored in the archive
    uint32_t position = 0;   // the entry's place in the archive
    int64_t modified = 0;    // the file's own modified time (FILETIME ticks, UTC)
    uint32_t flags = 0;      // the library's entry flags

    bool Encrypted() const;
    // yyyymmdd of the archive's day (day 00 for a month archive); for an
    // archive that is not dated, the local day of its last write.
    int SortKey() const;
    // "April 01 2001", "November 2026", or for an archive that is not dated its file name.
    std::string DayText() const;
};

struct FileVersion {
    uint32_t crc = 0;
    uint64_t size = 0;
    std::vector<VersionCopy> copies;  // oldest first

    const VersionCopy& First() const { return copies.front(); }
    const VersionCopy& Last() const { return copies.back(); }
    // "April 01 2001" or "April 01 2001 - April 03 2001".
    std::string DaysText() const;
};

struct FileVersionGroup {
    std::string path;                  // the stored name with backslashes, as first met
    std::vector<FileVersion> versions; // newest first
};

// Two copies hold the same content when their sizes and CRCs agree; an AES
// entry whose CRC is not stored (AE-2) is never taken for another.
bool SameContent(const IndexedEntry& a, const IndexedEntry& b);

// Whether a stored entry name fits the user's pattern: * and ? as wildcards,
// letters in any case. A pattern without a folder separator is matched with
// the file name; one with a separator with the whole stored path (\ and /
// alike; a leading drive like "C:\" is left out, as the archives keep none).
bool MatchesFilePattern(const std::string& pattern, const char* name, size_t length);
bool MatchesFilePattern(const std::string& pattern, const std::string& name);
// The pattern as it is matched: blanks and quotes around it removed, folder
// separators made backslashes, a leading drive and backslashes left out.
std::string NormalizePattern(const std::string& typed);

struct VersionSearch {
    std::vector<FileVersionGroup> groups;  // by path, letters in any case
    size_t matchedEntries = 0;
    bool truncated = false;                // more than `maxGroups` files fit the pattern
};

// The versions of the files that fit `pattern` in the indexed archives of
// `sources` (sources the index does not hold, or holds as damaged, are left
// out). At most `maxGroups` files are kept.
VersionSearch CollectVersions(const CArchiveIndex& index, const std::vector<HistorySource>& sources,
                              const std::string& pattern, size_t maxGroups = 2000);

}  // namespace tb

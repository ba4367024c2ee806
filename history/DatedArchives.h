#pragma once
// The names of the archives the program writes by the calendar, in one place:
// the day's archive of the automatic run ("April 01 2001.zip") and the month
// archive that old days are folded into ("November 2026.zip"). Both are read
// back from file names, so the File History, catch-up and the folding of old
// days agree on which files of a folder are the program's dated archives.

#include <ctime>
#include <string>
#include <vector>

#include "common/Clock.h"

namespace tb {

// What a file name says about the calendar.
struct ArchiveDate {
    enum class Kind { None, Day, Month };
    Kind kind = Kind::None;
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31 for a day's archive, 0 for a month archive

    bool IsDay() const { return kind == Kind::Day; }
    bool IsMonth() const { return kind == Kind::Month; }
    bool IsDated() const { return kind != Kind::None; }
    // yyyymmdd; a month archive has day 00, so it orders before the days of
    // its month that are still kept on their own (those are the newer ones).
    int SortKey() const { return IsDated() ? year * 10000 + month * 100 + day : 0; }
    // "April 01 2001" or "November 2026"; empty when not dated.
    std::string Text() const;
    // The file name: "April 01 2001.zip" or "November 2026.zip"; empty when not dated.
    std::string FileName() const;

    static ArchiveDate DayOf(int year, int month, int day);
    static ArchiveDate MonthOf(int year, int month);
    // The day of a local calendar time.
    static ArchiveDate DayOf(const std::tm& local);
};

bool operator==(const ArchiveDate& a, const ArchiveDate& b);
inline bool operator!=(const ArchiveDate& a, const ArchiveDate& b) { return !(a == b); }

// The full English month name of 1..12 ("January"); empty otherwise.
std::string MonthName(int month);

// "%B %d %Y.zip" of a local time: full month name, two-digit day, four-digit
// year (the automatic run's archive of that day).
std::string DatedArchiveName(const std::tm& local);
// "%B %Y.zip": the month archive of `month` (1..12) of `year`.
std::string MonthArchiveName(int year, int month);

// Reads a file name (no folder) written as one of the two forms above: the
// month name in full (letters in any case, as the file system does not tell
// them apart), one blank, two-digit day, one blank, four-digit year, ".zip"; or
// the month name, one blank, four-digit year, ".zip". The day must exist in
// that month and the year lie in 1601..9999. Anything else is not dated.
ArchiveDate ParseArchiveDate(const std::string& fileName);

// The folder, a backslash unless it is empty or ends with one, then the name.
std::string ArchivePath(const std::string& folder, const std::string& name);

// A dated or month archive found in a folder.
struct DatedArchive {
    std::string path;             // folder joined with the file name
    ArchiveDate date;
    unsigned long long size = 0;  // bytes
    FileTicks writeTime = 0;      // last write, 100-ns units since 1601 (UTC)
};

// The dated and month archives directly in `folder` (no subfolders; folders
// named like archives are left out), oldest first by SortKey, then by path.
// A missing or unreadable folder has none.
std::vector<DatedArchive> ListDatedArchives(const std::string& folder);

}  // namespace tb

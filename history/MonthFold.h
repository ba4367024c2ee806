#pragma once
// Folding old day archives into one archive per month. The day archives are
// incremental (each holds what changed that day), so the month archive keeps,
// for every file found in the month's archives, its newest copy; copies that
// a newer one replaced are dropped, and nothing else changes.
//
// Which copy is kept: the one from the latest day that holds the file, as the
// last archived state of a file is the one the latest run took, whatever
// time the file itself carries (a file put back from a backup, or written
// under a wrong clock, has an older time than the copy it replaced). A month
// archive stands for the last day folded into it. The file's own time only
// breaks ties between copies of one day (its Unix time when both copies
// carry one, else its MS-DOS time); then the later archive, and within one
// archive the later entry. Names are compared as Windows
// compares file names: without regard to case, '\' and '/' alike.

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "history/DatedArchives.h"

namespace tb {

// One entry of an archive, as the plan needs it.
struct FoldEntry {
    std::string name;
    unsigned dosTime = 0;
    bool haveUnixTime = false;
    long long unixTime = 0;
};

// One archive that takes part: its entries in central directory order, and
// its place in time: a day archive's day; for a month archive, the last day
// folded into it (a day), or the month itself when that is not known (it
// then orders before every day of its month).
struct FoldSource {
    ArchiveDate date;
    std::vector<FoldEntry> entries;
};

// An entry of the month archive: entry `entry` of source `source`.
struct FoldPick {
    size_t source = 0;
    size_t entry = 0;
    bool operator==(const FoldPick& other) const { return source == other.source && entry == other.entry; }
};

// The month archive's entries, the last archived copy of each name, in the
// order the names first appear.
std::vector<FoldPick> PlanMonthFold(const std::vector<FoldSource>& sources);

// The month archive's comment: it records the last day folded into it, the
// month archive's place in time when it is folded into again.
std::string FoldedUpToComment(const ArchiveDate& lastDay);
// The last day a month archive's comment records; not dated when it records none.
ArchiveDate FoldedUpTo(const std::string& comment);

// The name as file names are compared ("Docs\A.txt" and "docs/a.TXT" alike).
std::string FoldKey(const std::string& name);

// The day archives of a folder's listing that are due for folding on `today`
// (only its year, month and day count): those more than `days` days older
// than today, grouped by month, oldest month first. A month archive found in
// the listing is given with its days, to be folded into.
struct MonthToFold {
    int year = 0, month = 0;
    std::vector<DatedArchive> days;  // oldest first
    std::string monthArchive;        // the month archive already there; empty when none
};
std::vector<MonthToFold> MonthsDueForFolding(const std::vector<DatedArchive>& listing, const std::tm& today, int days);

}  // namespace tb

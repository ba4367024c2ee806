#pragma once
// Folding a folder's old day archives into one archive per month, on the
// disk. For each month due (MonthsDueForFolding), the month archive
// ("November 2026.zip", beside the days; folded into when it is there) is
// written with the last archived copy of every file of the month's archives
// (PlanMonthFold), the entries copied raw by the ZIP library (encrypted ones
// stay encrypted, no password is asked). It is read back before it takes its
// place: every record the same bytes as its source's, every entry that is
// not encrypted decoded against its CRC. A day holding a damaged entry that
// would be kept is left out whole and stays as it is. Only then are the day
// archives removed, each only when it has not changed since it was read and
// every name it holds is in the month archive. Whatever fails (a full disk, a
// locked or damaged file, a stop) leaves the day archives as they were.
//
// Only files named as dated archives directly in the folder are touched.
// It runs on any thread; it shows nothing.

#include <atomic>
#include <ctime>
#include <string>
#include <vector>

namespace tb {

struct ConsolidationResult {
    std::vector<std::string> written;   // month archives written
    std::vector<std::string> removed;   // day archives folded and removed
    std::vector<std::string> problems;  // what was left alone, and why
};

// `today` gives the day (local calendar); day archives more than `days` days
// older are folded. `stop` ends the work at the next entry, leaving the
// month being written as it was.
void ConsolidateFolder(const std::string& folder, const std::tm& today, int days, const std::atomic<bool>& stop,
                       ConsolidationResult& result);

}  // namespace tb

#pragma once
// The reconciliation walk: the change monitor's notifications are the fast
// way to learn where files changed, but they can be missed (Wine reports no
// changes deep below a watched folder that it has not seen, and nothing is
// watched between a watch period's end and the next one's arming). The walk
// looks at every file of the watched drives and records in "Changes" the
// folder that stands for each file the next run is due to take, so the run
// lists it whatever notifications arrived. It runs on the directory-list
// worker thread and stops at once when the worker is told to quit.

#include <functional>
#include <string>
#include <vector>

#include "autoarchive/DueRule.h"
#include "monitor/ChangeTrackingSettings.h"

namespace tb {

// The folder whose record stands for a change in `folder`, as the monitor
// records it: the folder itself down to the second level, its second-level
// ancestor below that (a recorded second-level folder stands for its tree).
std::string WatchOwnerOf(const std::string& folder);

// Where the walk looks and what it leaves out, as the monitor's watches do.
struct WatchedPlaces {
    ChangeTrackingSettings settings;
    std::string tempFolder;
    std::string internetCacheFolder;
};

// The folders to record for the due files of a chosen type below `root` (a
// drive root such as "X:\\"), each once, in the order met. Folders the
// monitor does not watch (excluded folders, and the trees of excluded
// second-level folders) are left out. `stopped` is set when `stop` (asked
// at every entry; may be empty) ended the walk early.
using StopTest = std::function<bool()>;
std::vector<std::string> FoldersHoldingDueFiles(const std::string& root, const WatchedPlaces& places,
                                                const CDueRule& rule, const StopTest& stop, bool& stopped);

// The whole pass: every drive the settings select, the folders found
// recorded in "Changes". Returns the number of folders newly recorded, or -1
// when the walk was stopped (what was found up to then is recorded).
int Reconcile(const WatchedPlaces& places, const CDueRule& rule, const StopTest& stop);

}  // namespace tb

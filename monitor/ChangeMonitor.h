#pragma once
// CChangeMonitor: the one background thread that watches every directory of the
// directory list for writes and appends each directory in which something was
// written to the change record list, section "Changes" of Vaultly.ini.
//
// The thread runs watch periods. A period reads the directory list, arms one
// change notification per directory that is not excluded (drive roots and
// first-level directories for their own files, second-level directories with
// everything below them), then waits up to five minutes at a time and polls
// the watches; a watch that fired is recorded and closed, so a directory is
// recorded at most once per period. Pause ends the period after a last
// polling pass; Resume starts a new one, which reads the list afresh.

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "monitor/ChangeTrackingSettings.h"

namespace tb {

// The named event that wakes the monitor from its five-minute wait.
constexpr char kMonitorStopEventName[] = "TallyboxMonBugOut";
// A named event that is set while a watch period has all its watches armed
// (changes made from then on are recorded), and reset when the period ends.
// Nothing in the program waits for it; it lets an outside observer know when
// the monitor is watching.
constexpr char kMonitorArmedEventName[] = "TallyboxMonArmed";

// Why a directory of the list is not watched, in the order of the tests.
enum class WatchExclusion {
    None,
    ExcludeDirList,  // equals an entry of ExcludeDirList (any case)
    Recycled,        // a recycle bin folder
    TempFolder,      // an ancestor of (or equal to) the temporary folder, Drives 0x10
    InternetCache,   // an ancestor of the internet cache folder, Drives 0x20
    UnZipFolder,     // an ancestor of the default unzip folder, Drives 0x40
};

// True when `path` equals one whole entry of the ";;"-separated list,
// compared without regard to case.
bool InExcludeDirList(const std::string& path, const std::string& excludeDirList);

// The first exclusion test that holds for `path`. The last three are
// containment tests: every listed ancestor of those folders is excluded too,
// except a drive root (paths of three characters or fewer).
WatchExclusion ExclusionOf(const std::string& path, const ChangeTrackingSettings& settings,
                           const std::string& tempFolder, const std::string& internetCacheFolder);

// Second-level directories and deeper (two or more backslashes) are watched
// with their whole subtree.
bool WatchesSubtree(const std::string& path);

// Appends `path` to the change record list unless it is there already (exact
// comparison) or the list holds 5000 entries; the key after a new entry is
// written empty as the end mark. Returns the number of the key written, 0 when
// nothing was written.
int RecordChangedDirectory(const std::string& path);

class CChangeMonitor {
public:
    // Takes its copy of the settings from `live`, the live Settings record
    // (and again from it at every Resume), creates the stop event and starts
    // the thread, whose first watch period begins at once on the directory
    // list as it is in Vaultly.ini.
    explicit CChangeMonitor(const SettingsRecord& live);
    // Shutdown().
    ~CChangeMonitor();
    CChangeMonitor(const CChangeMonitor&) = delete;
    CChangeMonitor& operator=(const CChangeMonitor&) = delete;

    // User-interface thread. Sets the stop flag, wakes the thread and waits up
    // to 25 s for the watch period to end. When it returns true, every watch
    // that had fired before the call is in the change record list and no watch
    // period runs until Resume.
    bool Pause();
    // User-interface thread. Takes a fresh copy of the settings and lets the
    // thread start a new watch period.
    void Resume();
    // Sets the quit flag, pauses, and waits up to 18 s for the thread to end.
    // True when it ended.
    bool Shutdown();

    // For tests and measurements: waits up to `milliseconds` until the current
    // watch period has armed its watches (false when none armed in time).
    bool WaitUntilArmed(DWORD milliseconds) const;
    // Watches armed by the current watch period and not fired yet.
    int ArmedWatches() const;
    bool Watching() const;
    bool ThreadEnded() const;
    // The monitor thread (for its CPU times); valid while the object lives.
    HANDLE ThreadHandle() const;

private:
    struct State;
    static void ThreadMain(std::shared_ptr<State> state);

    const SettingsRecord& m_live;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

}  // namespace tb

#pragma once
// CDirectoryListWorker: the background thread that writes the directory list,
// section "Directories" of Vaultly.ini: every directory of the selected drives
// down to the second level. The change monitor arms one watch per entry.
//
// The user-interface thread hands it one job at a time with Request; the
// thread sleeps while it has none. The busy flag stays set from the hand-over
// until the job has finished, so Request(0) waits for the worker to be idle.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "monitor/ChangeTrackingSettings.h"

namespace tb {

enum DirectoryListJob : int {
    kJobNone = 0,                  // nothing: Request(kJobNone) waits until the worker is idle
    kJobRebuildDirectoryList = 1,
    kJobReconcile = 2,             // the reconciliation walk given by SetReconciliation
};

// One rebuild of the directory list: the drives are walked in the order the
// system lists them, each drive as its root, then each first-level directory
// followed at once by its own second-level directories. Keys of the old list
// past the new end are emptied up to the old list's end.
//
// Nothing is written until the walk is complete, so a reader never sees half a
// list; a walk interrupted by `quit` leaves the old list as it was.
class CDirectoryListWalk {
public:
    explicit CDirectoryListWalk(const std::atomic<int>* quit = nullptr) : m_quit(quit) {}

    // `pattern` "Start" begins a new list, "Done" ends it and writes it, any
    // other pattern is a folder followed by "*.*" (X:\*.* for a drive) that is
    // listed down to depth 2.
    void WalkDirectories(const std::string& pattern, int depth);

    // The number of the last key written (0 after "Start" and "Done").
    int Counter() const { return m_counter; }
    bool Interrupted() const { return m_interrupted; }

private:
    void Add(std::string path);
    bool Quitting();

    const std::atomic<int>* m_quit;
    int m_counter = 0;
    bool m_interrupted = false;
    std::vector<std::pair<std::string, std::string>> m_keys;
};

// Job 1: takes the directory-list lock (waiting up to 30 s), walks the drives
// the settings select and writes the list. 1 when written; 0 when the lock
// was not obtained or `quit` was set during the walk.
int RebuildDirectoryList(const ChangeTrackingSettings& settings, const std::atomic<int>* quit = nullptr);

// Whether the settings select a drive of this root and kind for watching.
bool DriveSelected(const ChangeTrackingSettings& settings, const std::string& root, UINT driveType);

class CDirectoryListWorker {
public:
    using JobFunction = std::function<int(const ChangeTrackingSettings&, const std::atomic<int>& quit)>;

    // Takes its copy of the settings from `live`, the live Settings record
    // (and again from it at every Request), and starts the thread, which goes
    // straight to sleep.
    explicit CDirectoryListWorker(const SettingsRecord& live);
    // The same, with what job 1 runs replaced (tests).
    CDirectoryListWorker(const SettingsRecord& live, JobFunction rebuild);
    // What job 2 runs (it does nothing until this is given). Before the
    // first Request of that job.
    void SetReconciliation(JobFunction reconcile);
    // Shutdown().
    ~CDirectoryListWorker();
    CDirectoryListWorker(const CDirectoryListWorker&) = delete;
    CDirectoryListWorker& operator=(const CDirectoryListWorker&) = delete;

    // User-interface thread. Takes a fresh copy of the settings, waits without
    // limit until the worker is idle, then hands it `job` and wakes it. Returns
    // 1; 0 only after Shutdown.
    int Request(int job);
    // Sets the quit flag, wakes the thread and waits up to 18 s for it to end
    // (a running walk stops at its next directory entry). True when it ended.
    bool Shutdown();

    bool Busy() const;
    // Jobs finished since construction (job 0 hand-overs are not jobs).
    int CompletedJobs() const;
    bool ThreadEnded() const;

private:
    struct State;
    static void ThreadMain(std::shared_ptr<State> state);

    const SettingsRecord& m_live;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

}  // namespace tb

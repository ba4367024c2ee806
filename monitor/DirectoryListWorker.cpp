#include "monitor/DirectoryListWorker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "common/NumberedList.h"
#include "framework/DirectoryWalker.h"
#include "framework/Drives.h"
#include "framework/Guard.h"
#include "framework/GuardedThread.h"
#include "framework/Handles.h"
#include "framework/Text.h"

namespace tb {

namespace {

// The directory-list lock: keeps two rebuilds apart.
std::timed_mutex gDirectoryListLock;
constexpr auto kDirectoryListLockTimeout = std::chrono::milliseconds(30000);
constexpr auto kShutdownLimit = std::chrono::milliseconds(18000);
// "Done" empties at most this many stale keys.
constexpr int kStaleKeyLimit = 50000;

}  // namespace

// ---------------------------------------------------------------------------
// The walk

bool CDirectoryListWalk::Quitting() {
    if (m_quit && m_quit->load()) m_interrupted = true;
    return m_interrupted;
}

void CDirectoryListWalk::Add(std::string path) {
    ++m_counter;
    m_keys.emplace_back(DirKey(m_counter), std::move(path));
}

void CDirectoryListWalk::WalkDirectories(const std::string& pattern, int depth) {
    if (depth >= 2) return;
    if (pattern == "Start") {
        m_counter = 0;
        m_keys.clear();
        m_interrupted = false;
        return;
    }
    if (pattern == "Done") {
        if (!m_interrupted) {
            CIniSection list(kDirectoriesSection);
            // Where the old list was longer, its next keys are emptied.
            for (int i = 0; i < kStaleKeyLimit; ++i) {
                ++m_counter;
                if (list.Value(DirKey(m_counter)).empty()) break;
                m_keys.emplace_back(DirKey(m_counter), std::string());
            }
            list.Write(m_keys);
        }
        m_keys.clear();
        m_counter = 0;
        return;
    }
    if (Quitting() || pattern.empty()) return;

    if (depth == 0) Add(pattern.substr(0, 1) + ":\\");
    // Each directory is followed at once by its own; a directory link or
    // junction leads elsewhere and is neither listed nor entered.
    const std::string folder = pattern.substr(0, pattern.find_last_of('\\') + 1);
    CDirectoryWalker walk(folder, {1 - depth});
    for (WalkEntry entry; !Quitting() && walk.Next(entry);)
        if (entry.IsDirectory() && !entry.IsLink()) Add(entry.path);
}

bool DriveSelected(const ChangeTrackingSettings& settings, const std::string& root, UINT driveType) {
    if (root.empty()) return false;
    const int drives = settings.Drives;
    if (!(drives & kDrivesCustom)) {
        if ((drives & kDrivesAllLocal) && driveType == DRIVE_FIXED) return true;
        if ((drives & kDrivesAllRemote) && driveType == DRIVE_REMOTE) return true;
        return false;
    }
    // The letter as the system lists the root, in either case: Windows lists
    // "C:\\", and settings files written by hand say "cd".
    return ToUpper(settings.CustomDriveList).find(ToUpper(root.substr(0, 1))) != std::string::npos;
}

int RebuildDirectoryList(const ChangeTrackingSettings& settings, const std::atomic<int>* quit) {
    std::unique_lock<std::timed_mutex> lock(gDirectoryListLock, std::defer_lock);
    if (!lock.try_lock_for(kDirectoryListLockTimeout)) return 0;

    CDirectoryListWalk walk(quit);
    walk.WalkDirectories("Start", 0);
    for (const std::string& root : LogicalDriveRoots()) {
        if (DriveSelected(settings, root, DriveTypeOf(root))) walk.WalkDirectories(root + "*.*", 0);
        if (walk.Interrupted()) break;
    }
    const bool interrupted = walk.Interrupted();
    walk.WalkDirectories("Done", 0);
    return interrupted ? 0 : 1;
}

// ---------------------------------------------------------------------------
// The worker thread

struct CDirectoryListWorker::State {
    std::mutex lock;
    std::condition_variable changed;
    std::atomic<int> quit{0};
    int busy = 0;
    int job = kJobNone;
    int ended = 0;
    int completed = 0;
    CSettingsSnapshot settings;
    JobFunction rebuild;
    JobFunction reconcile;
};

CDirectoryListWorker::CDirectoryListWorker(const SettingsRecord& live)
    : CDirectoryListWorker(live, [](const ChangeTrackingSettings& settings, const std::atomic<int>& quit) {
          return RebuildDirectoryList(settings, &quit);
      }) {}

CDirectoryListWorker::CDirectoryListWorker(const SettingsRecord& live, JobFunction rebuild)
    : m_live(live), m_state(std::make_shared<State>()) {
    m_state->rebuild = std::move(rebuild);
    m_state->settings.Take(m_live);
    m_thread = GuardedThread("directory list worker", [state = m_state] { ThreadMain(state); }, [state = m_state] {
        std::lock_guard<std::mutex> ended(state->lock);
        state->job = kJobNone;
        state->busy = 0;
        state->ended = 1;
        state->changed.notify_all();
    });
}

CDirectoryListWorker::~CDirectoryListWorker() { Shutdown(); }

void CDirectoryListWorker::SetReconciliation(JobFunction reconcile) {
    std::lock_guard<std::mutex> lock(m_state->lock);
    m_state->reconcile = std::move(reconcile);
}

void CDirectoryListWorker::ThreadMain(std::shared_ptr<State> state) {
    State& s = *state;
    std::unique_lock<std::mutex> lock(s.lock);
    s.ended = 0;
    for (;;) {
        s.changed.wait(lock, [&] { return s.quit.load() || s.job != kJobNone; });
        if (s.quit.load()) break;
        const int job = s.job;
        lock.unlock();
        if (job == kJobRebuildDirectoryList) {
            ChangeTrackingSettings settings = s.settings.Copy();
            Guarded("directory list worker", 0, [&] { return s.rebuild(settings, s.quit); });
        } else if (job == kJobReconcile && s.reconcile) {
            ChangeTrackingSettings settings = s.settings.Copy();
            Guarded("reconciliation", 0, [&] { return s.reconcile(settings, s.quit); });
        }
        lock.lock();
        // Only now is the worker free for the next job.
        s.job = kJobNone;
        s.busy = 0;
        ++s.completed;
        s.changed.notify_all();
    }
    s.job = kJobNone;
    s.busy = 0;
    s.ended = 1;
    s.changed.notify_all();
}

int CDirectoryListWorker::Request(int job) {
    State& s = *m_state;
    s.settings.Take(m_live);
    std::unique_lock<std::mutex> lock(s.lock);
    s.changed.wait(lock, [&] { return s.busy == 0 || s.quit.load(); });
    if (s.quit.load()) return 0;
    if (job == kJobNone) return 1;
    s.busy = 1;
    s.job = job;
    s.changed.notify_all();
    return 1;
}

bool CDirectoryListWorker::Shutdown() {
    if (!m_thread.joinable()) return true;
    State& s = *m_state;
    bool ended = false;
    {
        std::unique_lock<std::mutex> lock(s.lock);
        s.quit = 1;
        s.changed.notify_all();
        ended = s.changed.wait_for(lock, kShutdownLimit, [&] { return s.ended != 0; });
    }
    // A thread that did not end in time keeps its own share of the state.
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
    return ended;
}

bool CDirectoryListWorker::Busy() const {
    std::lock_guard<std::mutex> lock(m_state->lock);
    return m_state->busy != 0;
}

int CDirectoryListWorker::CompletedJobs() const {
    std::lock_guard<std::mutex> lock(m_state->lock);
    return m_state->completed;
}

bool CDirectoryListWorker::ThreadEnded() const {
    std::lock_guard<std::mutex> lock(m_state->lock);
    return m_state->ended != 0;
}

}  // namespace tb

#include "monitor/ChangeMonitor.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "common/Clock.h"
#include "common/NumberedList.h"
#include "framework/DirectoryWalker.h"
#include "framework/Guard.h"
#include "framework/GuardedThread.h"
#include "framework/Handles.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "monitor/ChangeRecords.h"

namespace tb {

namespace {

constexpr DWORD kWatchWait = 300000;       // five minutes between polling passes
constexpr DWORD kSlotPoll = 100;           // per watch in a polling pass, while not stopping
constexpr int kDirectoryKeyLimit = 149999; // keys Dir1 .. Dir149999
constexpr int kChangeRecordLimit = 5000;
constexpr auto kPauseLimit = std::chrono::milliseconds(25000);
constexpr auto kShutdownLimit = std::chrono::milliseconds(18000);
// Writes, and also files and folders made, renamed, moved or removed: a file
// moved in keeps its old time, and a new folder must be seen to be listed.
constexpr DWORD kWatchFilter =
    FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// File systems stamp times from a coarser clock than the system time (Linux
// under Wine: up to a timer tick, at most 10 ms, behind), so an entry made
// just after the last pass began can carry an earlier time. The look back
// stays short: a folder recorded again holds files of the last archive's own
// second, which would be archived twice.
constexpr FileTicks kStampSlack = 50 * 10000ull;  // 50 ms in 100-ns units

FileTicks NowTicks() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return TicksOf(now);
}

// The directory's own last write (its entries made, renamed or removed) is later than `since`.
bool WrittenSince(const std::string& directory, FileTicks since) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExA(directory.c_str(), GetFileExInfoStandard, &data) &&
           TicksOf(data.ftLastWriteTime) > since;
}

struct Watch {
    std::string path;
    UniqueChangeNotification handle;
};

}  // namespace

// ---------------------------------------------------------------------------
// Rules

bool InExcludeDirList(const std::string& path, const std::string& excludeDirList) {
    if (path.empty()) return false;
    const std::string text = ToUpper(excludeDirList + ";;");
    const std::string wanted = ToUpper(path);
    for (size_t at = text.find(wanted); at != std::string::npos; at = text.find(wanted, at + 1)) {
        const bool startsEntry = at == 0 || text[at - 1] == ';';
        const bool endsEntry = text[at + wanted.size()] == ';';  // the text ends with ";;"
        if (startsEntry && endsEntry) return true;
    }
    return false;
}

WatchExclusion ExclusionOf(const std::string& path, const ChangeTrackingSettings& settings,
                           const std::string& tempFolder, const std::string& internetCacheFolder) {
    const bool deeperThanRoot = path.size() > 3;
    if (InExcludeDirList(path, settings.ExcludeDirList)) return WatchExclusion::ExcludeDirList;
    if (deeperThanRoot && ContainsNoCase(path, "RECYCLED")) return WatchExclusion::Recycled;
    if (deeperThanRoot && (settings.Drives & kDrivesExcludeTemp) && ContainsNoCase(tempFolder, path))
        return WatchExclusion::TempFolder;
    if (deeperThanRoot && (settings.Drives & kDrivesExcludeInternetCache) &&
        ContainsNoCase(internetCacheFolder, path))
        return WatchExclusion::InternetCache;
    if (deeperThanRoot && (settings.Drives & kDrivesExcludeUnZipFolder) &&
        ContainsNoCase(settings.DefUnZipPath, path))
        return WatchExclusion::UnZipFolder;
    return WatchExclusion::None;
}

bool WatchesSubtree(const std::string& path) { return std::count(path.begin(), path.end(), '\\') >= 2; }

int RecordChangedDirectory(const std::string& path) {
    if (path.empty()) return 0;
    std::lock_guard<std::mutex> guard(ChangeRecordLock());
    CIniSection changes(kChangesSection);
    for (int n = 1; n <= kChangeRecordLimit; ++n) {
        const std::string value = changes.Value(DirKey(n), kDirValueBuffer);
        if (value.empty()) {
            changes.Write({{DirKey(n), path}, {DirKey(n + 1), std::string()}});
            return n;
        }
        if (value == path) return 0;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// The thread

struct CChangeMonitor::State {
    std::mutex lock;
    std::condition_variable changed;
    std::atomic<int> stop{0};
    std::atomic<int> quit{0};
    int started = 0;
    int watching = 0;
    int ended = 0;
    int armed = 0;        // the current watch period has armed its watches
    int armedWatches = 0;
    UniqueHandle stopEvent;
    UniqueHandle armedEvent;  // may be missing: only observers use it
    UniqueHandle thread;  // a handle of the monitor thread, for its CPU times
    CSettingsSnapshot settings;
    // When the last pass of the previous watch period began (0 before the
    // first period ends): nothing was watched from then until this period
    // armed its watches. Only the monitor thread uses it.
    FileTicks unwatchedSince = 0;

    bool Stopping() const { return stop.load() || quit.load(); }

    // The stop event woke the thread: if no one asked it to stop (the event is
    // named, so another program may have set it), reset the event so that the
    // next wait waits again. Under the lock, so a Pause is never undone.
    void ConsumeWake() {
        std::lock_guard<std::mutex> guard(lock);
        if (!stop.load()) ::ResetEvent(stopEvent.Get());
    }

    void WatchPeriod();
    void PollingPass(std::vector<Watch>& watches, bool last);
    void VisitSubtree(const std::string& folder);
};

// Wine's server reports changes below a subtree watch only in subdirectories it
// has seen since the watch was armed: listing the subtree once shows it all.
void CChangeMonitor::State::VisitSubtree(const std::string& folder) {
    CDirectoryWalker walk(folder, {CDirectoryWalker::kWholeTree});
    for (WalkEntry entry; !Stopping() && walk.Next(entry);) {
    }
}

void CChangeMonitor::State::PollingPass(std::vector<Watch>& watches, bool last) {
    // A watch that fired is recorded, closed and removed. In an ordinary pass
    // the watch that moves into its place waits for the next pass; the last
    // pass, made once the monitor is stopping, looks at every watch.
    for (size_t i = 0; i < watches.size();) {
        HANDLE watch = watches[i].handle.Get();
        DWORD result;
        if (Stopping()) {
            result = ::WaitForSingleObject(watch, 0);
        } else {
            HANDLE both[2] = {watch, stopEvent.Get()};
            result = ::WaitForMultipleObjects(2, both, FALSE, kSlotPoll);
            if (result == WAIT_OBJECT_0 + 1) {  // woken: look at this watch at once
                ConsumeWake();
                result = ::WaitForSingleObject(watch, 0);
            }
        }
        if (result != WAIT_OBJECT_0) {
            ++i;
            continue;
        }
        const std::string path = std::move(watches[i].path);
        watches.erase(watches.begin() + std::ptrdiff_t(i));
        if (!last) ++i;
        {
            std::lock_guard<std::mutex> guard(lock);
            armedWatches = int(watches.size());
        }
        RecordChangedDirectory(path);
    }
}

void CChangeMonitor::State::WatchPeriod() {
    const ChangeTrackingSettings settings = this->settings.Copy();
    const std::string tempFolder = TempFolder(MAX_PATH);
    const std::string cacheFolder = SpecialFolder(CSIDL_INTERNET_CACHE);
    const bool visitSubtrees = RunningUnderWine();

    // Key Dir<g> of the list is watch candidate g; the table grows as needed.
    std::vector<Watch> watches;
    watches.reserve(1000);
    for (const std::string& path : ReadDirList(kDirectoriesSection, kDirectoryKeyLimit)) {
        if (Stopping()) break;  // a Pause while arming: what is armed gets its last pass
        if (ExclusionOf(path, settings, tempFolder, cacheFolder) != WatchExclusion::None) continue;
        const bool subtree = WatchesSubtree(path);
        UniqueChangeNotification handle(
            ::FindFirstChangeNotificationA(path.c_str(), subtree ? TRUE : FALSE, kWatchFilter));
        if (!handle) continue;  // gone or unreadable: never fires
        watches.push_back(Watch{path, std::move(handle)});
        if (subtree && visitSubtrees) VisitSubtree(path);
        // Entries made, renamed or removed in it while nothing watched it.
        if (unwatchedSince && WrittenSince(path, unwatchedSince)) RecordChangedDirectory(path);
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        armed = 1;
        armedWatches = int(watches.size());
        if (armedEvent) ::SetEvent(armedEvent.Get());
        changed.notify_all();
    }

    for (;;) {
        const bool stopping = Stopping();
        if (!stopping && ::WaitForSingleObject(stopEvent.Get(), kWatchWait) == WAIT_OBJECT_0) ConsumeWake();
        if (stopping) unwatchedSince = NowTicks() - kStampSlack;
        // Once stopping, this is the last pass, with no waiting: it also takes
        // watches that fired after the previous pass had looked at them.
        PollingPass(watches, stopping);
        if (stopping) break;
    }
    watches.clear();  // closes every notification still open
}

void CChangeMonitor::ThreadMain(std::shared_ptr<State> state) {
    State& s = *state;
    std::unique_lock<std::mutex> lock(s.lock);
    HANDLE self = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &self, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    s.thread.Reset(self);
    s.started = 1;
    s.ended = 0;
    s.changed.notify_all();
    while (!s.quit.load()) {
        if (!s.stop.load()) {
            s.watching = 1;
            lock.unlock();
            Guarded("change monitor", 0, [&] {
                s.WatchPeriod();
                return 0;
            });
            lock.lock();
            if (s.armedEvent) ::ResetEvent(s.armedEvent.Get());
            s.watching = 0;
            s.armed = 0;
            s.armedWatches = 0;
            s.changed.notify_all();
        } else {
            s.changed.wait(lock, [&] { return !s.stop.load() || s.quit.load(); });
        }
    }
    s.ended = 1;
    s.changed.notify_all();
}

CChangeMonitor::CChangeMonitor(const SettingsRecord& live) : m_live(live), m_state(std::make_shared<State>()) {
    State& s = *m_state;
    s.settings.Take(m_live);
    s.stopEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, kMonitorStopEventName));
    // The event may exist already (another monitor of this process not yet
    // gone): start non-signalled all the same. Should the name be taken by
    // something else, an event without a name does the same work.
    if (s.stopEvent)
        ::ResetEvent(s.stopEvent.Get());
    else
        s.stopEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    s.armedEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, kMonitorArmedEventName));
    if (s.armedEvent) ::ResetEvent(s.armedEvent.Get());
    m_thread = GuardedThread("change monitor", [state = m_state] { ThreadMain(state); }, [state = m_state] {
        std::lock_guard<std::mutex> ended(state->lock);
        state->started = 1;
        state->ended = 1;
        state->changed.notify_all();
    });
    // The thread handle is taken by the thread itself; wait until it is there.
    std::unique_lock<std::mutex> lock(s.lock);
    s.changed.wait(lock, [&] { return s.started != 0; });
}

CChangeMonitor::~CChangeMonitor() { Shutdown(); }

bool CChangeMonitor::Pause() {
    State& s = *m_state;
    std::unique_lock<std::mutex> lock(s.lock);
    s.stop = 1;
    ::SetEvent(s.stopEvent.Get());
    return s.changed.wait_for(lock, kPauseLimit, [&] { return s.watching == 0; });
}

void CChangeMonitor::Resume() {
    State& s = *m_state;
    s.settings.Take(m_live);
    std::lock_guard<std::mutex> lock(s.lock);
    if (s.quit.load()) return;
    ::ResetEvent(s.stopEvent.Get());
    s.stop = 0;
    s.changed.notify_all();
}

bool CChangeMonitor::Shutdown() {
    if (!m_thread.joinable()) return true;
    State& s = *m_state;
    {
        std::lock_guard<std::mutex> lock(s.lock);
        s.quit = 1;
        s.changed.notify_all();
    }
    Pause();
    bool ended = false;
    {
        std::unique_lock<std::mutex> lock(s.lock);
        ended = s.changed.wait_for(lock, kShutdownLimit, [&] { return s.ended != 0; });
    }
    if (ended)
        m_thread.join();
    else
        m_thread.detach();  // it keeps its own share of the state
    return ended;
}

bool CChangeMonitor::WaitUntilArmed(DWORD milliseconds) const {
    State& s = *m_state;
    std::unique_lock<std::mutex> lock(s.lock);
    return s.changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [&] { return s.armed != 0 || s.ended != 0; }) &&
           s.armed != 0;
}

int CChangeMonitor::ArmedWatches() const {
    std::lock_guard<std::mutex> lock(m_state->lock);
    return m_state->armedWatches;
}

bool CChangeMonitor::Watching() const {
    std::lock_guard<std::mutex> lock(m_state->lock);
    return m_state->watching != 0;
}

bool CChangeMonitor::ThreadEnded() const {
    std::lock_guard<std::mutex> lock(m_state->lock);
    return m_state->ended != 0;
}

HANDLE CChangeMonitor::ThreadHandle() const { return m_state->thread.Get(); }

}  // namespace tb

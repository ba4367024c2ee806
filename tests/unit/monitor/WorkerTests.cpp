// The directory-list worker thread: hand-over, busy flag, settings copy, shut-down.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "monitor/DirectoryListWorker.h"
#include "tests/unit/ListReader.h"
#include "tests/unit/TestDrive.h"
#include "tests/unit/TestIni.h"

using namespace tb;

namespace {

// A one-shot signal between threads.
class Latch {
public:
    void Set() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_set = true;
        m_changed.notify_all();
    }
    bool Wait(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, limit, [&] { return m_set; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_set = false;
};

// A hang would be the fault under test: give up after this long instead.
constexpr auto kHangGuard = std::chrono::seconds(120);

}  // namespace

TEST_CASE("no hand-over is lost when a request races the worker going idle") {
    std::atomic<int> runs{0};
    const SettingsRecord live;
    CDirectoryListWorker worker(live, [&](const ChangeTrackingSettings&, const std::atomic<int>&) {
        ++runs;
        return 1;
    });
    constexpr int kRequests = 300;
    // Each request arrives while the worker is finishing the one before.
    auto requests = std::async(std::launch::async, [&] {
        for (int i = 0; i < kRequests; ++i) worker.Request(kJobRebuildDirectoryList);
        worker.Request(kJobNone);
    });
    const bool finished = requests.wait_for(kHangGuard) == std::future_status::ready;
    CHECK_MESSAGE(finished, "a request was never taken up");
    if (!finished) worker.Shutdown();  // releases the waiting request
    CHECK(runs.load() == kRequests);
    CHECK(worker.CompletedJobs() == kRequests);
    CHECK_FALSE(worker.Busy());
}

TEST_CASE("the busy flag stays set until the job has finished") {
    Latch started, release;
    std::atomic<bool> finished{false};
    const SettingsRecord live;
    CDirectoryListWorker worker(live, [&](const ChangeTrackingSettings&, const std::atomic<int>&) {
        started.Set();
        release.Wait(kHangGuard);
        finished = true;
        return 1;
    });
    CHECK_FALSE(worker.Busy());
    REQUIRE(worker.Request(kJobRebuildDirectoryList) == 1);
    REQUIRE(started.Wait(kHangGuard));
    CHECK(worker.Busy());
    release.Set();
    CHECK(worker.Request(kJobNone) == 1);  // waits for the worker to be idle
    CHECK(finished.load());
    CHECK_FALSE(worker.Busy());
}

// The drives come from the settings as they are at the request, not at construction.
TEST_CASE("the worker rebuilds the directory list of the drives selected at the request") {
    TestDrive drive;
    TestDrive::MakeDirs("WORK\\SUB");
    TestIni ini;
    SettingsRecord live;  // no drives selected yet
    CDirectoryListWorker worker(live);
    live.Drives = kDrivesCustom;
    live.CustomDriveList = TestDrive::Root().substr(0, 1);
    REQUIRE(worker.Request(kJobRebuildDirectoryList) == 1);
    REQUIRE(worker.Request(kJobNone) == 1);
    CHECK(ReadListKeyByKey(ini, "Directories") == std::vector<std::string>{"X:\\", "X:\\WORK", "X:\\WORK\\SUB"});
    CHECK(worker.Shutdown());
    CHECK(worker.ThreadEnded());
    CHECK(worker.Request(kJobRebuildDirectoryList) == 0);  // nothing is handed to an ended worker
}

TEST_CASE("shut-down ends the worker in the middle of a rebuild of a large drive") {
    TestDrive drive;
    // 40 x 40 directories: a walk long enough to be caught in the middle.
    for (int a = 0; a < 40; ++a) {
        const std::string top = "T" + std::to_string(a);
        ::CreateDirectoryA(TestDrive::Path(top).c_str(), nullptr);
        for (int b = 0; b < 40; ++b) ::CreateDirectoryA(TestDrive::Path(top + "\\S" + std::to_string(b)).c_str(), nullptr);
    }
    TestIni ini("[Directories]\r\nDir1=C:\\OLD\r\n");
    Latch started;
    std::atomic<int> result{-1};
    ChangeTrackingSettings settings;
    settings.Drives = kDrivesCustom;
    settings.CustomDriveList = TestDrive::Root().substr(0, 1);
    const SettingsRecord live;
    CDirectoryListWorker worker(live, [&](const ChangeTrackingSettings&, const std::atomic<int>& quit) {
        started.Set();
        result = RebuildDirectoryList(settings, &quit);
        return result.load();
    });
    worker.Request(kJobRebuildDirectoryList);
    REQUIRE(started.Wait(kHangGuard));
    CHECK(worker.Shutdown());  // within its 18 s
    CHECK(worker.ThreadEnded());
    // Either the walk was stopped (old list kept) or it had just finished.
    const auto list = ReadListKeyByKey(ini, "Directories");
    if (result.load() == 0)
        CHECK(list == std::vector<std::string>{"C:\\OLD"});
    else
        CHECK(list.size() == 1 + 40 + 40 * 40);
    MESSAGE(std::string(result.load() == 0 ? "the rebuild was stopped at shut-down" : "the rebuild had finished"));
}

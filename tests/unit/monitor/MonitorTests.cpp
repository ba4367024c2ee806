// The change monitor thread for real, on the test drive X:: what a write
// records, exclusions, Pause, Resume and shut-down.

#include <algorithm>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "doctest/doctest.h"
#include "monitor/ChangeMonitor.h"
#include "monitor/DirectoryListWorker.h"
#include "tests/unit/ListReader.h"
#include "tests/unit/TestDrive.h"
#include "tests/unit/TestIni.h"

using namespace tb;

namespace {

constexpr DWORD kArmLimit = 60000;  // arming a handful of watches takes milliseconds

// The live settings of one test: the test drive only.
struct LiveSettings : SettingsRecord {
    LiveSettings() {
        Drives = kDrivesCustom;
        CustomDriveList = TestDrive::Root().substr(0, 1);
    }
};

// Writes the directory list of the test drive as a rebuild does.
void ListTestDrive(const SettingsRecord& settings) {
    REQUIRE(RebuildDirectoryList(ChangeTrackingSettings::From(settings)) == 1);
}

// Stamps the folders (the root too) as written an hour ago: a watch period
// that arms after a pause records folders written since that pause began.
void StampOld(std::initializer_list<const char*> folders) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const FileTicks anHourAgo = TicksOf(now) - 3600 * kTicksPerSecond;
    TestDrive::SetWriteTime("", anHourAgo);
    for (const char* folder : folders) TestDrive::SetWriteTime(folder, anHourAgo);
}

std::set<std::string> Recorded(const TestIni& ini) {
    auto list = ReadListKeyByKey(ini, "Changes");
    return std::set<std::string>(list.begin(), list.end());
}

}  // namespace

TEST_CASE("a write is recorded as its root, first-level or second-level directory") {
    TestDrive drive;
    for (const char* dir : {"DOCS\\REPORT\\2026", "DOCS\\OTHER", "QUIET\\SUB"}) TestDrive::MakeDirs(dir);
    TestIni ini;
    LiveSettings settings;
    ListTestDrive(settings);

    CChangeMonitor monitor(settings);
    REQUIRE(monitor.WaitUntilArmed(kArmLimit));
    CHECK(monitor.ArmedWatches() == 6);
    TestDrive::WriteSeen("root.txt");
    TestDrive::WriteSeen("DOCS\\notes.txt");
    TestDrive::WriteSeen("DOCS\\REPORT\\2026\\A.DOC");  // three levels down
    REQUIRE(monitor.Pause());

    const std::string root = TestDrive::Root();
    CHECK(Recorded(ini) == std::set<std::string>{root, "X:\\DOCS", "X:\\DOCS\\REPORT"});
    CHECK(HasEmptyKey(ini, "Changes", "Dir4"));
    CHECK_FALSE(monitor.Watching());
}

TEST_CASE("a directory is recorded once, and not again after Resume") {
    TestDrive drive;
    for (const char* dir : {"ONE\\TWO", "OTHER"}) TestDrive::MakeDirs(dir);
    StampOld({"ONE", "ONE\\TWO", "OTHER"});
    TestIni ini;
    LiveSettings settings;
    ListTestDrive(settings);

    CChangeMonitor monitor(settings);
    REQUIRE(monitor.WaitUntilArmed(kArmLimit));
    TestDrive::WriteSeen("ONE\\TWO\\a.txt");
    TestDrive::WriteSeen("ONE\\TWO\\b.txt");
    REQUIRE(monitor.Pause());
    CHECK(ReadListKeyByKey(ini, "Changes") == std::vector<std::string>{"X:\\ONE\\TWO"});

    // Paused: a write now is seen by the next watch period only if it
    // happens while that period watches.
    monitor.Resume();
    REQUIRE(monitor.WaitUntilArmed(kArmLimit));
    TestDrive::WriteSeen("ONE\\TWO\\c.txt");
    TestDrive::WriteSeen("OTHER\\d.txt");
    REQUIRE(monitor.Pause());
    CHECK(ReadListKeyByKey(ini, "Changes") == std::vector<std::string>{"X:\\ONE\\TWO", "X:\\OTHER"});
    CHECK(HasEmptyKey(ini, "Changes", "Dir3"));
}

TEST_CASE("a file made while nothing watched is recorded when the next watch period arms") {
    TestDrive drive;
    for (const char* dir : {"ONE\\TWO", "OTHER"}) TestDrive::MakeDirs(dir);
    StampOld({"ONE", "ONE\\TWO", "OTHER"});
    TestIni ini;
    LiveSettings settings;
    ListTestDrive(settings);

    CChangeMonitor monitor(settings);
    REQUIRE(monitor.WaitUntilArmed(kArmLimit));
    REQUIRE(monitor.Pause());
    CHECK(ReadListKeyByKey(ini, "Changes").empty());  // the first period looks back at nothing
    TestDrive::Write("OTHER\\made-while-paused.txt");
    monitor.Resume();
    REQUIRE(monitor.WaitUntilArmed(kArmLimit));
    REQUIRE(monitor.Pause());
    CHECK(ReadListKeyByKey(ini, "Changes") == std::vector<std::string>{"X:\\OTHER"});
}

TEST_CASE("listed, temporary and recycled folders are not watched") {
    TestDrive drive;
    for (const char* dir : {"DATA\\OLD", "DATA2", "WIN\\TEMP", "WIN\\SYS", "RECYCLED"}) TestDrive::MakeDirs(dir);
    TestIni ini;
    LiveSettings settings;
    settings.Drives |= kDrivesExcludeTemp;
    settings.ExcludeDirList = "x:\\data2;;X:\\DATA";
    char savedTmp[MAX_PATH] = {};
    const bool hadTmp = ::GetEnvironmentVariableA("TMP", savedTmp, MAX_PATH) != 0;
    ::SetEnvironmentVariableA("TMP", "X:\\WIN\\TEMP\\");
    ListTestDrive(settings);

    CChangeMonitor monitor(settings);
    REQUIRE(monitor.WaitUntilArmed(kArmLimit));
    // Watched: the root, DATA\OLD, WIN\SYS. Not: DATA, DATA2, WIN, WIN\TEMP, RECYCLED.
    CHECK(monitor.ArmedWatches() == 3);
    for (const char* file : {"DATA\\a.txt", "DATA2\\a.txt", "WIN\\a.txt", "WIN\\TEMP\\a.txt", "RECYCLED\\a.txt",
                             "DATA\\OLD\\a.txt", "WIN\\SYS\\a.txt", "a.txt"})
        TestDrive::WriteSeen(file);
    REQUIRE(monitor.Pause());
    ::SetEnvironmentVariableA("TMP", hadTmp ? savedTmp : nullptr);

    CHECK(Recorded(ini) == std::set<std::string>{TestDrive::Root(), "X:\\DATA\\OLD", "X:\\WIN\\SYS"});
}

TEST_CASE("directories that are gone or vanish while watched do not stop the watching") {
    TestDrive drive;
    for (const char* dir : {"STAYS\\HERE", "GOES\\AWAY"}) TestDrive::MakeDirs(dir);
    // 1200 directories that do not exist, then three that do: the watch
    // table grows past its first 1000 slots.
    std::string text = "[Directories]\r\n";
    int n = 1;
    for (; n <= 1200; ++n) text += "Dir" + std::to_string(n) + "=X:\\NEVER\\" + std::to_string(n) + "\r\n";
    for (const char* dir : {"X:\\GOES", "X:\\GOES\\AWAY", "X:\\STAYS\\HERE"})
        text += "Dir" + std::to_string(n++) + "=" + dir + "\r\n";
    TestIni ini(text);
    LiveSettings settings;

    CChangeMonitor monitor(settings);
    REQUIRE(monitor.WaitUntilArmed(kArmLimit));
    CHECK(monitor.ArmedWatches() == 3);
    ::RemoveDirectoryA("X:\\GOES\\AWAY");
    ::MoveFileA("X:\\GOES", "X:\\WENT");
    TestDrive::WriteSeen("STAYS\\HERE\\a.txt");
    REQUIRE(monitor.Pause());
    CHECK(Recorded(ini).count("X:\\STAYS\\HERE") == 1);
}

TEST_CASE("the named event makes the monitor look at its watches without stopping") {
    TestDrive drive;
    TestDrive::MakeDirs("POKED\\SUB");
    TestIni ini;
    LiveSettings settings;
    ListTestDrive(settings);

    CChangeMonitor monitor(settings);
    REQUIRE(monitor.WaitUntilArmed(kArmLimit));
    TestDrive::WriteSeen("POKED\\SUB\\a.txt");
    HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, kMonitorStopEventName);
    REQUIRE(event != nullptr);
    ::SetEvent(event);
    ::CloseHandle(event);
    // Wait for the entry to appear: the polling pass runs without a Pause.
    const DWORD start = ::GetTickCount();
    while (ReadListKeyByKey(ini, "Changes").empty() && ::GetTickCount() - start < 60000) ::Sleep(20);
    CHECK(ReadListKeyByKey(ini, "Changes") == std::vector<std::string>{"X:\\POKED\\SUB"});
    CHECK(monitor.Watching());
    CHECK(monitor.ArmedWatches() == 2);  // the fired watch is closed; the root and POKED remain
}

TEST_CASE("an empty directory list arms nothing; shut-down ends the thread from any state") {
    TestIni ini;
    LiveSettings settings;
    for (int state = 0; state < 3; ++state) {  // watching, paused, just started
        CAPTURE(state);
        CChangeMonitor monitor(settings);
        if (state == 0) {
            REQUIRE(monitor.WaitUntilArmed(kArmLimit));
            CHECK(monitor.ArmedWatches() == 0);
            CHECK(monitor.Watching());
        }
        if (state == 1) CHECK(monitor.Pause());
        CHECK(monitor.Shutdown());
        CHECK(monitor.ThreadEnded());
        CHECK_FALSE(monitor.Watching());
        CHECK(monitor.Shutdown());  // a second call finds it ended
    }
    CHECK(ReadListKeyByKey(ini, "Changes").empty());
}

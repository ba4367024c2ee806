// Automatic archiving as the view meets it: the controller with its real
// change tracking threads (watching no drive), its schedule and the run, a
// stand-in for the view, and a settings file of the test's own.

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "autoarchive/AutoArchiveController.h"
#include "common/Clock.h"
#include "common/Profile.h"
#include "doctest/doctest.h"
#include "res/resource.h"
#include "tests/unit/TestArchive.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestIni.h"
#include "tests/unit/TestTime.h"

using namespace tb;

namespace {

class FakeView : public IArchiveViewHost {
public:
    int AddArchive(const std::string&) override { return 0; }
    bool ArchiveListChanged() const override { return false; }
    int RefreshArchiveList() override { return 0; }
    void ShowArchive(const std::string& archive) override {
        shown.push_back(archive);
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (duringRun) {
            auto act = std::move(duringRun);
            duringRun = nullptr;
            act();
        }
        --depth;
    }
    void OpenEditorWithPending() override { ++editors; }
    void ArchivesFolded(const std::vector<std::string>& removed, const std::vector<std::string>& written) override {
        folded.insert(folded.end(), removed.begin(), removed.end());
        months.insert(months.end(), written.begin(), written.end());
    }
    void SettingsChanged() override {}

    std::vector<std::string> shown;
    std::vector<std::string> folded, months;
    int editors = 0;
    // What a modal loop of the run lets through, done once while the run
    // shows its archive; how deep runs went.
    std::function<void()> duringRun;
    int depth = 0;
    int maxDepth = 0;
};

// The window the controller's timers belong to; messages are never pumped, so
// its timers only count as set.
class TimerWindow {
public:
    TimerWindow() : m_hwnd(::CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~TimerWindow() { ::DestroyWindow(m_hwnd); }
    HWND Handle() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

time_t gNow = 0;
time_t TestClock() { return gNow; }

struct ClockAt {
    explicit ClockAt(time_t when) {
        gNow = when;
        SetClockSeam(&TestClock);
    }
    ~ClockAt() { SetClockSeam(nullptr); }
};

// A controller started on a window of its own, with a settings file of the
// test's own and the archive due at 10:30 every day, written into a test folder.
struct StartedController {
    explicit StartedController(const char* name) : folder(name) {
        live.General = kGeneralMonitor | kGeneralTimed | kGeneralSpecificTime;
        live.Time = "10:30:AM";
        live.Prompts = kPromptSilent;
        live.LocationDir = folder.Path("archives");
        controller.Start(window.Handle(), nullptr);
    }
    ~StartedController() { controller.Stop(); }

    TestIni ini;
    TestFolder folder;
    SettingsRecord live;
    FakeView view;
    TimerWindow window;
    CAutoArchiveController controller{live, view};
};

}  // namespace

TEST_CASE("the view's schedule tick runs one scheduled archive at the set time") {
    StartedController started("controller-schedule");
    CAutoArchiveController& controller = started.controller;
    const FakeView& view = started.view;

    ClockAt clock(LocalTime(2026, 12, 7, 10, 20, 0));
    controller.OnViewTimer(IDT_VIEW_SCHEDULE);
    CHECK(view.shown.empty());  // not yet

    gNow = LocalTime(2026, 12, 7, 10, 31, 0);
    controller.OnViewTimer(IDT_VIEW_SCHEDULE);
    REQUIRE(view.shown.size() == 1);
    CHECK(view.shown[0] == started.folder.Path("archives\\December 07 2026.zip"));
    CHECK(started.ini.Value("Settings", "LastArchiveTime") == "07,12,2026,10,31,00");
    // The run asked for a rebuild; the next tick restarts the monitor.
    CHECK(controller.MonitorRestartPending());

    gNow = LocalTime(2026, 12, 7, 10, 36, 0);
    controller.OnViewTimer(IDT_VIEW_MONITOR_RESTART);
    CHECK_FALSE(controller.MonitorRestartPending());
    CHECK(view.shown.size() == 1);  // the same hour: no second archive
}

TEST_CASE("the archive editor holds the set-time archive back; the command runs whatever the settings") {
    StartedController started("controller-editor");
    CAutoArchiveController& controller = started.controller;
    const FakeView& view = started.view;
    ClockAt clock(LocalTime(2026, 12, 7, 10, 45, 0));

    controller.SetEditorOpen(true);
    CHECK(controller.Busy());
    controller.OnViewTimer(IDT_VIEW_SCHEDULE);
    CHECK(view.shown.empty());
    CHECK(controller.ScheduledRunWaiting());
    CHECK(controller.RunArchive(ArchiveTrigger::Command) == 0);  // no run beside the editor either
    CHECK(view.shown.empty());
    controller.SetEditorOpen(false);
    controller.OnViewTimer(IDT_VIEW_SCHEDULE);
    CHECK(view.shown.size() == 1);
    CHECK_FALSE(controller.ScheduledRunWaiting());

    // Monitoring off: the schedule and shut-down do nothing, the command runs.
    started.live.General = 0;
    CHECK(controller.RunArchive(ArchiveTrigger::Shutdown) == 1);
    CHECK(view.shown.size() == 1);
    CHECK(controller.RunArchive(ArchiveTrigger::Command) == 1);
    CHECK(view.shown.size() == 2);
}

TEST_CASE("after start-up a missed set-time archive runs once, and the set hour's ticks do not run it again") {
    StartedController started("controller-catch-up");
    CAutoArchiveController& controller = started.controller;
    const FakeView& view = started.view;
    // The last archive was two days ago; the program starts at 10:40, after the set time.
    WriteIniString(kSettingsSection, "LastArchiveTime", "05,12,2026,10,31,00");
    ClockAt clock(LocalTime(2026, 12, 7, 10, 40, 0));

    // Editor open: the archive waits, as at the set time.
    controller.SetEditorOpen(true);
    controller.OnViewTimer(IDT_VIEW_CATCH_UP);
    CHECK(view.shown.empty());
    controller.SetEditorOpen(false);
    controller.OnViewTimer(IDT_VIEW_CATCH_UP);
    REQUIRE(view.shown.size() == 1);
    CHECK(started.ini.Value("Settings", "LastArchiveTime") == "07,12,2026,10,40,00");

    // The set hour's next tick, a wake and a restart's look find nothing missed.
    gNow = LocalTime(2026, 12, 7, 10, 45, 0);
    controller.OnViewTimer(IDT_VIEW_SCHEDULE);
    controller.OnWake();
    controller.OnViewTimer(IDT_VIEW_CATCH_UP);
    CHECK(view.shown.size() == 1);

    // Switched off: a missed day is left to the next set time.
    WriteIniString(kSettingsSection, "LastArchiveTime", "01,12,2026,10,31,00");
    started.live.CatchUpMissed = 0;
    controller.OnViewTimer(IDT_VIEW_CATCH_UP);
    CHECK(view.shown.size() == 1);
}

TEST_CASE("after a run old day archives are folded beside the program, once a day, and the view's list follows") {
    StartedController started("controller-folding");
    CAutoArchiveController& controller = started.controller;
    const FakeView& view = started.view;
    started.live.ConsolidateArchives = 1;
    started.live.ConsolidateDays = 30;
    started.folder.Folder("archives");
    const std::string day2 = MakeTestArchive(started.folder, "archives\\November 02 2026.zip", {{"a.txt", "one"}});
    const std::string day3 =
        MakeTestArchive(started.folder, "archives\\November 03 2026.zip", {{"a.txt", "two"}, {"b.txt", "b"}});
    ClockAt clock(LocalTime(2026, 12, 7, 12, 0, 0));
    const auto waitForPass = [&] {
        for (int i = 0; i < 1000 && controller.Consolidation().Running(); ++i) ::Sleep(10);
        REQUIRE_FALSE(controller.Consolidation().Running());
    };

    // Not as Windows ends.
    controller.RunArchive(ArchiveTrigger::Shutdown);
    waitForPass();
    CHECK(started.ini.Value("Settings", "ConsolidatedOn").empty());

    controller.RunArchive(ArchiveTrigger::Command);
    waitForPass();
    controller.OnViewTimer(IDT_VIEW_FOLDING);
    CHECK(view.folded == std::vector<std::string>{day2, day3});
    CHECK(view.months == std::vector<std::string>{started.folder.Path("archives\\November 2026.zip")});
    CHECK(started.ini.Value("Settings", "ConsolidatedOn") == "07,12,2026");
    CHECK(::GetFileAttributesA(day2.c_str()) == INVALID_FILE_ATTRIBUTES);

    // The same day again: no second pass, even with a new old day.
    MakeTestArchive(started.folder, "archives\\November 04 2026.zip", {{"c.txt", "c"}});
    controller.RunArchive(ArchiveTrigger::Command);
    CHECK_FALSE(controller.Consolidation().Running());
    // The next day's first tick makes one.
    gNow = LocalTime(2026, 12, 8, 9, 0, 0);
    controller.OnViewTimer(IDT_VIEW_SCHEDULE);
    waitForPass();
    controller.OnViewTimer(IDT_VIEW_FOLDING);
    CHECK(view.folded.size() == 3);
    CHECK(started.ini.Value("Settings", "ConsolidatedOn") == "08,12,2026");
}

TEST_CASE("one run at a time: a tick inside a run waits for it, then runs once") {
    StartedController started("controller-nested");
    CAutoArchiveController& controller = started.controller;
    FakeView& view = started.view;
    // Every tick is due: every N hours with N = 0.
    started.live.General = kGeneralMonitor | kGeneralTimed | kGeneralEveryHours;
    started.live.Interval = 0;
    ClockAt clock(LocalTime(2026, 12, 7, 9, 0, 0));

    // While the command's run is open, its modal loops let the schedule's
    // timer through, twice, and a shut-down's run too.
    int shutdownResult = -1;
    view.duringRun = [&] {
        CHECK(controller.Busy());
        controller.OnViewTimer(IDT_VIEW_SCHEDULE);
        controller.OnViewTimer(IDT_VIEW_SCHEDULE);
        shutdownResult = controller.RunArchive(ArchiveTrigger::Shutdown);
    };
    CHECK(controller.RunArchive(ArchiveTrigger::Command) == 1);
    CHECK(view.maxDepth == 1);  // nothing ran inside it
    CHECK(view.shown.size() == 1);
    CHECK(shutdownResult == 0);
    CHECK_FALSE(controller.Busy());
    CHECK(controller.ScheduledRunWaiting());

    // The held-back run comes from the message loop (timer 29), once.
    controller.OnViewTimer(IDT_VIEW_WAITING_RUN);
    CHECK(view.shown.size() == 2);
    CHECK_FALSE(controller.ScheduledRunWaiting());
    controller.OnViewTimer(IDT_VIEW_WAITING_RUN);
    CHECK(view.shown.size() == 2);
    // The schedule's own ticks run as before.
    controller.OnViewTimer(IDT_VIEW_SCHEDULE);
    CHECK(view.shown.size() == 3);
    CHECK(view.maxDepth == 1);
}

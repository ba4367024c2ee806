#include <vector>

#include "app/ShutdownInterceptor.h"
#include "common/Settings.h"
#include "doctest/doctest.h"

using namespace tb;

namespace {

// Stands in for the frame and the view: records what the interception asks.
class FakeHost : public IShutdownHost {
public:
    bool canArchive = true;
    int runResult = 1;
    bool cancel = false;
    int runs = 0;
    bool timerRunning = false;
    bool blocked = false;
    bool blockedDuringRun = false;
    std::vector<UINT> sessionEnds;
    int closes = 0;

    bool busy = false;
    int cancelsCleared = 0;
    bool cancelInRun = false;  // the user ticks "Cancel Shutdown" in the run's dialog

    bool CanArchive() const override { return canArchive; }
    int RunShutdownArchive() override {
        ++runs;
        blockedDuringRun = blocked;
        if (cancelInRun) cancel = true;
        return runResult;
    }
    bool ArchivingBusy() const override { return busy; }
    bool CancelShutdownRequested() const override { return cancel; }
    void ClearCancelShutdown() override {
        cancel = false;
        ++cancelsCleared;
    }
    void StartShutdownTimer() override { timerRunning = true; }
    void StopShutdownTimer() override { timerRunning = false; }
    void BlockShutdown(bool block) override { blocked = block; }
    bool EndSession(UINT flags) override {
        sessionEnds.push_back(flags);
        return true;
    }
    void CloseFrame() override { ++closes; }
};

SettingsRecord Settings(int general, int prompts) {
    SettingsRecord s;
    s.General = general;
    s.Prompts = prompts;
    return s;
}

}  // namespace

TEST_CASE("without monitoring or archive at shut-down, Windows may end at once") {
    for (int general : {0, int(kGeneralMonitor), int(kGeneralArchiveAtShutdown)}) {
        FakeHost host;
        CShutdownInterceptor interceptor(host);
        CHECK(interceptor.QueryEnd(Settings(general, kPromptPending)) == TRUE);
        CHECK(interceptor.ShutdownHandled() == 0);
        CHECK(host.runs == 0);
        CHECK_FALSE(host.timerRunning);
    }
}

TEST_CASE("without prompts the archive runs inside the query, then Windows goes on") {
    FakeHost host;
    CShutdownInterceptor interceptor(host);
    auto s = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, kPromptSilent | kPromptDiskSpace);
    CHECK(interceptor.QueryEnd(s) == TRUE);
    CHECK(host.runs == 1);
    CHECK(host.blockedDuringRun);
    CHECK_FALSE(host.blocked);
    CHECK(interceptor.ShutdownHandled() == 1);
    // A second query of the same shut-down is let through without another run.
    CHECK(interceptor.QueryEnd(s) == TRUE);
    CHECK(host.runs == 1);
}

TEST_CASE("with a prompt bit the first query is refused and timer 5 archives, then shuts down") {
    for (int prompt : {int(kPromptPending), int(kPromptNewTypes), int(kPromptSizeLimit)}) {
        FakeHost host;
        CShutdownInterceptor interceptor(host);
        auto s = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, prompt);
        CHECK(interceptor.QueryEnd(s) == FALSE);
        CHECK(host.runs == 0);
        CHECK(host.timerRunning);

        interceptor.OnShutdownTimer(s);
        CHECK_FALSE(host.timerRunning);
        CHECK(host.runs == 1);
        REQUIRE(host.sessionEnds.size() == 1);
        CHECK(host.sessionEnds[0] == (EWX_SHUTDOWN | EWX_POWEROFF));
        CHECK(host.closes == 0);
        // The query that our own ExitWindowsEx produces is let through.
        CHECK(interceptor.QueryEnd(s) == TRUE);
        CHECK(host.runs == 1);
    }
}

TEST_CASE("a log-off query ends as a log-off and closes the frame") {
    FakeHost host;
    CShutdownInterceptor interceptor(host);
    auto s = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, kPromptPending);
    interceptor.NoteQuery(ENDSESSION_LOGOFF);
    CHECK(interceptor.LogoffRequested() == 1);
    CHECK(interceptor.QueryEnd(s) == FALSE);
    interceptor.OnShutdownTimer(s);
    REQUIRE(host.sessionEnds.size() == 1);
    CHECK(host.sessionEnds[0] == EWX_LOGOFF);
    CHECK(host.closes == 1);
}

TEST_CASE("only the log-off bit alone counts as a log-off") {
    FakeHost host;
    CShutdownInterceptor interceptor(host);
    interceptor.NoteQuery(0);
    interceptor.NoteQuery(ENDSESSION_LOGOFF | ENDSESSION_CRITICAL);
    CHECK(interceptor.LogoffRequested() == 0);
}

TEST_CASE("a postponed run or a cancelled shut-down does not end the session") {
    auto s = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, kPromptPending);
    SUBCASE("the run reports it did not run") {
        FakeHost host;
        host.runResult = 0;
        CShutdownInterceptor interceptor(host);
        interceptor.QueryEnd(s);
        interceptor.OnShutdownTimer(s);
        CHECK(host.sessionEnds.empty());
    }
    SUBCASE("the user ticked Cancel Shutdown") {
        FakeHost host;
        host.cancelInRun = true;
        CShutdownInterceptor interceptor(host);
        interceptor.QueryEnd(s);
        interceptor.OnShutdownTimer(s);
        CHECK(host.runs == 1);
        CHECK(host.sessionEnds.empty());
        CHECK(interceptor.ShutdownHandled() == 0);
        // The next shut-down is intercepted again.
        CHECK(interceptor.QueryEnd(s) == FALSE);
    }
}

TEST_CASE("timer 5 does nothing while interception is switched off") {
    FakeHost host;
    CShutdownInterceptor interceptor(host);
    auto on = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, kPromptPending);
    interceptor.QueryEnd(on);
    interceptor.OnShutdownTimer(Settings(kGeneralMonitor, kPromptPending));
    CHECK(host.timerRunning);
    CHECK(host.runs == 0);
    CHECK(host.sessionEnds.empty());
}

TEST_CASE("a shut-down that did not happen leaves the next one intercepted") {
    const auto prompting = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, kPromptPending);
    const auto silent = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, kPromptSilent);
    SUBCASE("the user postponed the run (Later, Run Archiver, Custom Archive, Exit and Reset)") {
        FakeHost host;
        host.runResult = 0;
        CShutdownInterceptor interceptor(host);
        CHECK(interceptor.QueryEnd(prompting) == FALSE);
        interceptor.OnShutdownTimer(prompting);
        CHECK(interceptor.ShutdownHandled() == 0);
        // The next shut-down asks again, and this time the user archives.
        host.runResult = 1;
        CHECK(interceptor.QueryEnd(prompting) == FALSE);
        CHECK(host.timerRunning);
        interceptor.OnShutdownTimer(prompting);
        CHECK(host.runs == 2);
        CHECK(host.sessionEnds == std::vector<UINT>{EWX_SHUTDOWN | EWX_POWEROFF});
    }
    SUBCASE("another program refused: WM_ENDSESSION with FALSE") {
        FakeHost host;
        CShutdownInterceptor interceptor(host);
        CHECK(interceptor.QueryEnd(silent) == TRUE);
        interceptor.OnEndSession(false);
        CHECK(interceptor.ShutdownHandled() == 0);
        CHECK(interceptor.QueryEnd(silent) == TRUE);
        CHECK(host.runs == 2);  // archived again: files changed since are not lost
        interceptor.OnEndSession(true);
        CHECK(interceptor.ShutdownHandled() == 1);
    }
}

TEST_CASE("each new shut-down forgets the last one's log-off and Cancel Shutdown") {
    const auto s = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, kPromptNewTypes);
    FakeHost host;
    CShutdownInterceptor interceptor(host);
    // A log-off, cancelled in the pending dialog.
    interceptor.NoteQuery(ENDSESSION_LOGOFF);
    interceptor.QueryEnd(s);
    host.cancel = true;
    interceptor.OnShutdownTimer(s);
    CHECK(host.sessionEnds.empty());
    // Then a shut-down, whose run shows no pending dialog: it shuts down.
    interceptor.NoteQuery(0);
    CHECK(interceptor.QueryEnd(s) == FALSE);
    CHECK(interceptor.LogoffRequested() == 0);
    CHECK_FALSE(host.cancel);
    interceptor.OnShutdownTimer(s);
    CHECK(host.sessionEnds == std::vector<UINT>{EWX_SHUTDOWN | EWX_POWEROFF});
    CHECK(host.closes == 0);
}

TEST_CASE("while a run, the settings or the editor is open, the shut-down archive waits for it") {
    const auto silent = Settings(kGeneralMonitor | kGeneralArchiveAtShutdown, kPromptSilent);
    FakeHost host;
    host.busy = true;
    host.cancel = true;  // the open run's dialog has "Cancel Shutdown" ticked
    CShutdownInterceptor interceptor(host);
    // Without prompts it would run inside the query: refused instead.
    CHECK(interceptor.QueryEnd(silent) == FALSE);
    CHECK(host.runs == 0);
    CHECK(host.timerRunning);
    CHECK(host.cancelsCleared == 0);  // the open dialog's box stays as the user left it
    for (int tick = 0; tick < 3; ++tick) interceptor.OnShutdownTimer(silent);
    CHECK(host.runs == 0);
    CHECK(host.timerRunning);  // still waiting
    host.busy = false;
    host.cancel = false;
    interceptor.OnShutdownTimer(silent);
    CHECK(host.runs == 1);
    CHECK_FALSE(host.timerRunning);
    CHECK(host.sessionEnds == std::vector<UINT>{EWX_SHUTDOWN | EWX_POWEROFF});
}

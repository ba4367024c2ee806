#include "autoarchive/AutoArchiveController.h"

#include <shlobj.h>

#include <ctime>

#include "autoarchive/ArchiveRun.h"
#include "autoarchive/CatchUp.h"
#include "autoarchive/ProgramArchiveHost.h"
#include "autoarchive/Reconciliation.h"
#include "autoarchive/RunLog.h"
#include "autoarchive/RunSummary.h"
#include "common/Clock.h"
#include "framework/Shell.h"
#include "monitor/ChangeMonitor.h"
#include "monitor/DirectoryListWorker.h"
#include "res/resource.h"
#include "settings/SettingsSheet.h"

namespace tb {

namespace {
constexpr UINT kScheduleTickMs = 300000;
constexpr UINT kMonitorRestartMs = 10000;
constexpr UINT kWaitingRunMs = 100;
// The program (or the machine) settles first; a wake reported twice is one.
constexpr UINT kCatchUpDelayMs = 2000;
constexpr UINT kCatchUpRetryMs = 60000;
constexpr UINT kFoldingCheckMs = 1000;
// The reconciliation walk runs at least this often.
constexpr time_t kReconciliationEvery = 24 * 60 * 60;

TypeChoice ChoiceOf(const ChangeTrackingSettings& s) {
    return TypeChoice::From(s.FileTypes, s.ExcludeTypes, s.ExcludeFiles, s.General, s.Sizelimit);
}

// Sets a flag for as long as it lives.
class FlagWhile {
public:
    explicit FlagWhile(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagWhile() { m_flag = false; }
    FlagWhile(const FlagWhile&) = delete;
    FlagWhile& operator=(const FlagWhile&) = delete;

private:
    bool& m_flag;
};
}  // namespace

CAutoArchiveController::CAutoArchiveController(SettingsRecord& settings, IArchiveViewHost& view)
    : m_settings(settings),
      m_view(view),
      m_worker(std::make_unique<CDirectoryListWorker>(settings)),
      m_monitor(std::make_unique<CChangeMonitor>(settings)),
      m_changeList(view, settings) {
    EnsureTrackedSince();
    m_worker->SetReconciliation(
        [this](const ChangeTrackingSettings& tracking, const std::atomic<int>& quit) { return Reconcile(tracking, quit); });
}

CAutoArchiveController::~CAutoArchiveController() { Stop(); }

void CAutoArchiveController::Start(HWND viewWindow, HWND owner) {
    m_viewWindow = viewWindow;
    m_owner = owner;
    if (m_viewWindow) ::SetTimer(m_viewWindow, IDT_VIEW_SCHEDULE, kScheduleTickMs, nullptr);
    m_changeList.SetProgressParent(Owner());
    RequestReconciliation();
    LookForMissedArchive();
}

std::shared_ptr<const CDueRule> CAutoArchiveController::DueRuleNow() {
    const ChangeTrackingSettings tracking = ChangeTrackingSettings::From(m_settings);
    return std::make_shared<const CDueRule>(
        CurrentDueRule(ChoiceOf(tracking), tracking.LocationDir, tracking.LocationDirAlt, m_archiveContents));
}

int CAutoArchiveController::Reconcile(const ChangeTrackingSettings& settings, const std::atomic<int>& quit) {
    WatchedPlaces places;
    places.settings = settings;
    places.tempFolder = TempFolder(MAX_PATH);
    places.internetCacheFolder = SpecialFolder(CSIDL_INTERNET_CACHE);
    const CDueRule rule =
        CurrentDueRule(ChoiceOf(settings), settings.LocationDir, settings.LocationDirAlt, m_archiveContents);
    return tb::Reconcile(places, rule, [&] { return quit.load() || m_cancelReconciliation.load(); });
}

void CAutoArchiveController::RequestReconciliation() {
    if (RunningUnderWine()) return;
    // The user-interface thread does not wait for a busy worker: the next
    // schedule tick asks again.
    if (m_worker->Busy()) return;
    m_lastReconciliation = CurrentTime();
    m_worker->Request(kJobReconcile);
}

void CAutoArchiveController::ReconcileBeforeList() {
    if (!RunningUnderWine()) return;
    m_worker->Request(kJobReconcile);
    m_worker->Request(kJobNone);  // until the walk is over
}

void CAutoArchiveController::Stop() {
    m_consolidation.Stop();
    m_cancelReconciliation = 1;
    m_worker->Request(kJobNone);
    m_monitor->Pause();
    if (m_viewWindow) {
        ::KillTimer(m_viewWindow, IDT_VIEW_SCHEDULE);
        ::KillTimer(m_viewWindow, IDT_VIEW_WAITING_RUN);
        ::KillTimer(m_viewWindow, IDT_VIEW_CATCH_UP);
        ::KillTimer(m_viewWindow, IDT_VIEW_FOLDING);
    }
    m_worker->Shutdown();
    m_monitor->Shutdown();
}

HWND CAutoArchiveController::Owner() const { return m_owner ? m_owner : m_viewWindow; }

bool CAutoArchiveController::PauseMonitor() { return m_monitor->Pause(); }
void CAutoArchiveController::ResumeMonitor() { m_monitor->Resume(); }

void CAutoArchiveController::RequestRebuildAndRestart() {
    // A reconciliation walk may take long on a large drive: the rebuild is
    // then handed over by the timer once the walk is over.
    m_rebuildWaiting = m_worker->Busy();
    if (!m_rebuildWaiting) m_worker->Request(kJobRebuildDirectoryList);
    if (m_viewWindow) ::SetTimer(m_viewWindow, IDT_VIEW_MONITOR_RESTART, kMonitorRestartMs, nullptr);
    m_monitorRestart = 1;
}

// Timer 28 while a rebuild waits: once the worker is free it gets the
// rebuild, and the monitor restarts 10 s after that.
bool CAutoArchiveController::RebuildStillWaiting() {
    if (!m_rebuildWaiting) return false;
    if (m_worker->Busy()) return true;
    RequestRebuildAndRestart();
    return true;
}

int CAutoArchiveController::RunArchive(ArchiveTrigger trigger) {
    if (Busy()) {
        // The modal loop of a run, the settings sheet or the editor let this
        // through. The schedule's run waits; the others are not made.
        if (trigger == ArchiveTrigger::Schedule) m_scheduleWaiting = true;
        return 0;
    }
    int result = 0;
    {
        FlagWhile running(m_running);
        CProgramArchiveHost host(*this);
        CAutoArchiveRun run(host);
        result = run.Run(trigger, m_settings);
        Tell(run.m_summary);
    }
    // Old days are folded after a run, beside the program; not as Windows ends.
    if (trigger != ArchiveTrigger::Shutdown) ConsolidateIfDue();
    LetWaitingRunCome();
    return result;
}

void CAutoArchiveController::Tell(const RunSummary& summary) {
    if (!summary.ran) return;  // a timed run while monitoring is off
    AppendRunLog(RunLogPath(), RunLogLine(summary));
    if (m_report) m_report->RunReported(summary);
}

void CAutoArchiveController::ConsolidateIfDue() {
    if (m_consolidation.StartIfDue(m_settings, CurrentTime()) && m_viewWindow)
        ::SetTimer(m_viewWindow, IDT_VIEW_FOLDING, kFoldingCheckMs, nullptr);
}

void CAutoArchiveController::OnFoldingTimer() {
    if (m_consolidation.Running()) return;
    if (m_viewWindow) ::KillTimer(m_viewWindow, IDT_VIEW_FOLDING);
    const ConsolidationResult done = m_consolidation.LastResult();
    if (!done.removed.empty()) m_view.ArchivesFolded(done.removed, done.written);
}

void CAutoArchiveController::EditSettings(HWND owner) {
    FlagWhile open(m_sheetOpen);
    SettingsRecord working = m_settings;
    if (!ShowSettingsSheet(owner, working)) return;
    m_settings = working;
    WriteSettings(m_settings);
    RequestRebuildAndRestart();
    m_view.SettingsChanged();
}

void CAutoArchiveController::OpenSettings() {
    // A second sheet would copy its record over the first one's; a sheet
    // opened beside a run would copy over what the run learned.
    if (m_running || m_sheetOpen) return;
    EditSettings(Owner());
    LetWaitingRunCome();
}

void CAutoArchiveController::OpenSettingsOver(HWND owner) {
    // From the archive editor, which a run may have opened ("Custom Archive").
    if (m_sheetOpen) return;
    EditSettings(owner);
    LetWaitingRunCome();
}

void CAutoArchiveController::OpenSettingsInRun() { EditSettings(Owner()); }

void CAutoArchiveController::SetEditorOpen(bool open) {
    m_editorOpen = open ? 1 : 0;
    if (!open) LetWaitingRunCome();
}

void CAutoArchiveController::LetWaitingRunCome() {
    if (m_scheduleWaiting && !Busy() && m_viewWindow)
        ::SetTimer(m_viewWindow, IDT_VIEW_WAITING_RUN, kWaitingRunMs, nullptr);
}

void CAutoArchiveController::RunWaiting() {
    if (!m_scheduleWaiting || Busy()) return;
    m_scheduleWaiting = false;
    RunArchive(ArchiveTrigger::Schedule);
}

void CAutoArchiveController::OnWake() {
    RequestReconciliation();
    LookForMissedArchive();
}

void CAutoArchiveController::LookForMissedArchive() {
    if (m_viewWindow) ::SetTimer(m_viewWindow, IDT_VIEW_CATCH_UP, kCatchUpDelayMs, nullptr);
}

void CAutoArchiveController::CatchUpIfMissed() {
    if (Busy()) {
        // Not inside a run, the settings sheet or the editor: the question
        // is asked again once they are likely closed.
        if (m_viewWindow) ::SetTimer(m_viewWindow, IDT_VIEW_CATCH_UP, kCatchUpRetryMs, nullptr);
        return;
    }
    const CatchUp missed = DecideCatchUp(m_settings, CatchUpFactsAt(CurrentTime(), ReadLastArchiveTimeText()));
    if (missed == CatchUp::None) {
        ConsolidateIfDue();
        return;
    }
    // The run made now stands for the one missed: the set hour's ticks do not
    // run it again, and the next interval counts from now.
    if (missed == CatchUp::SetTime) m_schedule.timeLatch = 1;
    if (missed == CatchUp::Interval) m_schedule.intervalMinutes = 0;
    RunArchive(ArchiveTrigger::Schedule);
}

void CAutoArchiveController::OnViewTimer(UINT_PTR id) {
    if (id == IDT_VIEW_FOLDING) {
        OnFoldingTimer();
        return;
    }
    if (id == IDT_VIEW_CATCH_UP) {
        if (m_viewWindow) ::KillTimer(m_viewWindow, IDT_VIEW_CATCH_UP);
        CatchUpIfMissed();
        return;
    }
    if (id == IDT_VIEW_WAITING_RUN) {
        // Not a tick of the schedule: the run it held back.
        if (m_viewWindow) ::KillTimer(m_viewWindow, IDT_VIEW_WAITING_RUN);
        RunWaiting();
        return;
    }
    if (RebuildStillWaiting()) {
        // Timer 28 goes on until the rebuild has been handed over.
    } else {
        if (m_monitorRestart) {
            m_monitorRestart = 0;
            m_monitor->Pause();
            m_monitor->Resume();
        }
        if (id == IDT_VIEW_MONITOR_RESTART && m_viewWindow) ::KillTimer(m_viewWindow, IDT_VIEW_MONITOR_RESTART);
    }
    const time_t now = CurrentTime();
    std::tm local{};
    if (const std::tm* converted = std::localtime(&now)) local = *converted;
    // A due archive that comes while the program is busy waits (RunArchive
    // notes it) and is made once; so is one whose own timer was lost.
    const ScheduleDecision due = ScheduleTick(m_schedule, m_settings, local.tm_hour, local.tm_min);
    if (due.specificTime) RunArchive(ArchiveTrigger::Schedule);
    if (due.interval) RunArchive(ArchiveTrigger::Schedule);
    if (!due.specificTime && !due.interval) RunWaiting();
    if (id == IDT_VIEW_SCHEDULE) ConsolidateIfDue();  // a new day while the program runs
    if (id == IDT_VIEW_SCHEDULE && !Busy() && now - m_lastReconciliation >= kReconciliationEvery)
        RequestReconciliation();
}

int CAutoArchiveController::SearchChangedFiles(const std::string& folder, time_t since, int withSubfolders) {
    return m_changeList.SearchChangedFiles(folder, TicksFromTime(since), withSubfolders);
}

}  // namespace tb

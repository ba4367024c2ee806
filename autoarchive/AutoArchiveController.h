#pragma once
// CAutoArchiveController: automatic archiving as the program runs it. It owns
// the two background objects of change tracking (the directory-list worker and
// the change monitor), the change list, the schedule and the flags the run
// leaves for the rest of the program, and runs the archive when the view's
// command, its schedule tick or Windows shut-down asks for one.
//
// The main frame and the view reach it through IArchiveControl; it reaches the
// view through IArchiveViewHost. Its timers (27, the schedule tick every five
// minutes; 28, the monitor restart 10 s after a rebuild; 30, the look for a
// missed archive after start-up and after a wake; 31, the watch over a pass
// of folding old day archives) belong to the view's window, which hands every
// timer message on to OnViewTimer.

#include <windows.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <vector>

#include "autoarchive/ArchiveControl.h"
#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/ConsolidationWorker.h"
#include "autoarchive/DueRule.h"
#include "autoarchive/Schedule.h"
#include "common/Settings.h"
#include "monitor/ChangeTrackingSettings.h"

namespace tb {

class CChangeMonitor;
class CDirectoryListWorker;

class CAutoArchiveController : public IArchiveControl {
public:
    // `settings` is the live Settings record, read before: both background
    // objects take their copy of it and their threads start at once.
    CAutoArchiveController(SettingsRecord& settings, IArchiveViewHost& view);
    ~CAutoArchiveController() override;
    CAutoArchiveController(const CAutoArchiveController&) = delete;
    CAutoArchiveController& operator=(const CAutoArchiveController&) = delete;

    // IArchiveControl. Start: timer 27 starts on the view's window. Stop:
    // waits for the worker to be idle, pauses the monitor, stops timer 27 and
    // ends both threads.
    void Start(HWND viewWindow, HWND owner) override;
    void Stop() override;
    int RunArchive(ArchiveTrigger trigger) override;
    bool Busy() const override { return m_running || m_sheetOpen || m_editorOpen; }
    void OpenSettings() override;
    // The same over another window than the main one (the archive editor).
    void OpenSettingsOver(HWND owner);
    void OnViewTimer(UINT_PTR id) override;
    void OnWake() override;
    bool CancelShutdownRequested() const override { return m_cancelShutdown != 0; }
    void ClearCancelShutdown() override { m_cancelShutdown = 0; }
    void SetEditorOpen(bool open) override;
    int SearchChangedFiles(const std::string& folder, time_t since, int withSubfolders) override;
    void SetRunReport(IRunReport* report) override { m_report = report; }

    // The settings sheet from inside a run ("Edit Settings"): the run stays
    // the one that is open.
    void OpenSettingsInRun();
    // A run the schedule asked for while the program was busy, not yet made.
    bool ScheduledRunWaiting() const { return m_scheduleWaiting; }

    // What the archive run works with.
    SettingsRecord& Settings() { return m_settings; }
    IArchiveViewHost& View() { return m_view; }
    CChangeListBuilder& ChangeList() { return m_changeList; }
    HWND ViewWindow() const { return m_viewWindow; }
    HWND Owner() const;
    // The flag the pending archive dialog's "Cancel Shutdown" box sets.
    int* CancelShutdownFlag() { return &m_cancelShutdown; }
    // False when the monitor did not stop in time.
    bool PauseMonitor();
    void ResumeMonitor();
    // Has the directory list rebuilt and the monitor restarted 10 s later.
    void RequestRebuildAndRestart();
    // The due rule as it stands now, for a build of the change list.
    std::shared_ptr<const CDueRule> DueRuleNow();
    // Under Wine, whose change notifications are incomplete, a run's list
    // never depends on them: the reconciliation walk is made first, and this
    // waits for it. Elsewhere nothing is done.
    void ReconcileBeforeList();

    bool MonitorRestartPending() const { return m_monitorRestart != 0; }
    // The folding of old day archives, which runs beside the program.
    CConsolidationWorker& Consolidation() { return m_consolidation; }

    // The user has been told this session that a type list is full.
    bool TypeListFullTold() const { return m_typeListFullTold; }
    void NoteTypeListFullTold() { m_typeListFullTold = true; }

private:
    void EditSettings(HWND owner);
    // Once nothing is busy, a waiting scheduled run comes from the message
    // loop (timer 29), not from inside the call that ended the busy state.
    void LetWaitingRunCome();
    void RunWaiting();
    // Shortly after start-up or a wake (timer 30, from the message loop, not
    // inside the message that told of it).
    void LookForMissedArchive();
    void CatchUpIfMissed();
    // A pass of folding old day archives, when the settings ask for one and
    // none completed today.
    void ConsolidateIfDue();
    // Timer 31 while a pass runs: once it has ended, the view's known list
    // loses the day archives it removed.
    void OnFoldingTimer();
    // Hands the worker a reconciliation walk (after start-up, a wake, and
    // once a day). Under Wine every run makes its own first instead.
    void RequestReconciliation();
    // True while the rebuild after a run waits for the worker (it is handed
    // over here once the worker is free).
    bool RebuildStillWaiting();
    int Reconcile(const ChangeTrackingSettings& settings, const std::atomic<int>& quit);
    // The run log gets the run's line, and the report is told.
    void Tell(const RunSummary& summary);

    SettingsRecord& m_settings;
    IArchiveViewHost& m_view;
    // Before the worker: its reconciliation walks use it until the worker ends.
    CArchiveContents m_archiveContents;
    std::unique_ptr<CDirectoryListWorker> m_worker;
    std::unique_ptr<CChangeMonitor> m_monitor;
    CChangeListBuilder m_changeList;
    ScheduleState m_schedule;
    CConsolidationWorker m_consolidation;
    time_t m_lastReconciliation = 0;
    // Ends a reconciliation walk at once (the program is closing).
    std::atomic<int> m_cancelReconciliation{0};
    // The directory list waits to be rebuilt until the worker is done with
    // a reconciliation walk, so the user-interface thread never waits for one.
    bool m_rebuildWaiting = false;
    HWND m_viewWindow = nullptr;
    HWND m_owner = nullptr;
    int m_cancelShutdown = 0;
    int m_editorOpen = 0;
    bool m_running = false;
    bool m_sheetOpen = false;
    bool m_scheduleWaiting = false;
    int m_monitorRestart = 0;
    bool m_typeListFullTold = false;
    IRunReport* m_report = nullptr;
};

}  // namespace tb

#include "autoarchive/AutoArchiveController.h"

#include <ctime>

#include "autoarchive/ArchiveRun.h"
#include "autoarchive/ProgramArchiveHost.h"
#include "common/Clock.h"
#include "monitor/ChangeMonitor.h"
#include "monitor/DirectoryListWorker.h"
#include "res/resource.h"
#include "settings/SettingsSheet.h"

namespace tb {

namespace {
constexpr UINT kScheduleTickMs = 300000;
constexpr UINT kMonitorRestartMs = 10000;
}  // namespace

CAutoArchiveController::CAutoArchiveController(SettingsRecord& settings, IArchiveViewHost& view)
    : m_settings(settings),
      m_view(view),
      m_worker(std::make_unique<CDirectoryListWorker>(settings)),
      m_monitor(std::make_unique<CChangeMonitor>(settings)),
      m_changeList(view, settings) {}

CAutoArchiveController::~CAutoArchiveController() { Stop(); }

void CAutoArchiveController::Start(HWND viewWindow, HWND owner) {
    m_viewWindow = viewWindow;
    m_owner = owner;
    if (m_viewWindow) ::SetTimer(m_viewWindow, IDT_VIEW_SCHEDULE, kScheduleTickMs, nullptr);
    m_changeList.SetProgressParent(Owner());
}

void CAutoArchiveController::Stop() {
    m_worker->Request(kJobNone);
    m_monitor->Pause();
    if (m_viewWindow) ::KillTimer(m_viewWindow, IDT_VIEW_SCHEDULE);
    m_worker->Shutdown();
    m_monitor->Shutdown();
}

HWND CAutoArchiveController::Owner() const { return m_owner ? m_owner : m_viewWindow; }

void CAutoArchiveController::PauseMonitor() { m_monitor->Pause(); }
void CAutoArchiveController::ResumeMonitor() { m_monitor->Resume(); }

void CAutoArchiveController::RequestRebuildAndRestart() {
    m_worker->Request(kJobRebuildDirectoryList);
    if (m_viewWindow) ::SetTimer(m_viewWindow, IDT_VIEW_MONITOR_RESTART, kMonitorRestartMs, nullptr);
    m_monitorRestart = 1;
}

int CAutoArchiveController::RunArchive(ArchiveTrigger trigger) {
    CProgramArchiveHost host(*this);
    CAutoArchiveRun run(host);
    return run.Run(trigger, m_settings);
}

void CAutoArchiveController::OpenSettings() { OpenSettingsOver(Owner()); }

void CAutoArchiveController::OpenSettingsOver(HWND owner) {
    SettingsRecord working = m_settings;
    if (!ShowSettingsSheet(owner, working)) return;
    m_settings = working;
    WriteSettings(m_settings);
    RequestRebuildAndRestart();
}

void CAutoArchiveController::OnViewTimer(UINT_PTR id) {
    if (m_monitorRestart) {
        m_monitorRestart = 0;
        m_monitor->Pause();
        m_monitor->Resume();
    }
    if (id == IDT_VIEW_MONITOR_RESTART && m_viewWindow) ::KillTimer(m_viewWindow, IDT_VIEW_MONITOR_RESTART);
    const time_t now = CurrentTime();
    std::tm local{};
    if (const std::tm* converted = std::localtime(&now)) local = *converted;
    const ScheduleDecision due = ScheduleTick(m_schedule, m_settings, m_editorOpen != 0, local.tm_hour, local.tm_min);
    if (due.specificTime) RunArchive(ArchiveTrigger::Schedule);
    if (due.interval) RunArchive(ArchiveTrigger::Schedule);
}

int CAutoArchiveController::SearchChangedFiles(const std::string& folder, time_t since, int withSubfolders) {
    return m_changeList.SearchChangedFiles(folder, TicksFromTime(since), withSubfolders);
}

}  // namespace tb

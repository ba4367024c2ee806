#include "app/ShutdownInterceptor.h"

namespace tb {

namespace {
bool Intercepts(const SettingsRecord& s) {
    return (s.General & kGeneralMonitor) && (s.General & kGeneralArchiveAtShutdown);
}
bool Prompting(const SettingsRecord& s) {
    return (s.Prompts & (kPromptPending | kPromptNewTypes | kPromptSizeLimit)) != 0;
}
}  // namespace

void CShutdownInterceptor::NoteQuery(LPARAM lParam) {
    m_lastQueryLogoff = DWORD(lParam) == ENDSESSION_LOGOFF;
    if (m_lastQueryLogoff) m_logoffRequested = 1;
}

BOOL CShutdownInterceptor::QueryEnd(const SettingsRecord& settings) {
    if (m_shutdownHandled == 1) return TRUE;
    m_shutdownHandled = 1;
    // A new shut-down: what the last one asked for no longer counts. (A run
    // that is open keeps its dialog's "Cancel Shutdown" as the user left it.)
    m_logoffRequested = m_lastQueryLogoff ? 1 : 0;
    if (!m_host.ArchivingBusy()) m_host.ClearCancelShutdown();
    if (!Intercepts(settings)) {
        m_shutdownHandled = 0;
        return TRUE;
    }
    if (!Prompting(settings) && m_host.CanArchive() && !m_host.ArchivingBusy()) {
        m_host.BlockShutdown(true);
        m_host.RunShutdownArchive();
        m_host.BlockShutdown(false);
        return TRUE;
    }
    m_host.StartShutdownTimer();
    return FALSE;
}

void CShutdownInterceptor::OnShutdownTimer(const SettingsRecord& settings) {
    if (!Intercepts(settings)) return;  // the timer stays, doing nothing
    if (m_host.CanArchive() && m_host.ArchivingBusy()) return;  // again in 250 ms
    m_host.StopShutdownTimer();
    if (m_host.CanArchive()) {
        m_host.BlockShutdown(true);
        int ran = m_host.RunShutdownArchive();
        m_host.BlockShutdown(false);
        if (ran == 0) {
            // Postponed or diverted: no shut-down happens, the next is intercepted.
            m_shutdownHandled = 0;
            return;
        }
    }
    m_shutdownHandled = 1;
    if (m_host.CancelShutdownRequested()) {
        m_shutdownHandled = 0;
        return;
    }
    if (m_logoffRequested) {
        m_host.EndSession(EWX_LOGOFF);
        m_host.CloseFrame();
        return;
    }
    m_host.EndSession(EWX_SHUTDOWN | EWX_POWEROFF);
}

void CShutdownInterceptor::OnEndSession(bool ending) {
    if (!ending) m_shutdownHandled = 0;
}

}  // namespace tb

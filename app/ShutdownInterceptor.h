#pragma once
// The frame's part in ending Windows: the automatic archive at shut-down or
// log-off. Without prompts the archive runs inside WM_QUERYENDSESSION and
// Windows goes on; with prompts the first request is refused, the archive runs
// with its dialogs from timer 5, and then the program ends the session itself.
// The decisions live here, apart from the window, so they can be tested.

#include <windows.h>

#include "common/Settings.h"

namespace tb {

// What the interception needs from the frame and automatic archiving.
class IShutdownHost {
public:
    virtual ~IShutdownHost() = default;
    // Automatic archiving exists (it does once start-up has made it).
    virtual bool CanArchive() const = 0;
    // The automatic archive run at shut-down; 1 = done.
    virtual int RunShutdownArchive() = 0;
    // A run, the settings sheet or the archive editor is open: no archive
    // can run now (it would run inside them).
    virtual bool ArchivingBusy() const = 0;
    // The "Cancel Shutdown" box of the pending archive dialog.
    virtual bool CancelShutdownRequested() const = 0;
    virtual void ClearCancelShutdown() = 0;
    virtual void StartShutdownTimer() = 0;
    virtual void StopShutdownTimer() = 0;
    // While a shut-down archive runs, tell Windows why it has to wait.
    virtual void BlockShutdown(bool block) = 0;
    virtual bool EndSession(UINT exitFlags) = 0;
    virtual void CloseFrame() = 0;
};

class CShutdownInterceptor {
public:
    explicit CShutdownInterceptor(IShutdownHost& host) : m_host(host) {}

    // Before any other handling: a query whose lParam is exactly the log-off bit.
    void NoteQuery(LPARAM lParam);
    // WM_QUERYENDSESSION: TRUE lets Windows end, FALSE refuses. A query that
    // begins a new shut-down forgets the last one's log-off and "Cancel
    // Shutdown". While the program is busy (a run, the settings sheet or the
    // editor is open) the archive cannot run inside the query: it is refused
    // and timer 5 archives once they have closed.
    BOOL QueryEnd(const SettingsRecord& settings);
    // Timer 5: the archive with its dialogs, then the end of the session. It
    // keeps waiting while the program is busy.
    void OnShutdownTimer(const SettingsRecord& settings);
    // WM_ENDSESSION: with FALSE the session goes on (another program or the
    // user refused), so the next shut-down is intercepted again.
    void OnEndSession(bool ending);

    int ShutdownHandled() const { return m_shutdownHandled; }
    int LogoffRequested() const { return m_logoffRequested; }

private:
    IShutdownHost& m_host;
    int m_shutdownHandled = 0;
    int m_logoffRequested = 0;
    bool m_lastQueryLogoff = false;
};

}  // namespace tb

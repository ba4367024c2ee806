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
    // The "Cancel Shutdown" box of the pending archive dialog.
    virtual bool CancelShutdownRequested() const = 0;
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
    // WM_QUERYENDSESSION: TRUE lets Windows end, FALSE refuses.
    BOOL QueryEnd(const SettingsRecord& settings);
    // Timer 5: the archive with its dialogs, then the end of the session.
    void OnShutdownTimer(const SettingsRecord& settings);

    int ShutdownHandled() const { return m_shutdownHandled; }
    int LogoffRequested() const { return m_logoffRequested; }

private:
    IShutdownHost& m_host;
    int m_shutdownHandled = 0;
    int m_logoffRequested = 0;
};

}  // namespace tb

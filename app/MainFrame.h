#pragma once
// CMainFrame: the program's one top-level window, of class
// "TallyboxArchiveClass". Toolbar, status bar, the tray icon, hiding instead of
// closing, its placement in the settings file, and the interception of Windows
// shut-down and log-off.

#include <string>

#include "app/ShutdownInterceptor.h"
#include "autoarchive/ArchiveControl.h"
#include "framework/FrameWindow.h"

namespace tb {

class CTallyboxView;

class CMainFrame : public CFrameWindow, private IShutdownHost, private IRunReport {
public:
    static constexpr char kWindowClass[] = "TallyboxArchiveClass";

    CMainFrame();
    // Creates the frame hidden; start-up shows or hides it.
    bool CreateFrame();
    // The view inside the frame and automatic archiving, once they exist.
    void Attach(CTallyboxView* view, IArchiveControl* archiving);

    CShutdownInterceptor& Shutdown() { return m_shutdown; }

private:
    int OnCreate();
    void OnSize(UINT type, int width, int height);
    void OnShowWindow(bool shown);
    void OnTrayNotify(LPARAM event);
    void RestoreAndRaise(bool topmostBlink);
    void Terminate();
    void OnDestroy();
    void OnHandOver(ATOM atom);
    void OpenHelp();

    // IShutdownHost
    bool CanArchive() const override;
    int RunShutdownArchive() override;
    bool ArchivingBusy() const override;
    bool CancelShutdownRequested() const override;
    void ClearCancelShutdown() override;
    void StartShutdownTimer() override;
    void StopShutdownTimer() override;
    void BlockShutdown(bool block) override;
    bool EndSession(UINT exitFlags) override;
    void CloseFrame() override;

    // IRunReport: the run's line in the status bar and the tray tip; a run
    // that failed, was stopped or found no type to archive also raises a
    // balloon, whatever the prompts.
    void RunReported(const RunSummary& summary) override;

    CShutdownInterceptor m_shutdown;
    CTallyboxView* m_view = nullptr;
    IArchiveControl* m_archiving = nullptr;
    UINT m_lastSizeType = 0;
    int m_lastWidth = 0;
    int m_lastHeight = 0;
    bool m_shownOnce = false;
    int m_sizeMessages = 0;  // size messages since the toolbar and status bar last followed
    std::string m_lastRunLine;  // what the last archive run did, for the tray tip
};

}  // namespace tb

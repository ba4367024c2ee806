#include "app/MainFrame.h"

#include "app/EndRequest.h"
#include "app/Globals.h"
#include "app/OpenNamedArchive.h"
#include "app/SessionEnd.h"
#include "app/TallyboxApp.h"
#include "app/TrayIcon.h"
#include "autoarchive/ArchiveControl.h"
#include "autoarchive/RunLogDlg.h"
#include "autoarchive/RunSummary.h"
#include "browser/TallyboxView.h"
#include "common/Profile.h"
#include "editor/EditorOperations.h"
#include "framework/Shell.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr int kToolbarImage = 24;
constexpr int kToolbarButtonWidth = 91;
constexpr int kStatusPaneWidth = 400;
constexpr char kHelpIndex[] = "hlpindex.html";
}  // namespace

CMainFrame::CMainFrame() : m_shutdown(*this) {
    Map().OnMessage(WM_CREATE, [this](WPARAM, LPARAM) -> LRESULT { return OnCreate(); });
    Map().OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) -> LRESULT { Show(SW_HIDE); return 0; });
    Map().OnMessage(WM_SIZE, [this](WPARAM w, LPARAM l) -> LRESULT {
        OnSize(UINT(w), LOWORD(l), HIWORD(l));
        return 0;
    });
    Map().OnMessage(WM_QUERYENDSESSION, [this](WPARAM, LPARAM l) -> LRESULT {
        m_shutdown.NoteQuery(l);
        return m_shutdown.QueryEnd(gSettings);
    });
    Map().OnMessage(WM_ENDSESSION, [this](WPARAM w, LPARAM) -> LRESULT {
        m_shutdown.OnEndSession(w != FALSE);
        if (w) EndSessionProcessing(m_view);
        return 0;
    });
    // Back from sleep (the automatic resume always comes; the one for a user
    // at the keyboard may follow): an archive missed while asleep is caught up.
    Map().OnMessage(WM_POWERBROADCAST, [this](WPARAM w, LPARAM) -> LRESULT {
        if ((w == PBT_APMRESUMEAUTOMATIC || w == PBT_APMRESUMESUSPEND) && m_archiving) m_archiving->OnWake();
        return TRUE;
    });
    Map().OnMessage(WM_SHOWWINDOW, [this](WPARAM w, LPARAM l) -> LRESULT {
        DefaultProc(WM_SHOWWINDOW, w, l);
        OnShowWindow(w != FALSE);
        return 0;
    });
    Map().OnMessage(WM_ERASEBKGND, [](WPARAM, LPARAM) -> LRESULT { return 1; });
    Map().OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        OnDestroy();
        return 0;
    });
    Map().OnMessage(WM_TB_OPEN_NAMED, [this](WPARAM w, LPARAM) -> LRESULT {
        OnHandOver(ATOM(w));
        return 0;
    });
    // Setup and the uninstaller end the program this way.
    Map().OnMessage(WM_TB_END_PROGRAM, [this](WPARAM, LPARAM) -> LRESULT { return HandleEndRequest(Handle()); });
    Map().OnMessage(WM_TB_TRAY, [this](WPARAM, LPARAM l) -> LRESULT {
        OnTrayNotify(l);
        return 0;
    });
    // The shell restarted: the notification area lost our icon.
    if (const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated"))
        Map().OnMessage(taskbarCreated, [this](WPARAM, LPARAM) -> LRESULT {
            CTrayIcon::Add(Handle());
            if (!m_lastRunLine.empty()) CTrayIcon::Tell(Handle(), m_lastRunLine);
            return 0;
        });
    Map().OnCommand(ID_APP_EXIT, [this] { Terminate(); });
    Map().OnCommand(ID_HIDE_WINDOW, [this] { Show(SW_HIDE); });
    Map().OnCommand(ID_ARCHIVE_LOG, [this] { ShowRunLog(Handle()); });
    for (UINT id : {ID_HELP_INDEX, ID_HELP, ID_CONTEXT_HELP, ID_DEFAULT_HELP})
        Map().OnCommand(id, [this] { OpenHelp(); });

    Map().OnTimer(IDT_FRAME_LAYOUT, [this] {
        StopTimer(IDT_FRAME_LAYOUT);
        RecalcLayout();
    });
    Map().OnTimer(IDT_FRAME_FIRST_SHOW, [this] {
        if (m_view) m_view->LayoutPanes(-1, -1);
        StopTimer(IDT_FRAME_FIRST_SHOW);
    });
    Map().OnTimer(IDT_FRAME_RAISE, [this] {
        RestoreAndRaise(true);
        StopTimer(IDT_FRAME_RAISE);
    });
    Map().OnTimer(IDT_FRAME_SHUTDOWN, [this] { m_shutdown.OnShutdownTimer(gSettings); });
}

bool CMainFrame::CreateFrame() {
    return Create(0, kWindowClass, "File Archiver by Corvane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  CW_USEDEFAULT, CW_USEDEFAULT, 500, 400, nullptr,
                  ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) != nullptr;
}

void CMainFrame::Attach(CTallyboxView* view, IArchiveControl* archiving) {
    m_view = view;
    m_archiving = archiving;
    if (m_archiving) m_archiving->SetRunReport(this);
}

int CMainFrame::OnCreate() {
    CreateToolBar(IDR_MAINFRAME,
                  {ID_ARCHIVE_NOW, ID_EDIT_ARCHIVE_NEW, ID_EDIT_ARCHIVE, ID_SETTINGS, ID_OPEN_SELECTED_FILE,
                   ID_EXTRACT_FILES_TOOLBAR, ID_FIND_ARCHIVES, ID_BACKUP_ARCHIVES},
                  SIZE{kToolbarImage, kToolbarImage}, kToolbarButtonWidth);
    CreateStatusBar({kStatusPaneWidth});
    CTrayIcon::Add(Handle());

    const int top = ReadIniInt(kSettingsSection, "FrameTop", 50);
    const int right = ReadIniInt(kSettingsSection, "FrameRight", 500);
    const int bottom = ReadIniInt(kSettingsSection, "FrameBottom", 500);
    const int left = ReadIniInt(kSettingsSection, "FrameLeft", 50);
    Move(left, top, right - left, bottom - top, true);
    return 0;
}

void CMainFrame::OnSize(UINT type, int width, int height) {
    if (m_view) {
        m_view->MarkResized();
        m_view->LayoutPanes(width, height);
    }
    m_lastSizeType = type;
    m_lastWidth = width;
    m_lastHeight = height;
    ++m_sizeMessages;
    StartTimer(IDT_FRAME_LAYOUT, 100);
    // During a drag the toolbar and status bar follow every eighth message.
    if (m_sizeMessages & 0x08) {
        RecalcLayout();
        m_sizeMessages = 0;
    }
}

void CMainFrame::OnShowWindow(bool shown) {
    if (!m_view) return;
    if (!m_shownOnce) {
        m_shownOnce = true;
        m_view->LayoutPanes(-1, -1);
    }
    CTallyboxApp* app = CTallyboxApp::Get();
    if (app && app->m_hide) {
        StartTimer(IDT_FRAME_FIRST_SHOW, 100);
        app->m_hide = 0;
    }
    (void)shown;
}

void CMainFrame::OnTrayNotify(LPARAM event) {
    if (event != WM_LBUTTONUP) return;
    RestoreAndRaise(false);
    StartTimer(IDT_FRAME_RAISE, 50);
}

void CMainFrame::RestoreAndRaise(bool topmostBlink) {
    Show(SW_RESTORE);
    Show(SW_SHOW);
    ::SetForegroundWindow(Handle());
    if (topmostBlink) {
        const UINT keep = SWP_NOMOVE | SWP_NOSIZE;
        ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, keep);
        ::SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    }
}

void CMainFrame::Terminate() {
    int answer = ::MessageBoxA(Handle(),
                               "File changes will not be monitored. Automatic archiving will not be done.\n\n"
                               "Terminate File Archiver? ",
                               ApplicationTitle(), MB_YESNO | MB_ICONEXCLAMATION);
    if (answer == IDYES) ::DestroyWindow(Handle());
}

void CMainFrame::OnDestroy() {
    CTrayIcon::Remove(Handle());
    if (m_archiving) m_archiving->SetRunReport(nullptr);
    m_view = nullptr;  // its window goes next
    if (!::IsIconic(Handle()) && ::IsWindowEnabled(Handle())) {
        RECT r = WindowRect();
        WriteIntKey(kSettingsSection, "FrameTop", r.top);
        WriteIntKey(kSettingsSection, "FrameRight", r.right);
        WriteIntKey(kSettingsSection, "FrameBottom", r.bottom);
        WriteIntKey(kSettingsSection, "FrameLeft", r.left);
    }
}

void CMainFrame::OnHandOver(ATOM atom) {
    char name[256] = {};
    ::GlobalGetAtomNameA(atom, name, 255);
    OpenNamedArchive(name, true, gSettings.Edit, m_view);
}

void CMainFrame::OpenHelp() { ShellOpen(Handle(), ProgramFolder() + kHelpIndex); }

bool CMainFrame::CanArchive() const { return m_archiving != nullptr; }

int CMainFrame::RunShutdownArchive() { return m_archiving ? m_archiving->RunArchive(ArchiveTrigger::Shutdown) : 1; }

bool CMainFrame::ArchivingBusy() const { return m_archiving && m_archiving->Busy(); }

bool CMainFrame::CancelShutdownRequested() const { return m_archiving && m_archiving->CancelShutdownRequested(); }

void CMainFrame::ClearCancelShutdown() {
    if (m_archiving) m_archiving->ClearCancelShutdown();
}

void CMainFrame::StartShutdownTimer() { StartTimer(IDT_FRAME_SHUTDOWN, 250); }
void CMainFrame::StopShutdownTimer() { StopTimer(IDT_FRAME_SHUTDOWN); }

void CMainFrame::BlockShutdown(bool block) {
    // Present from Windows Vista on; looked up so the program still starts elsewhere.
    using CreateReason = BOOL(WINAPI*)(HWND, LPCWSTR);
    using DestroyReason = BOOL(WINAPI*)(HWND);
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    if (!user32) return;
    if (block) {
        auto create = reinterpret_cast<CreateReason>(::GetProcAddress(user32, "ShutdownBlockReasonCreate"));
        if (create) create(Handle(), L"Archiving the files that changed before Windows shuts down.");
    } else {
        auto destroy = reinterpret_cast<DestroyReason>(::GetProcAddress(user32, "ShutdownBlockReasonDestroy"));
        if (destroy) destroy(Handle());
    }
}

bool CMainFrame::EndSession(UINT exitFlags) { return EndWindowsSession(exitFlags); }

void CMainFrame::CloseFrame() { ::DestroyWindow(Handle()); }

void CMainFrame::RunReported(const RunSummary& summary) {
    const std::string line = RunStatusLine(summary);
    m_lastRunLine = line;
    SetIdleText(line);
    CTrayIcon::Tell(Handle(), line, RunNeedsAttention(summary) ? "Automatic archive" : "");
}

}  // namespace tb

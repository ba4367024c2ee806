#include "app/TallyboxApp.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "app/AboutDlg.h"
#include "app/Globals.h"
#include "app/MainFrame.h"
#include "app/OpenNamedArchive.h"
#include "app/ProgramEditorHost.h"
#include "autoarchive/AutoArchiveController.h"
#include "browser/OpenedCopies.h"
#include "browser/TallyboxView.h"
#include "common/Clock.h"
#include "common/StarterProfile.h"
#include "monitor/ChangeTrackingSettings.h"
#include "monitor/DirectoryListWorker.h"
#include "framework/Handles.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr size_t kAtomTextLimit = 255;
constexpr char kMainCaption[] = " A File Archiver by Corvane ";
}  // namespace

std::string CutUtf8(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    // Step back over continuation bytes so a character is never split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

CTallyboxApp::CTallyboxApp() {
    Map().OnCommand(ID_APP_ABOUT, [this] { ShowAbout(); });
    Map().OnCommand(ID_FILE_OPEN, [this] { OpenFile(); });
}

CTallyboxApp::~CTallyboxApp() {
    delete m_frame;
}

CTallyboxApp* CTallyboxApp::Get() { return static_cast<CTallyboxApp*>(Instance()); }

BOOL CTallyboxApp::HandOverToRunningCopy(HWND running) {
    CTallyboxCommandLineInfo info;
    info.Parse(CommandLineArguments());
    m_fileName = info.m_fileName;
    m_hide = info.m_hide;
    m_exit = info.m_exit;

    running = ::FindWindowA(CMainFrame::kWindowClass, nullptr);
    if (running) {
        if (!m_hide) {
            ::ShowWindow(running, SW_RESTORE);
            ::ShowWindow(running, SW_SHOW);
            ::SetForegroundWindow(running);
        } else {
            ::ShowWindow(running, SW_HIDE);
        }
        if (!m_fileName.empty()) {
            // An atom holds at most 255 characters: hand over what fits.
            UniqueGlobalAtom atom(::GlobalAddAtomA(CutUtf8(m_fileName, kAtomTextLimit).c_str()));
            if (atom) ::SendMessageA(running, WM_TB_OPEN_NAMED, WPARAM(atom.Get()), LPARAM(atom.Get()));
        }
    }
    return FALSE;
}

bool CTallyboxApp::RegisterFrameClass() {
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
    return CWindowImpl::RegisterWindowClass(CMainFrame::kWindowClass, CS_DBLCLKS, icon,
                                            ::LoadCursor(nullptr, IDC_ARROW),
                                            HBRUSH(COLOR_WINDOW + 1)) != 0;
}

BOOL CTallyboxApp::InitInstance() {
    if (HWND running = ::FindWindowA(CMainFrame::kWindowClass, nullptr)) return HandOverToRunningCopy(running);

    if (!RegisterFrameClass()) return FALSE;
    m_classRegistered = 1;
    // A test of the whole program may start its clock on a day of its choice.
    SetClockFromEnvironment();
    // This is the one running copy: what an earlier session opened from its
    // archives (and could not remove as it ended) goes now.
    RemoveOpenedCopies();

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    CTallyboxCommandLineInfo info;
    info.Parse(CommandLineArguments());
    m_fileName = info.m_fileName;
    m_hide = info.m_hide;
    m_exit = info.m_exit;

    // The frame, then the settings, automatic archiving (whose change tracking
    // threads start at once with their copy of the settings) and the view.
    m_frame = new CMainFrame();
    if (!m_frame->CreateFrame()) return FALSE;
    SetMainWindow(m_frame->Handle());
    SetAccelerators(::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    // A first start lists the folders of the drive it watches before the
    // change monitor arms its watches on that list: the first changes count.
    if (ReadOrStartSettings(gSettings)) RebuildDirectoryList(ChangeTrackingSettings::From(gSettings));
    m_view = new CTallyboxView(gSettings);
    m_archiving = std::make_unique<CAutoArchiveController>(gSettings, *m_view);
    m_view->SetArchiveControl(m_archiving.get());
    m_editorHost = std::make_unique<CProgramEditorHost>(*m_view, *m_archiving);
    m_view->SetEditorHost(m_editorHost.get());
    m_frame->Attach(m_view, m_archiving.get());
    if (!m_view->CreateView(*m_frame)) return FALSE;
    m_frame->RecalcLayout();
    m_view->OnInitialUpdate();

    if (m_exit) return FALSE;

    m_frame->Show(m_hide ? SW_HIDE : SW_SHOW);
    if (!m_fileName.empty()) OpenNamedArchive(m_fileName, false, gSettings.Edit, m_view);
    m_frame->SetText(kMainCaption);
    return TRUE;
}

int CTallyboxApp::ExitInstance() {
    if (m_classRegistered) {
        // The copies of entries opened in this session (a copy of a protected
        // entry is its plaintext). A second start never gets here.
        RemoveOpenedCopies();
        ::UnregisterClassA(CMainFrame::kWindowClass, ::GetModuleHandleA(nullptr));
        m_classRegistered = 0;
    }
    return CApplication::ExitInstance();
}

void CTallyboxApp::ShowAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CTallyboxApp::OpenFile() {
    char name[MAX_PATH * 4] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = MainWindow();
    ofn.lpstrFilter = "Zip Archive files (*.zip)\0*.zip\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof name;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (::GetOpenFileNameA(&ofn)) OpenNamedArchive(name, false, gSettings.Edit, m_view);
}

}  // namespace tb

#include "browser/TallyboxView.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "autoarchive/ArchiveRun.h"
#include "autoarchive/ViewArchiveHost.h"
#include "browser/BrowserOperations.h"
#include "browser/ViewEditorHost.h"
#include "editor/EditorOperations.h"
#include "framework/FrameWindow.h"
#include "framework/Shell.h"
#include "monitor/ChangeMonitor.h"
#include "monitor/DirectoryListWorker.h"
#include "res/resource.h"
#include "settings/SettingsSheet.h"

namespace tb {

namespace {
constexpr UINT kScheduleTickMs = 300000;
constexpr UINT kMonitorRestartMs = 10000;
constexpr int kDeferredBelow = 3000;
constexpr int kMaxExtractSelection = 1000;
constexpr char kHelpIndex[] = "hlpindex.html";
}  // namespace

CTallyboxView::CTallyboxView() : m_changeList(*this) {
    // The settings first: both background objects take their copy of them.
    ReadSettings(gSettings);
    m_worker = std::make_unique<CDirectoryListWorker>();
    m_monitor = std::make_unique<CChangeMonitor>();
    gView = this;
    m_layout.Read();
    m_archiveTabs = InitialArchiveTabStops(m_layout);
    m_fileTabs = InitialFileTabStops();

    Map().OnMessage(WM_SIZE, [this](WPARAM, LPARAM l) -> LRESULT {
        LayoutPanes(LOWORD(l), HIWORD(l));
        return 0;
    });
    Map().OnMessage(WM_ERASEBKGND, [](WPARAM, LPARAM) -> LRESULT { return 1; });
    Map().OnMessage(WM_SHOWWINDOW, [this](WPARAM shown, LPARAM) -> LRESULT {
        if (shown && m_deferredLayout) {
            m_deferredLayout = 0;
            LayoutPanes(-1, -1);
        }
        return 0;
    });
    Map().OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        OnDestroy();
        return 0;
    });
    Map().OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) -> LRESULT {
        OnScheduleTick(id);
        return 0;
    });

    Map().OnCommand(ID_ARCHIVE_NOW, [this] { RunArchive(0, 0); });
    Map().OnCommand(ID_EDIT_ARCHIVE_NEW, [this] { OpenNewArchiveEditor(); });
    Map().OnCommand(ID_FILE_NEW, [this] { OpenNewArchiveEditor(); });
    Map().OnCommand(ID_SETTINGS, [this] { OpenSettings(); });
    Map().OnCommand(ID_EDIT_ARCHIVE, [this] { EditSelectedArchive(); });
    Map().OnCommand(ID_EXTRACT_FILES, [this] { ExtractSelected(); });
    Map().OnCommand(ID_EXTRACT_FILES_TOOLBAR, [this] { ExtractSelected(); });
    Map().OnCommand(ID_SORT_BY_NAME, [this] { SortArchivesByName(); });
    Map().OnCommand(ID_SORT_BY_DATE, [this] { SortArchivesByDate(); });
    Map().OnCommand(ID_SORT_BY_LOCATION, [this] { SortArchivesByLocation(); });
    Map().OnCommand(ID_FIND_ARCHIVES, [this] { OpenFindArchivesDialog(Frame() ? Frame()->Handle() : Handle()); });
    Map().OnCommand(ID_OPEN_SELECTED_FILE, [this] { m_pane.OpenSelectedFile(); });
    Map().OnCommand(ID_MAKE_SELF_EXTRACTING, [this] {
        OpenSelfExtractDialog(Frame() ? Frame()->Handle() : Handle(), SelectedArchive());
    });
    Map().OnCommand(ID_HELP_TOPICS, [this] { ShowHelp(); });
    Map().OnCommand(ID_REMOVE_FROM_LIST, [this] { RemoveSelectedFromList(); });
    for (UINT id : {ID_UNUSED_32775, ID_UNUSED_32777, ID_UNUSED_32791, ID_UNUSED_32792}) Map().OnCommand(id, [] {});
}

CTallyboxView::~CTallyboxView() {
    if (gView == this) gView = nullptr;
    m_archives.WriteArchiveList();
    m_worker.reset();
    m_monitor.reset();
    m_layout.Write();
}

void CTallyboxView::OnInitialUpdate() {
    StartTimer(IDT_VIEW_SCHEDULE, kScheduleTickMs);
    m_changeList.SetProgressParent(Frame() ? Frame()->Handle() : Handle());
    m_scrollBarWidth = ::GetSystemMetrics(SM_CYVSCROLL);
    m_pane.CreateModeless(Handle());
    m_pane.Show(SW_SHOW);
    m_archives.ReadArchiveList();
    RefreshArchiveList();
    LayoutPanes(-1, -1);
}

void CTallyboxView::OnDestroy() {
    m_worker->Request(kJobNone);
    m_monitor->Pause();
    StopTimer(IDT_VIEW_SCHEDULE);
    m_worker->Shutdown();
    m_monitor->Shutdown();
}

void CTallyboxView::SaveAtSessionEnd() { m_archives.WriteArchiveList(); }

// ---- known archives ---------------------------------------------------------------

int CTallyboxView::AddArchive(const std::string& path) { return m_archives.AddArchive(path); }

int CTallyboxView::RefreshArchiveList() {
    CListBox archives(m_pane.ArchiveList());
    archives.Reset();
    CListBox(m_pane.FileList()).Reset();
    int lines = 0;
    for (const KnownArchive& entry : m_archives.Entries()) {
        if (entry.path.empty()) break;
        archives.Insert(lines++, "\t" + CKnownArchiveList::NameOf(entry.path) + "\t" +
                                     CKnownArchiveList::FolderOf(entry.path));
    }
    m_archives.m_listChanged = 0;
    m_pane.m_lastSelected = -1;
    return lines;
}

int CTallyboxView::SelectArchive(const std::string& path) {
    const int index = m_archives.Find(path);
    CListBox archives(m_pane.ArchiveList());
    archives.SetCurSel(index);
    return index >= 0 ? 1 : 0;
}

std::string CTallyboxView::SelectedArchive() const {
    const int line = CListBox(m_pane.ArchiveList()).CurSel();
    if (line < 0 || line >= m_archives.Count()) return {};
    return m_archives.At(line).path;
}

void CTallyboxView::ShowSorting() {
    CListBox archives(m_pane.ArchiveList());
    archives.Reset();
    archives.Add("Sorting...");
    archives.UpdateNow();
}

void CTallyboxView::SortArchivesByName() {
    ShowSorting();
    m_archives.SortByName();
    ::SetFocus(m_pane.Handle());
    RefreshArchiveList();
}

void CTallyboxView::SortArchivesByDate() {
    ShowSorting();
    m_archives.SortByDate();
    ::SetFocus(m_pane.Handle());
    RefreshArchiveList();
}

void CTallyboxView::SortArchivesByLocation() {
    ShowSorting();
    m_archives.SortByLocation();
    ::SetFocus(m_pane.Handle());
    RefreshArchiveList();
}

void CTallyboxView::RemoveSelectedFromList() {
    CListBox archives(m_pane.ArchiveList());
    const int line = archives.CurSel();
    if (line < 0 || line >= m_archives.Count()) return;
    archives.Delete(line);
    m_archives.RemoveAt(line);
    m_pane.m_lastSelected = -1;
}

void CTallyboxView::ShowNamedArchive(const std::string& path) {
    if (m_archives.AddArchive(path)) RefreshArchiveList();
    SelectArchive(path);
    m_pane.m_lastSelected = -1;
    m_pane.ListSelectedArchive();
}

void CTallyboxView::RelistSelectedArchive() {
    m_pane.UpdateNow();
    m_pane.OnListingTimer(-1);
}

// ---- commands -----------------------------------------------------------------------

void CTallyboxView::OpenEditor(const EditorRequest& request) {
    CViewEditorHost host(*this);
    OpenArchiveEditor(Frame() ? Frame()->Handle() : Handle(), request, host);
}

void CTallyboxView::OpenNewArchiveEditor() { OpenEditor(EditorRequest{}); }

void CTallyboxView::EditSelectedArchive() {
    const std::string archive = SelectedArchive();
    if (archive.empty()) {
        MessageBox("You must select an archive before you can edit.");
        return;
    }
    EditorRequest request;
    request.presetArchive = true;
    request.archive = archive;
    OpenEditor(request);
    RelistSelectedArchive();
}

void CTallyboxView::ExtractSelected() {
    const std::string archive = SelectedArchive();
    if (archive.empty()) {
        MessageBox("You must select an Archive(Zip) before you can extract files.");
        return;
    }
    std::vector<FileListRecord> selection = m_pane.SelectedRecords(kMaxExtractSelection);
    OpenExtractDialog(Frame() ? Frame()->Handle() : Handle(), archive, selection, selection.empty() ? 1 : 2);
}

void CTallyboxView::ShowHelp() { ShellOpen(Handle(), ProgramFolder() + kHelpIndex); }

void CTallyboxView::OpenSettings(HWND owner) {
    gWorkingSettings = gSettings;
    if (!owner) owner = Frame() ? Frame()->Handle() : Handle();
    if (!ShowSettingsSheet(owner)) return;
    gSettings = gWorkingSettings;
    WriteSettings(gSettings);
    RequestRebuildAndRestart();
}

void CTallyboxView::PauseMonitor() { m_monitor->Pause(); }
void CTallyboxView::ResumeMonitor() { m_monitor->Resume(); }

void CTallyboxView::RequestRebuildAndRestart() {
    m_worker->Request(kJobRebuildDirectoryList);
    StartTimer(IDT_VIEW_MONITOR_RESTART, kMonitorRestartMs);
    m_monitorRestart = 1;
}

int CTallyboxView::RunArchive(int automatic, int reason) {
    CViewArchiveHost host(*this);
    CAutoArchiveRun run(host);
    return run.Run(automatic, reason, gSettings);
}

void CTallyboxView::OnScheduleTick(UINT_PTR timer) {
    if (m_monitorRestart) {
        m_monitorRestart = 0;
        m_monitor->Pause();
        m_monitor->Resume();
    }
    if (timer == IDT_VIEW_MONITOR_RESTART) StopTimer(IDT_VIEW_MONITOR_RESTART);
    const time_t now = CurrentTime();
    std::tm local{};
    if (const std::tm* converted = std::localtime(&now)) local = *converted;
    const ScheduleDecision due = ScheduleTick(m_schedule, gSettings, m_editorOpen != 0, local.tm_hour, local.tm_min);
    if (due.specificTime) RunArchive(1, 0);
    if (due.interval) RunArchive(1, 0);
}

// ---- geometry ------------------------------------------------------------------------

void CTallyboxView::LayoutPanes(int cx, int cy) {
    HWND frame = Frame() ? Frame()->Handle() : nullptr;
    if ((frame && ::IsIconic(frame)) || !Handle()) return;
    RECT mine = WindowRect();
    if (mine.bottom > kDeferredBelow) {
        m_deferredLayout = 1;
        return;
    }
    if (!m_pane.Handle()) return;
    if (cx == -1 || cx == 0) {
        RECT client = ClientRect();
        cx = client.right;
        cy = client.bottom;
    }
    RECT fileClient{};
    ::GetClientRect(m_pane.FileList(), &fileClient);
    const TabStops oldArchive = m_archiveTabs;
    const TabStops oldFile = m_fileTabs;
    PaneGeometry g = ComputePaneLayout(m_layout, cx, cy, fileClient.right, m_scrollBarWidth);
    m_archiveTabs = g.archiveTabs;
    m_fileTabs = g.fileTabs;

    auto place = [](HWND hwnd, const RECT& box, bool repaint) {
        ::MoveWindow(hwnd, box.left, box.top, box.right, box.bottom, repaint ? TRUE : FALSE);
    };
    place(m_pane.Handle(), g.pane, true);
    CListBox archives(m_pane.ArchiveList());
    archives.SetTabStops(m_archiveTabs.data(), 2);
    place(archives, g.archiveList, true);
    if (oldArchive[1] != m_archiveTabs[1]) archives.Invalidate();
    CListBox files(m_pane.FileList());
    files.SetTabStops(m_fileTabs.data(), 10);
    place(files, g.fileList, true);
    if (!std::equal(oldFile.begin() + 2, oldFile.begin() + 6, m_fileTabs.begin() + 2)) files.Invalidate();
    for (size_t i = 0; i < kHeaderIds.size(); ++i) place(m_pane.Item(kHeaderIds[i]), g.headers[i], true);
    Invalidate(false);
}

}  // namespace tb

#include "browser/TallyboxView.h"

#include <algorithm>

#include "browser/BrowserOperations.h"
#include "browser/ExtractChoices.h"
#include "browser/FileIcons.h"
#include "editor/PasswordDlg.h"
#include "editor/EditorOperations.h"
#include "framework/FrameWindow.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "history/FileHistoryDlg.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr DWORD kReselectDelayMs = 300;
constexpr int kDeferredBelow = 3000;
constexpr int kMaxExtractSelection = 1000;
constexpr char kHelpIndex[] = "hlpindex.html";
}  // namespace

CTallyboxView::CTallyboxView(const SettingsRecord& settings) : m_settings(settings), m_pane(*this) {
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
        if (m_archiving) m_archiving->Stop();
        return 0;
    });
    // Every timer of the view belongs to automatic archiving.
    Map().OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) -> LRESULT {
        if (m_archiving) m_archiving->OnViewTimer(id);
        return 0;
    });

    Map().OnCommand(ID_ARCHIVE_NOW, [this] {
        if (m_archiving) m_archiving->RunArchive(ArchiveTrigger::Command);
    });
    Map().OnCommand(ID_EDIT_ARCHIVE_NEW, [this] { OpenNewArchiveEditor(); });
    Map().OnCommand(ID_FILE_NEW, [this] { OpenNewArchiveEditor(); });
    Map().OnCommand(ID_SETTINGS, [this] {
        if (m_archiving) m_archiving->OpenSettings();
    });
    Map().OnCommand(ID_EDIT_ARCHIVE, [this] { EditSelectedArchive(); });
    Map().OnCommand(ID_EXTRACT_FILES, [this] { ExtractSelected(); });
    Map().OnCommand(ID_EXTRACT_FILES_TOOLBAR, [this] { ExtractSelected(); });
    Map().OnCommand(ID_SORT_BY_NAME, [this] { SortArchivesByName(); });
    Map().OnCommand(ID_SORT_BY_DATE, [this] { SortArchivesByDate(); });
    Map().OnCommand(ID_SORT_BY_LOCATION, [this] { SortArchivesByLocation(); });
    Map().OnCommand(ID_FIND_ARCHIVES, [this] { FindArchives(); });
    Map().OnCommand(ID_BACKUP_ARCHIVES, [this] { BackupArchives(); });
    Map().OnCommand(ID_OPEN_SELECTED_FILE, [this] { m_pane.OpenSelectedFile(); });
    Map().OnCommand(ID_MAKE_SELF_EXTRACTING, [this] {
        OpenSelfExtractDialog(DialogOwner(), SelectedArchive());
    });
    Map().OnCommand(ID_HELP_TOPICS, [this] { ShowHelp(); });
    Map().OnCommand(ID_REMOVE_FROM_LIST, [this] { RemoveSelectedFromList(); });
    Map().OnCommand(ID_FILE_HISTORY, [this] { OpenFileHistory(false); });
    Map().OnCommand(ID_FILE_HISTORY_ENTRY, [this] { OpenFileHistory(true); });
    for (UINT id : {ID_UNUSED_32775, ID_UNUSED_32777, ID_UNUSED_32791, ID_UNUSED_32792}) Map().OnCommand(id, [] {});
}

CTallyboxView::~CTallyboxView() {
    m_archives.WriteArchiveList();
    m_layout.Write();
}

HWND CTallyboxView::DialogOwner() const { return Frame() ? Frame()->Handle() : Handle(); }

void CTallyboxView::OnInitialUpdate() {
    if (m_archiving) m_archiving->Start(Handle(), DialogOwner());
    m_scrollBarWidth = ::GetSystemMetrics(SM_CYVSCROLL);
    m_pane.CreateModeless(Handle());
    m_pane.Show(SW_SHOW);
    m_archives.ReadArchiveList();
    RefreshArchiveList();
    LayoutPanes(-1, -1);
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

void CTallyboxView::ArchivesFolded(const std::vector<std::string>& removed, const std::vector<std::string>& written) {
    bool known = false;
    for (const std::string& path : removed) {
        for (int i = m_archives.Count() - 1; i >= 0; --i) {
            if (ToLower(m_archives.At(i).path) != ToLower(path)) continue;
            m_archives.RemoveAt(i);
            known = true;
        }
    }
    if (!known) return;
    for (const std::string& path : written) m_archives.AddArchive(path);
    RefreshArchiveList();
}

int CTallyboxView::SelectArchive(const std::string& path) {
    const int index = m_archives.Find(path);
    CListBox archives(m_pane.ArchiveList());
    archives.SetCurSel(index);
    return index >= 0 ? 1 : 0;
}

std::string CTallyboxView::KnownArchiveAt(int line) const {
    if (line < 0 || line >= m_archives.Count()) return {};
    return m_archives.At(line).path;
}

std::string CTallyboxView::SelectedArchive() const { return KnownArchiveAt(CListBox(m_pane.ArchiveList()).CurSel()); }

void CTallyboxView::SetStatusText(const std::string& text) {
    if (Frame()) Frame()->SetStatusText(1, text);
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

void CTallyboxView::ShowArchive(const std::string& archive) {
    if (AddArchive(archive)) RefreshArchiveList();
    SelectArchive("");
    m_pane.ListSelectedArchive();
    ::Sleep(kReselectDelayMs);
    SelectArchive(archive);
    m_pane.m_lastSelected = -1;
    m_pane.ListSelectedArchive();
}

void CTallyboxView::OpenEditorWithPending() {
    EditorRequest request;
    request.takePending = 1;
    OpenEditor(request);
}

// ---- commands -----------------------------------------------------------------------

void CTallyboxView::OpenEditor(const EditorRequest& request) {
    if (m_editorHost) OpenArchiveEditor(DialogOwner(), request, *m_editorHost);
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
    OpenExtractDialog(DialogOwner(), m_settings, archive, selection,
                      selection.empty() ? kExtractAllFiles : kExtractSelectedFiles);
}

void CTallyboxView::FindArchives() { OpenFindArchivesDialog(DialogOwner(), m_settings, *this); }

void CTallyboxView::ClearKnownArchives() {
    m_archives.Clear();
    RefreshArchiveList();
}

int CTallyboxView::SearchChangedFiles(const std::string& folder, time_t since, int withSubfolders) {
    return m_archiving ? m_archiving->SearchChangedFiles(folder, since, withSubfolders) : 0;
}

void CTallyboxView::BackupArchives() {
    std::vector<std::string> paths;
    for (const KnownArchive& entry : m_archives.Entries()) {
        if (entry.path.empty()) break;
        paths.push_back(entry.path);
    }
    OpenBackupDialog(DialogOwner(), paths);
}

// ---- File History ------------------------------------------------------------------

void CTallyboxView::OpenFileHistory(bool forSelectedEntry) {
    std::string pattern;
    if (forSelectedEntry) {
        const std::vector<FileListRecord> selected = m_pane.SelectedRecords(1);
        if (selected.empty()) {
            MessageBox("You must select a file before you can see its history.");
            return;
        }
        pattern = selected.front().fullPath;
    }
    CFileHistoryDlg::Target show;
    if (!tb::OpenFileHistory(DialogOwner(), *this, pattern, show)) return;
    ShowNamedArchive(show.archive);
    m_pane.SelectEntry(show.entryName);
}

HistoryPlaces CTallyboxView::Places() {
    HistoryPlaces places;
    places.locationDir = m_settings.LocationDir;
    places.locationDirAlt = m_settings.LocationDirAlt;
    for (const KnownArchive& entry : m_archives.Entries()) {
        if (entry.path.empty()) break;
        places.knownArchives.push_back(entry.path);
    }
    return places;
}

std::optional<std::string> CTallyboxView::AskPassword(HWND owner, const std::string& prompt) {
    CPasswordDlg dialog(prompt, "");
    if (dialog.DoModal(owner) != IDOK) return std::nullopt;
    return dialog.EnteredText();
}

HICON CTallyboxView::FileIcon(const std::string& storedName) {
    const std::string path = ReplaceAll(storedName, "/", "\\");
    return LookupFileIcon(IconKeyOf(path, path.substr(path.find_last_of('\\') + 1)));
}

void CTallyboxView::OpenEntry(HWND owner, const std::string& archive, const std::string& entryName,
                              const std::string& password) {
    OpenArchiveEntry(owner, archive, entryName, password);
}

UserPrompts CTallyboxView::Prompts() { return SystemPrompts(); }

void CTallyboxView::ShowHelp() { ShellOpen(Handle(), ProgramFolder() + kHelpIndex); }

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

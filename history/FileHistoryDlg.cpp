#include "history/FileHistoryDlg.h"

#include "framework/GuardedThread.h"
#include "framework/RowPainter.h"
#include "framework/TabbedText.h"
#include "framework/Text.h"
#include "history/EngineArchiveReader.h"
#include "res/resource.h"

namespace tb {

namespace {

constexpr UINT kWmSearchProgress = WM_APP + 40;
constexpr UINT kWmSearchDone = WM_APP + 41;
constexpr int kLineHeight = 17;
constexpr char kRestoreToTitle[] = "Select the folder to restore the file to.";
// The column headers, left to right; the list's tab stops follow them.
constexpr int kHeaders[] = {IDC_FH_HDR_DAYS,   IDC_FH_HDR_MODIFIED, IDC_FH_HDR_SIZE,
                            IDC_FH_HDR_COPIES, IDC_FH_HDR_LOCKED,   IDC_FH_HDR_ARCHIVE};

}  // namespace

CFileHistoryDlg::CFileHistoryDlg(IFileHistoryHost& host, std::string initialPattern)
    : CDialog(IDD_FILE_HISTORY), m_host(host), m_initialPattern(std::move(initialPattern)), m_prompts(host.Prompts()) {
    Map().OnCommand(IDC_FH_SEARCH, [this] { StartSearch(); });
    Map().OnCommand(IDC_FH_RESTORE, [this] { RestoreToOriginalFolder(); });
    Map().OnCommand(IDC_FH_RESTORE_TO, [this] { RestoreToChosenFolder(); });
    Map().OnCommand(IDC_FH_OPEN, [this] { OpenVersion(); });
    Map().OnCommand(IDC_FH_SHOW, [this] { ShowInArchive(); });
    Map().OnControl(IDC_FH_LIST, LBN_SELCHANGE, [this] { UpdateButtons(); });
    Map().OnControl(IDC_FH_LIST, LBN_DBLCLK, [this] {
        if (SelectedVersion() != nullptr) OpenVersion();
    });
    Map().OnMessage(kWmSearchProgress, [this](WPARAM, LPARAM) -> LRESULT {
        m_progressPosted = false;
        SetItemText(IDC_FH_STATUS, Format("Reading the archives: %u of %u...", m_progressDone.load(),
                                          m_progressTotal.load()));
        return 0;
    });
    Map().OnMessage(kWmSearchDone, [this](WPARAM, LPARAM) -> LRESULT {
        OnSearchDone();
        return 0;
    });
    Map().OnMessage(WM_DRAWITEM, [this](WPARAM, LPARAM l) -> LRESULT {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        if (item.CtlID == IDC_FH_LIST) DrawLine(item);
        return TRUE;
    });
    Map().OnMessage(WM_MEASUREITEM, [](WPARAM, LPARAM l) -> LRESULT {
        reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemHeight = kLineHeight;
        return TRUE;
    });
    Map().OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        StopSearch();
        return 0;
    });
}

CFileHistoryDlg::~CFileHistoryDlg() { StopSearch(); }

BOOL CFileHistoryDlg::OnInitDialog() {
    // Tab stops where the column headers stand, in the list's own pixels.
    RECT list = CWindow(Item(IDC_FH_LIST)).WindowRect();
    for (size_t i = 0; i < std::size(kHeaders); ++i)
        m_tabs[i] = int(CWindow(Item(kHeaders[i])).WindowRect().left - list.left);
    m_tabs[6] = m_tabs[7] = int(list.right - list.left) - ::GetSystemMetrics(SM_CXVSCROLL) + 6;
    CListBox(Item(IDC_FH_LIST)).SetItemHeight(kLineHeight);
    SendItem(IDC_FH_PATTERN, EM_LIMITTEXT, 1000);
    SetItemText(IDC_FH_PATTERN, m_initialPattern);
    UpdateButtons();
    if (!m_initialPattern.empty()) {
        StartSearch();
    } else {
        SetItemText(IDC_FH_STATUS, "Type a file name, or a pattern such as report*.doc, and press Search.");
    }
    FocusItem(IDC_FH_PATTERN);
    return FALSE;
}

void CFileHistoryDlg::OnCancel() {
    StopSearch();
    EndDialog(IDCANCEL);
}

// ---- searching -------------------------------------------------------------------------

void CFileHistoryDlg::StartSearch() {
    if (m_worker.joinable()) return;  // one search at a time; its end enables the button again
    const std::string pattern = NormalizePattern(ItemText(IDC_FH_PATTERN));
    if (pattern.empty()) {
        SetItemText(IDC_FH_STATUS, "Type a file name, or a pattern such as report*.doc, and press Search.");
        return;
    }
    m_searching = pattern;
    m_lines.clear();
    CListBox(Item(IDC_FH_LIST)).Reset();
    SetItemText(IDC_FH_NOTE, "");
    SetItemText(IDC_FH_STATUS, "Looking for the archives...");
    EnableItem(IDC_FH_SEARCH, false);
    UpdateButtons();

    const HistoryPlaces places = m_host.Places();
    HistoryIndexStore& store = m_host.IndexStore();
    HWND window = Handle();
    m_stop = false;
    const auto search = [this, places, &store, window, pattern] {
        CEngineArchiveReader reader;
        HistorySearchResult result =
            SearchHistory(store, places, pattern, reader, [this, window](size_t done, size_t total, const std::string&) {
                m_progressDone = unsigned(done);
                m_progressTotal = unsigned(total);
                if (!m_progressPosted.exchange(true)) ::PostMessageA(window, kWmSearchProgress, 0, 0);
                return !m_stop.load();
            });
        m_result = std::move(result);
        ::PostMessageA(window, kWmSearchDone, 0, 0);
    };
    // A search that fails still ends as one: the window hears of it and can search again.
    m_worker = GuardedThread("File History search", search, [this, &store, window] {
        store.loaded = false;  // what the index holds now is not trusted: loaded again next time
        store.index.Clear();
        m_result = HistorySearchResult();
        m_result.failed = true;
        ::PostMessageA(window, kWmSearchDone, 0, 0);
    });
}

void CFileHistoryDlg::StopSearch() {
    m_stop = true;
    if (m_worker.joinable()) m_worker.join();
}

void CFileHistoryDlg::OnSearchDone() {
    if (m_worker.joinable()) m_worker.join();
    EnableItem(IDC_FH_SEARCH, true);
    ShowResult();
}

void CFileHistoryDlg::ShowResult() {
    m_lines = HistoryLines(m_result.versions);
    CListBox list(Item(IDC_FH_LIST));
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    list.Reset();
    for (const HistoryLine& line : m_lines) list.Add(line.text);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    list.Invalidate();
    // The newest version of the first file is where the user starts.
    if (m_lines.size() > 1) list.SetCurSel(1);
    SetItemText(IDC_FH_STATUS, SearchSummary(m_searching, m_result));
    SetItemText(IDC_FH_NOTE, SkippedNote(m_result.skipped));
    UpdateButtons();
}

// ---- the list ------------------------------------------------------------------------------

const FileVersion* CFileHistoryDlg::SelectedVersion() const {
    const int line = CListBox(Item(IDC_FH_LIST)).CurSel();
    if (line < 0 || size_t(line) >= m_lines.size() || m_lines[size_t(line)].version < 0) return nullptr;
    const HistoryLine& chosen = m_lines[size_t(line)];
    return &m_result.versions.groups[size_t(chosen.group)].versions[size_t(chosen.version)];
}

void CFileHistoryDlg::UpdateButtons() {
    const bool version = SelectedVersion() != nullptr && !m_worker.joinable();
    for (int id : {IDC_FH_RESTORE, IDC_FH_RESTORE_TO, IDC_FH_OPEN, IDC_FH_SHOW}) EnableItem(id, version);
}

void CFileHistoryDlg::DrawLine(const DRAWITEMSTRUCT& item) {
    if (int(item.itemID) < 0 || size_t(item.itemID) >= m_lines.size()) {
        PaintListRow(item, "", {RowText::None, nullptr, nullptr});
        return;
    }
    const HistoryLine& line = m_lines[item.itemID];
    if (line.version >= 0) {
        PaintListRow(item, line.text, {RowText::Columns, m_tabs, nullptr});
        return;
    }
    // A file's own line: its icon, then its path and how many versions it has.
    const FileVersionGroup& group = m_result.versions.groups[size_t(line.group)];
    PaintListRow(item, "", {RowText::None, nullptr, m_host.FileIcon(group.path)});
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const COLORREF oldText = ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const int oldMode = ::SetBkMode(item.hDC, TRANSPARENT);
    const std::string text = group.path + "    (" + line.text.substr(line.text.rfind('\t') + 1) + ")";
    RECT r = item.rcItem;
    r.left += kRowIconCell + 3;
    r.top += kRowTextOffset;
    ::DrawTextA(item.hDC, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SetBkMode(item.hDC, oldMode);
    ::SetTextColor(item.hDC, oldText);
}

// ---- the version's actions ------------------------------------------------------------------

bool CFileHistoryDlg::PasswordFor(const VersionCopy& copy, std::string& password) {
    password.clear();
    if (!copy.Encrypted()) return true;
    const std::string key = CArchiveIndex::PathKey(copy.archive);
    auto known = m_passwords.find(key);
    if (known != m_passwords.end()) {
        password = known->second;
        return true;
    }
    std::optional<std::string> typed = m_host.AskPassword(Handle(), kPasswordPrompt);
    if (!typed) return false;
    password = *typed;
    m_passwords[key] = password;
    return true;
}

ExistingAnswer CFileHistoryDlg::AskExisting(const std::string& target, const std::string& alternative) {
    const FileVersion* version = SelectedVersion();
    const std::string day = version ? version->Last().DayText() : std::string();
    const size_t slash = alternative.find_last_of('\\');
    const std::string text = target + " already exists.\n\nYes: replace it with the version of " + day +
                             ".\nNo: restore the version as " + alternative.substr(slash + 1) +
                             ".\nCancel: restore nothing.";
    switch (m_prompts.message(Handle(), text, MB_YESNOCANCEL | MB_ICONQUESTION, nullptr)) {
    case IDYES: return ExistingAnswer::Replace;
    case IDNO: return ExistingAnswer::KeepBoth;
    default: return ExistingAnswer::Cancel;
    }
}

void CFileHistoryDlg::RestoreToOriginalFolder() {
    const FileVersion* version = SelectedVersion();
    if (version == nullptr) return;
    const VersionCopy copy = version->Last();
    std::string folder = OriginalFolder(copy.entryName, RestoreDrives(m_host.CustomDrives()), FileExists, FolderExists);
    if (folder.empty()) {
        m_prompts.message(Handle(),
                          "The folder " + ReplaceAll(copy.entryName, "/", "\\") +
                              " came from was not found. Choose a folder to restore it to.",
                          MB_OK | MB_ICONINFORMATION, nullptr);
        std::optional<std::string> chosen = m_prompts.browseFolder(Handle(), kRestoreToTitle);
        if (!chosen || chosen->empty()) return;
        folder = *chosen;
    }
    RestoreInto(copy, folder);
}

void CFileHistoryDlg::RestoreToChosenFolder() {
    const FileVersion* version = SelectedVersion();
    if (version == nullptr) return;
    const VersionCopy copy = version->Last();
    std::optional<std::string> chosen = m_prompts.browseFolder(Handle(), kRestoreToTitle);
    if (!chosen || chosen->empty()) return;
    RestoreInto(copy, *chosen);
}

void CFileHistoryDlg::RestoreInto(const VersionCopy& copy, const std::string& folder) {
    RestoreRequest request;
    request.copy = copy;
    request.folder = folder;
    if (!PasswordFor(copy, request.password)) return;
    const RestoreOutcome outcome = RestoreVersion(request, *this, Handle());
    switch (outcome.status) {
    case RestoreOutcome::Status::Restored:
        SetItemText(IDC_FH_STATUS, "Restored the version of " + copy.DayText() + " as " + outcome.path + ".");
        break;
    case RestoreOutcome::Status::Cancelled:
        break;
    case RestoreOutcome::Status::NeedsPassword:
    case RestoreOutcome::Status::WrongPassword:
        m_passwords.erase(CArchiveIndex::PathKey(copy.archive));  // asked again next time
        m_prompts.message(Handle(), "The password is not correct. The file was not restored.",
                          MB_OK | MB_ICONWARNING, nullptr);
        break;
    case RestoreOutcome::Status::Failed:
        m_prompts.message(Handle(), outcome.problem + " The file was not restored.", MB_OK | MB_ICONWARNING, nullptr);
        break;
    }
}

void CFileHistoryDlg::OpenVersion() {
    const FileVersion* version = SelectedVersion();
    if (version == nullptr) return;
    const VersionCopy copy = version->Last();
    std::string password;
    if (!PasswordFor(copy, password)) return;
    m_host.OpenEntry(Handle(), copy.archive, copy.entryName, password);
}

void CFileHistoryDlg::ShowInArchive() {
    const FileVersion* version = SelectedVersion();
    if (version == nullptr) return;
    m_show = {version->Last().archive, version->Last().entryName};
    StopSearch();
    EndDialog(kShowInArchive);
}

bool OpenFileHistory(HWND owner, IFileHistoryHost& host, const std::string& pattern, CFileHistoryDlg::Target& show) {
    CFileHistoryDlg dialog(host, pattern);
    if (dialog.DoModal(owner) != CFileHistoryDlg::kShowInArchive) return false;
    show = dialog.ShowTarget();
    return true;
}

}  // namespace tb

#include "browser/ArchiveContentsPane.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "browser/EmptyListHint.h"
#include "browser/FileIcons.h"
#include "browser/OpenedCopies.h"
#include "editor/PasswordDlg.h"
#include "framework/Application.h"
#include "framework/Handles.h"
#include "framework/ListRedraw.h"
#include "framework/RowPainter.h"
#include "framework/Shell.h"
#include "framework/Subclass.h"
#include "framework/Text.h"
#include "res/resource.h"
#include "zip/ZipEngine.h"

namespace tb {

namespace {

constexpr int kLineHeight = 17;
constexpr int kLargeArchive = 300;
constexpr int kPumpEvery = 40;
constexpr DWORD kPumpInterval = 10;
constexpr int kEdgeReach = 10;
constexpr int kMinColumn = 30;
constexpr char kRetrieving[] = "\tRetrieving list of Files...";
constexpr char kPasswordPrompt[] =
    "This archive contains password protected files. Enter a password to extract these files.";

const int kFileColumns[] = {kColumnName, kColumnExt, kColumnDate, kColumnSize, kColumnCompressed, kColumnLocation};

bool Near(int a, int b) { return a - b < kEdgeReach && b - a < kEdgeReach; }

// Lets the pane's own messages through while a listing runs: one pending
// message every kPumpEvery entries, but no more often than every
// kPumpInterval ms, since each look is a round trip to Wine's server (it was
// a fifth of a 100,000-entry listing).
class CPanePump {
public:
    explicit CPanePump(HWND pane) : m_pane(pane), m_last(::GetTickCount()) {}
    // True when a message was dispatched.
    bool Step(size_t entry) {
        if (entry % kPumpEvery != 0) return false;
        const DWORD now = ::GetTickCount();
        if (now - m_last < kPumpInterval) return false;
        m_last = now;
        MSG msg;
        if (!::PeekMessageA(&msg, m_pane, 0, 0, PM_REMOVE)) return false;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        return true;
    }

private:
    HWND m_pane;
    DWORD m_last;
};

// The number of lines a list box shows, the one cut at its bottom included.
int VisibleLines(HWND list) {
    RECT client{};
    ::GetClientRect(list, &client);
    return std::max(1, int(client.bottom - client.top) / kLineHeight + 1);
}

}  // namespace

std::string ListingStatusText(int count, const std::string& archive) {
    const size_t limit = 99;
    std::string text = Format("Number of Files:  %i  (%s)", count, archive.c_str());
    if (text.size() <= limit) return text;
    // Keep the start (drive and first folder) and the end (the name) of the path.
    const std::string frame = Format("Number of Files:  %i  ()", count);
    const size_t room = limit > frame.size() + 3 ? limit - frame.size() - 3 : 0;
    const size_t head = room / 3;
    const size_t tail = room - head;
    return Format("Number of Files:  %i  (%s...%s)", count, archive.substr(0, head).c_str(),
                  archive.substr(archive.size() - tail).c_str());
}

CArchiveContentsPane::CArchiveContentsPane(IContentsPaneHost& host) : CDialog(IDD_CONTENTS_PANE), m_host(host) {
    Map().OnControl(IDC_ARCHIVE_LIST, LBN_SELCHANGE, [this] {
        OnArchiveSelected();
        RECT icons{0, 0, 17, 300};
        ::InvalidateRect(ArchiveList(), &icons, TRUE);
    });
    Map().OnControl(IDC_FILE_LIST, LBN_SELCHANGE, [this] {
        RECT icons{0, 0, 17, 300};
        ::InvalidateRect(FileList(), &icons, TRUE);
    });
    Map().OnControl(IDC_ARCHIVE_LIST, LBN_DBLCLK, [] {
        if (HWND frame = CApplication::MainWindowHandle()) ::SendMessageA(frame, WM_COMMAND, ID_EDIT_ARCHIVE, 0);
    });
    Map().OnControl(IDC_FILE_LIST, LBN_DBLCLK, [this] { OpenSelectedFile(); });
    Map().OnCommand(IDC_HDR_ARC_NAME, [this] {
        m_host.SortArchivesByName();
        ::SetFocus(Handle());
    });
    Map().OnCommand(IDC_HDR_ARC_LOCATION, [this] {
        m_host.SortArchivesByLocation();
        ::SetFocus(Handle());
    });
    for (int column : kFileColumns) Map().OnCommand(UINT(column), [this, column] { SortFileList(column, -1); });
    Map().OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) -> LRESULT {
        OnListingTimer(int(id));
        return 0;
    });
    Map().OnMessage(WM_DRAWITEM, [this](WPARAM, LPARAM l) -> LRESULT {
        DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(l));
        return TRUE;
    });
    Map().OnMessage(WM_MEASUREITEM, [](WPARAM, LPARAM l) -> LRESULT {
        reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemHeight = kLineHeight;
        return TRUE;
    });
    Map().OnMessage(WM_LBUTTONDOWN, [this](WPARAM, LPARAM l) -> LRESULT {
        OnButtonDown(GET_X_LPARAM(l), GET_Y_LPARAM(l));
        return 0;
    });
    Map().OnMessage(WM_MOUSEMOVE, [this](WPARAM, LPARAM l) -> LRESULT {
        OnMouseMove(GET_X_LPARAM(l), GET_Y_LPARAM(l));
        return 0;
    });
    Map().OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
        OnButtonUp();
        return 0;
    });
    Map().OnMessage(WM_RBUTTONUP, [this](WPARAM, LPARAM l) -> LRESULT {
        OnContextMenu(GET_X_LPARAM(l), GET_Y_LPARAM(l), Menu::Archives);
        return 0;
    });
    Map().OnMessage(WM_PAINT, [this](WPARAM, LPARAM) -> LRESULT {
        ::ValidateRect(Handle(), nullptr);
        return 0;
    });
}

BOOL CArchiveContentsPane::OnInitDialog() {
    for (int id : kHeaderIds)
        SubclassControl(Item(id), [this](HWND h, UINT m, WPARAM w, LPARAM l) { return HeaderProc(h, m, w, l); });
    SubclassControl(ArchiveList(), [this](HWND h, UINT m, WPARAM w, LPARAM l) { return ArchiveListProc(h, m, w, l); });
    SubclassControl(FileList(), [this](HWND h, UINT m, WPARAM w, LPARAM l) { return FileListProc(h, m, w, l); });
    CListBox(ArchiveList()).SetItemHeight(kLineHeight);
    CListBox(FileList()).SetItemHeight(kLineHeight);
    return FALSE;
}

void CArchiveContentsPane::ShowLines(HWND list, const char* line) {
    CListBox box(list);
    box.Reset();
    box.Add(line);
}

void CArchiveContentsPane::RefreshEmptyListHint() {
    if (CListBox(FileList()).Count() == 0) ::InvalidateRect(FileList(), nullptr, TRUE);
}

void CArchiveContentsPane::SetStatus(const std::string& text) { m_host.SetStatusText(text); }

// ---- listing ----------------------------------------------------------------------

void CArchiveContentsPane::OnArchiveSelected() {
    StopTimer(IDT_PANE_LISTING);
    const int selected = CListBox(ArchiveList()).CurSel();
    if (selected != 0 && selected == m_lastSelected) return;
    m_stop = 0;
    m_lastSelected = selected;
    // The 200 ms run from the selection, not from the end of the repaint below.
    const std::string archive = m_host.KnownArchiveAt(selected);
    if (!archive.empty()) {
        StartTimer(IDT_PANE_LISTING, 200);
        // Meanwhile the archive's directory is read on another thread, unless
        // a listing runs: its steps go through the directory's one cursor,
        // which a count puts back to the start.
        if (m_listings == 0) m_prefetch.Request(archive);
    }
    SetStatus("Number of Files: ");
    ShowLines(FileList(), kRetrieving);
    UpdateNow();
}

void CArchiveContentsPane::OnListingTimer(int id) {
    if (id != -1) StopTimer(IDT_PANE_LISTING);
    ListSelectedArchive();
}

int CArchiveContentsPane::ListSelectedArchive() {
    ++m_listings;
    const int listed = ListArchiveEntries();
    --m_listings;
    return listed;
}

int CArchiveContentsPane::ListArchiveEntries() {
    m_files.clear();
    ShowLines(FileList(), kRetrieving);
    const std::string archive = m_host.KnownArchiveAt(CListBox(ArchiveList()).CurSel());
    if (archive.empty()) {
        // Nothing selected (a run that wrote no archive selects nothing): no
        // placeholder stays, and an empty list shows its hint.
        CListBox(FileList()).Reset();
        return 0;
    }

    CZipEngine engine(Handle());
    const int count = engine.CountEntries(archive);
    m_stop = 0;
    SetStatus(ListingStatusText(count, archive));
    if (CApplication::MainWindowHandle())
        ::SetWindowTextA(CApplication::MainWindowHandle(), ("A File Archiver by Corvane - [" + archive + "]").c_str());

    if (count <= 0) {
        ShowLines(FileList(), "\tArchive Empty.");
        return 1;
    }
    m_files.reserve(size_t(count));
    CPanePump pump(Handle());
    CEntryDateParser dates;
    // Reads entries up to `end` into the records; false when a listing started
    // meanwhile has finished.
    auto readUpTo = [&](size_t end) {
        while (m_files.size() < end) {
            if (pump.Step(m_files.size()) && m_stop) return false;
            const ZipEntryInfo& info = engine.NextEntry(archive);
            const std::string_view path(info.path, strnlen(info.path, sizeof info.path));
            const std::string_view date(info.dateTime, strnlen(info.dateTime, sizeof info.dateTime));
            m_files.push_back(
                MakeFileListRecord(path, date, info.method, info.size, info.compressedSize, info.flags, dates));
        }
        return true;
    };

    if (count <= kLargeArchive) {
        // A small archive is sorted before it is shown.
        if (!readUpTo(size_t(count))) return 0;
        m_stop = 1;
        for (int column : kFileColumns) {
            if (m_sortMode == AscendingMode(column)) SortFileList(column, 1);
            else if (m_sortMode == DescendingMode(column)) SortFileList(column, 0);
        }
        return 1;
    }

    // A large archive shows its first page of lines at once. The steps after
    // the count never touch the disk, so the other lines follow quickly: all
    // read, then formatted (the list box is told their real size), then added
    // with the list's drawing off.
    CListBox files(FileList());
    CListRedrawThrottle throttle(FileList(), true);
    files.Reset();
    std::string line;
    const size_t page = std::min(size_t(count), size_t(VisibleLines(FileList())));
    if (!readUpTo(page)) return 0;
    for (size_t i = 0; i < page; ++i) {
        line.clear();
        AppendFileLine(m_files[i], line);
        files.Insert(int(i), line);
    }
    throttle.Tick(true);

    if (!readUpTo(size_t(count))) return 0;
    std::string lines;
    std::vector<size_t> starts;
    starts.reserve(m_files.size() - page);
    for (size_t i = page; i < m_files.size(); ++i) {
        starts.push_back(lines.size());
        AppendFileLine(m_files[i], lines);
        lines += '\0';
    }
    // The list box keeps its strings in UTF-16: at most two bytes per byte given.
    files.Send(LB_INITSTORAGE, WPARAM(starts.size()), LPARAM(lines.size() * sizeof(WCHAR)));
    for (size_t k = 0; k < starts.size(); ++k) {
        const size_t i = page + k;
        if (pump.Step(i) && m_stop) return 0;
        files.Send(LB_INSERTSTRING, WPARAM(i), LPARAM(lines.data() + starts[k]));
        throttle.Tick(false);
    }
    m_stop = 1;
    return 1;
}

void CArchiveContentsPane::SortFileList(int column, int direction) {
    int& flag = SortDirectionFlag(column);
    flag = direction == -1 ? !flag : direction;
    m_sortMode = flag == 1 ? AscendingMode(column) : DescendingMode(column);
    ShowLines(FileList(), "\tSorting...");
    UpdateNow();
    SortRecords(m_files, column, flag == 1);
    FillFileList();
    ::SetFocus(Handle());
}

int CArchiveContentsPane::FillFileList() {
    CListBox files(FileList());
    files.Reset();
    int lines = 0;
    std::string line;
    for (const FileListRecord& record : m_files) {
        if (record.fullPath.empty()) break;
        line.clear();
        AppendFileLine(record, line);
        files.Insert(lines, line);
        if (++lines == 200) UpdateNow();
    }
    return lines;
}

std::vector<FileListRecord> CArchiveContentsPane::SelectedRecords(int limit) const {
    std::vector<FileListRecord> records;
    for (int line : CListBox(FileList()).SelectedItems(limit))
        if (line >= 0 && size_t(line) < m_files.size()) records.push_back(m_files[size_t(line)]);
    return records;
}

// ---- opening an entry ------------------------------------------------------------------

void CArchiveContentsPane::OpenSelectedFile() {
    std::vector<FileListRecord> selected = SelectedRecords(10000);
    if (selected.empty()) {
        MessageBox("You must select a file before you can open it.");
        return;
    }
    const FileListRecord record = selected.front();
    std::string password;
    if (record.flags & kEntryEncrypted) password = CPasswordDlg::Ask(Handle(), kPasswordPrompt);

    const std::string archive = m_host.KnownArchiveAt(CListBox(ArchiveList()).CurSel());
    if (archive.empty()) {
        MessageBox("You must select an Archive(Zip) file before you can execute a file in it.");
        return;
    }

    OpenArchiveEntry(Handle(), archive, record.fullPath, password);
}

void OpenArchiveEntry(HWND owner, const std::string& archive, const std::string& fullPath,
                      const std::string& password) {
    // Each open gets a folder of its own, so the file opened is always the
    // entry chosen, never an older file of the same name.
    const std::string copy = ExtractCopyToOpen(archive, ReplaceAll(fullPath, "/", "\\"), password, owner);
    if (copy.empty() || ShellOpen(owner, copy) <= 32) ShowMessage(owner, "Unable to open file.");
}

bool CArchiveContentsPane::SelectEntry(const std::string& fullPath) {
    const std::string wanted = ReplaceAll(fullPath, "/", "\\");
    CListBox files(FileList());
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (!EqualsNoCase(m_files[i].fullPath, wanted)) continue;
        files.Send(LB_SETSEL, FALSE, -1);
        files.Select(int(i), true);
        files.Send(LB_SETCARETINDEX, WPARAM(i), FALSE);
        files.SetTopIndex(i > 3 ? int(i) - 3 : 0);
        return true;
    }
    return false;
}

// ---- drawing --------------------------------------------------------------------------

void CArchiveContentsPane::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_LISTBOX || int(item.itemID) < 0) return;
    const bool archiveList = item.CtlID == IDC_ARCHIVE_LIST;
    const std::string text = CListBox(item.hwndItem).GetText(int(item.itemID));
    RowPaint paint{RowText::None, nullptr, nullptr};
    if (text.size() <= 500) {
        if (archiveList) {
            if (!text.empty()) paint = {RowText::Columns, m_host.ArchiveTabStops().data(), ArchiveIcon()};
        } else {
            paint = {RowText::Columns, m_host.FileTabStops().data(), nullptr};
            const bool placeholder = item.itemID == 0 && (StartsWith(text, "\tRetriev") || StartsWith(text, "\tSorting"));
            if (item.itemID < m_files.size() && !placeholder) paint.icon = LookupFileIcon(IconKey(m_files[item.itemID]));
        }
    } else if (!text.empty()) {
        paint.text = RowText::Plain;
    }
    PaintListRow(item, text, paint);
}

// ---- divider and column edges ------------------------------------------------------------

int CArchiveContentsPane::EdgeAt(int x, int y) const {
    const LayoutValues& v = m_host.Layout();
    if (Near(x, v.divPoint)) return 0;
    if (y == 0) return -1;
    if (Near(x, v.arcLocation)) return 1;
    const int t1 = v.fileExt;
    const int t2 = t1 + v.fileExtEnd;
    const int t3 = t2 + v.fileSize;
    const int t4 = t3 + v.fileCmpSize;
    const int edges[] = {t1, t2, t3, t4, t4 + v.fileLoc};
    for (int k = 0; k < 5; ++k)
        if (Near(x, v.divPoint + edges[k])) return 2 + k;
    return -1;
}

void CArchiveContentsPane::OnButtonDown(int x, int y) {
    const int edge = EdgeAt(x, y);
    if (edge < 0) return;
    m_drag = 1;
    m_dragTarget = edge;  // the edge pressed, however far the first move goes
    ::SetCapture(Handle());
    ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
}

void CArchiveContentsPane::OnMouseMove(int x, int y) {
    const int edge = EdgeAt(x, y);
    if (edge >= 0) ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
    if (!m_drag) {
        m_dragTarget = -1;
        return;
    }
    if (m_dragTarget < 0) m_dragTarget = edge;
    if (m_dragTarget < 0) return;  // nothing taken yet and nothing under the pointer
    LayoutValues& v = m_host.Layout();
    int* widths[] = {&v.fileExt, &v.fileExtEnd, &v.fileSize, &v.fileCmpSize, &v.fileLoc};
    if (m_dragTarget == 0) {
        v.divPoint = x;
    } else if (m_dragTarget == 1) {
        v.arcLocation = x;
    } else {
        const int column = m_dragTarget - 2;
        int left = v.divPoint;
        for (int k = 0; k < column; ++k) left += *widths[k];
        *widths[column] = std::max(x - left, kMinColumn);
    }
    m_host.LayoutPanes();
    UpdateNow();
}

void CArchiveContentsPane::OnButtonUp() {
    if (!m_drag) return;
    m_drag = 0;
    ::ReleaseCapture();
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
}

void CArchiveContentsPane::OnContextMenu(int x, int y, Menu which) {
    RECT pane = WindowRect();
    const bool fileMenu = which == Menu::Files;
    UniqueMenu menu(::LoadMenuA(::GetModuleHandleA(nullptr),
                                MAKEINTRESOURCEA(fileMenu ? IDR_FILE_POPUP : IDR_ARCHIVE_POPUP)));
    if (!menu) return;
    int sx = pane.left + x;
    if (fileMenu) sx = pane.left + x + m_host.Layout().divPoint + 5;
    const int sy = pane.top + y + 16;
    HWND frame = CApplication::MainWindowHandle();
    ::TrackPopupMenu(::GetSubMenu(menu.Get(), 0), TPM_RIGHTBUTTON, sx, sy, 0, frame ? frame : Handle(), nullptr);
}

// ---- subclassed controls -------------------------------------------------------------------

LPARAM CArchiveContentsPane::ToPane(HWND child, LPARAM position, bool zeroY) const {
    RECT childRect{}, paneRect{};
    ::GetWindowRect(child, &childRect);
    ::GetWindowRect(Handle(), &paneRect);
    const int x = GET_X_LPARAM(position) + childRect.left - paneRect.left;
    const int y = zeroY ? 0 : GET_Y_LPARAM(position);
    return MAKELPARAM(x, y);
}

LRESULT CArchiveContentsPane::HeaderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    switch (message) {
    case WM_MOUSEMOVE:
        m_lastHeaderX = GET_X_LPARAM(lParam);
        ::SendMessageA(Handle(), WM_MOUSEMOVE, wParam, ToPane(hwnd, lParam, false));
        break;
    case WM_LBUTTONDOWN: {
        const int x = GET_X_LPARAM(lParam);
        if (Near(x, 0) || Near(x, r.right)) {
            // Near an edge the press starts a drag instead of a click.
            ::SendMessageA(Handle(), WM_LBUTTONDOWN, wParam, ToPane(hwnd, lParam, false));
            return 0;
        }
        break;
    }
    case WM_SETCURSOR:
        if (Near(m_lastHeaderX, 0) || Near(m_lastHeaderX, r.right)) return 1;
        break;
    default:
        break;
    }
    return CallOriginal(hwnd, message, wParam, lParam);
}

// What both lists pass on to the pane: left button presses and releases (in
// pane coordinates, at the height of the headers, so only the divider can be
// taken from a list) and key presses. True when the message was one of them.
bool CArchiveContentsPane::ForwardListInput(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        ::SendMessageA(Handle(), message, wParam, ToPane(list, lParam, true));
        return true;
    case WM_KEYDOWN:
        ::SendMessageA(Handle(), message, wParam, lParam);
        return true;
    default:
        return false;
    }
}

LRESULT CArchiveContentsPane::ArchiveListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ForwardListInput(hwnd, message, wParam, lParam)) return CallOriginal(hwnd, message, wParam, lParam);
    HWND pane = Handle();
    switch (message) {
    case WM_RBUTTONDOWN:
        ::SendMessageA(pane, WM_LBUTTONDOWN, wParam, ToPane(hwnd, lParam, false));
        return CallOriginal(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    case WM_RBUTTONUP: {
        // A right click selects the line under the pointer, then shows the menu.
        const LPARAM inPane = ToPane(hwnd, lParam, false);
        ::SendMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON, inPane);
        CallOriginal(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
        ::SendMessageA(pane, WM_LBUTTONUP, 0, inPane);
        CallOriginal(hwnd, WM_LBUTTONUP, 0, lParam);
        ::SendMessageA(pane, WM_RBUTTONUP, wParam, lParam);
        return CallOriginal(hwnd, WM_LBUTTONUP, 0, lParam);
    }
    default:
        return CallOriginal(hwnd, message, wParam, lParam);
    }
}

LRESULT CArchiveContentsPane::FileListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && CListBox(hwnd).Count() == 0) {
        EmptyListFacts facts;
        facts.archivingOn = m_host.AutomaticArchivingOn();
        facts.archivesKnown = CListBox(ArchiveList()).Count() > 0;
        facts.archiveFolder = m_host.AutomaticArchiveFolder();
        facts.atShutdown = m_host.ArchivesAtShutdown();
        PaintEmptyList(hwnd, EmptyFileListHint(facts));
        return 0;
    }
    if (!ForwardListInput(hwnd, message, wParam, lParam) && message == WM_RBUTTONUP)
        OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), Menu::Files);
    return CallOriginal(hwnd, message, wParam, lParam);
}

}  // namespace tb

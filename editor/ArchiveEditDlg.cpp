#include "editor/ArchiveEditDlg.h"

#include <commctrl.h>

#include "common/Profile.h"
#include "editor/EditorHost.h"
#include "framework/FileDialog.h"
#include "framework/ListRedraw.h"
#include "framework/RowPainter.h"
#include "framework/Shell.h"
#include "framework/Subclass.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace tb {

namespace {

constexpr UINT kStartDelayMs = 500;
constexpr int kRowHeight = 17;
constexpr int kFirstRowsShown = 30;
constexpr int kLongestDrawnRow = 500;
constexpr int kSortOnLoadBelow = 300;
constexpr int kSelectionLimit = 1000;
constexpr char kSortingRow[] = "Sorting...";
constexpr char kOpenFilter[] =
    "Zip Archive files (*.zip)|*.zip|Self Expanding Archive files (*.exe)|*.exe|All Files (*.*)|*.*||";

constexpr int kPictureButtons[] = {IDC_AE_OPEN, IDC_AE_EXTRACT, IDC_AE_LOCATE,
                                   IDC_AE_SETTINGS, IDC_AE_ARCHIVE, IDC_AE_ARCHIVE_FILES};
constexpr int kColumnButtons[] = {IDC_AE_COL_NAME, IDC_AE_COL_EXT, IDC_AE_COL_ACTION,
                                  IDC_AE_COL_DATE, IDC_AE_COL_SIZE, IDC_AE_COL_LOCATION};

// The title up to its first '-' (none of it without one), " - ", the archive.
std::string TitleWithArchive(const std::string& title, const std::string& path) {
    const size_t dash = title.find('-');
    return (dash == std::string::npos ? std::string() : title.substr(0, dash)) + " - " + path;
}

}  // namespace

CArchiveEditDlg::CArchiveEditDlg(IArchiveEditorHost& host) : CDialog(IDD_ARCHIVE_EDIT), m_host(host) {
    m_host.EditorOpen(true);
    m_list.SetRows(this);

    Map().OnTimer(IDT_EDITOR_START, [this] {
        StopTimer(IDT_EDITOR_START);
        DeferredStart();
    });
    Map().OnCommand(IDC_AE_OPEN, [this] { OpenExistingArchive(); });
    Map().OnCommand(IDC_AE_EXTRACT, [this] { ExtractSelected(); });
    Map().OnCommand(IDC_AE_LOCATE, [this] { LocateFiles(); });
    Map().OnCommand(IDC_AE_SETTINGS, [this] {
        if (!m_busy) m_host.OpenSettings(Handle());
    });
    Map().OnCommand(IDC_AE_ARCHIVE, [this] { WriteArchive(); });
    Map().OnCommand(IDC_AE_ADD_TO_LIST, [this] { AddFilesToList(); });
    Map().OnCommand(IDC_AE_REMOVE, [this] { RemoveSelected(); });
    for (int id : {IDC_AE_PENDING, IDC_AE_CHANGED_SINCE, IDC_AE_TYPES_MONITORED, IDC_AE_TYPES_ALL,
                   IDC_AE_TYPES_FROM, IDC_AE_LAST_AUTO})
        Map().OnCommand(UINT(id), [this] { UpdateSourceControls(); });
    for (int id : kColumnButtons) Map().OnCommand(UINT(id), [this, id] { SortColumn(id); });
    Map().OnMessage(WM_HELP, [](WPARAM, LPARAM) -> LRESULT { return TRUE; });
}

CArchiveEditDlg::~CArchiveEditDlg() {
    m_list.SetRows(nullptr);
    m_list.Clear();
    m_host.EditorOpen(false);
}

void CArchiveEditDlg::SetArchive(const std::string& path, int isNew) {
    m_archivePath = path;
    m_isNew = isNew;
    if (Handle()) SetProgress(0);
}

// ---- start-up ------------------------------------------------------------------------

BOOL CArchiveEditDlg::OnInitDialog() {
    LoadButtons();
    UpdateSourceControls();
    StartTimer(IDT_EDITOR_START, kStartDelayMs);
    SetItemText(IDC_AE_DAYS, "7");
    SetChecked(IDC_AE_TYPES_MONITORED, true);
    SetChecked(IDC_AE_LAST_DAYS, true);
    SetChecked(IDC_AE_SAVE_FOLDERS, ReadIniInt(kSettingsSection, "SaveFolders", 1) != 0);
    SetChecked(IDC_AE_PASSWORD, ReadIniInt(kSettingsSection, "PassProtect", 1) != 0);
    SetText(Text() + " - " + m_archivePath);
    CListBox list(Item(IDC_AE_LIST));
    list.SetItemHeight(kRowHeight);
    list.SetTabStops(m_tabStops, 10);
    SendItem(IDC_AE_PROGRESS, PBM_SETRANGE32, 0, 100);
    PlaceColumnButtons();
    SubclassList();
    return TRUE;
}

void CArchiveEditDlg::LoadButtons() {
    for (size_t i = 0; i < 6; ++i) m_buttons[i].AutoLoad(Handle(), kPictureButtons[i]);
}

// Each column button sits over its column of the list: the columns begin at
// the tab stops (the first one at the row's left edge, over the icon).
void CArchiveEditDlg::PlaceColumnButtons() {
    HWND list = Item(IDC_AE_LIST);
    RECT box{};
    ::GetWindowRect(list, &box);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&box), 2);
    RECT first{};
    ::GetWindowRect(Item(IDC_AE_COL_NAME), &first);
    const int height = first.bottom - first.top;
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    for (int k = 0; k < 6; ++k) {
        const int left = box.left + (k == 0 ? 0 : m_tabStops[k] + edge);
        const int right = k == 5 ? box.right : box.left + m_tabStops[k + 1] + edge;
        ::MoveWindow(Item(kColumnButtons[k]), left, box.top - height, right - left, height, TRUE);
    }
}

// The Delete key pressed in the list removes rows: the list passes its key
// presses and right-button releases to the dialog first.
void CArchiveEditDlg::SubclassList() {
    HWND dialog = Handle();
    SubclassControl(Item(IDC_AE_LIST), [dialog](HWND list, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_KEYDOWN || message == WM_RBUTTONUP) ::SendMessageA(dialog, message, wParam, lParam);
        return CallOriginal(list, message, wParam, lParam);
    });
}

void CArchiveEditDlg::DeferredStart() {
    if (m_takePending) {
        SetChecked(IDC_AE_PENDING, true);
        AddFilesToList();
    }
    ::SetForegroundWindow(Handle());
    if (!m_archivePath.empty()) LoadArchive(m_archivePath);
    ::SetForegroundWindow(Handle());
    UpdateNow();
    FillSourceLists();
    ::SetForegroundWindow(Handle());
}

void CArchiveEditDlg::UpdateSourceControls() {
    EnableItem(IDC_AE_ADD_TO_LIST, IsChecked(IDC_AE_PENDING) || IsChecked(IDC_AE_CHANGED_SINCE));
    const bool changed = IsChecked(IDC_AE_CHANGED_SINCE);
    for (int id : {IDC_AE_LAST_AUTO, IDC_AE_LAST_DAYS, IDC_AE_DAYS, IDC_AE_DAYS_LABEL, IDC_AE_DRIVES,
                   IDC_AE_DRIVES_LABEL, IDC_AE_TYPES_FROM, IDC_AE_TYPES_ALL, IDC_AE_TYPES_MONITORED})
        EnableItem(id, changed);
    const bool typesFrom = changed && IsChecked(IDC_AE_TYPES_FROM);
    EnableItem(IDC_AE_TYPE_LIST, typesFrom);
    EnableItem(IDC_AE_TYPE_EDIT, typesFrom);
}

// ---- messages --------------------------------------------------------------------------

INT_PTR CArchiveEditDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_DELETE) RemoveSelected();
        return FALSE;
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_TB_ZIP_PROGRESS:
        SendItem(IDC_AE_PROGRESS, PBM_SETPOS, wParam + 1);
        if (lParam) SetItemText(IDC_AE_PROGRESS_TEXT, reinterpret_cast<const char*>(lParam));
        return FALSE;
    case WM_TB_ZIP_ITEM:
        if (lParam) SetItemText(IDC_AE_ITEM_TEXT, reinterpret_cast<const char*>(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}

void CArchiveEditDlg::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType == ODT_BUTTON) {
        for (const CBitmapButton& button : m_buttons)
            if (button.Draw(item)) return;
        return;
    }
    if (item.CtlType != ODT_LISTBOX || int(item.itemID) < 0) return;
    CListBox list(item.hwndItem);
    const int length = int(list.Send(LB_GETTEXTLEN, item.itemID));
    if (length < 0 || length > kLongestDrawnRow) {
        PaintListRow(item, std::string(), RowPaint{RowText::None, nullptr, nullptr});
        return;
    }
    const std::string text = list.GetText(int(item.itemID));
    if (text.empty() || text[0] != '\t') {
        PaintListRow(item, text, RowPaint{RowText::Plain, nullptr, nullptr});
        return;
    }
    HICON icon = nullptr;
    if (item.itemID < m_list.Size()) {
        const EditEntry& entry = m_list.At(item.itemID);
        icon = m_host.FileIcon(entry.path, entry.name);
    }
    PaintListRow(item, text, RowPaint{RowText::Columns, m_tabStops, icon});
}

void CArchiveEditDlg::SetProgress(int percent) {
    if (percent == m_progressShown) return;
    m_progressShown = percent;
    SendItem(IDC_AE_PROGRESS, PBM_SETPOS, WPARAM(percent));
    ::UpdateWindow(Item(IDC_AE_PROGRESS));
}

void CArchiveEditDlg::ResetProgressTexts() {
    SetItemText(IDC_AE_PROGRESS_TEXT, "");
    SetItemText(IDC_AE_ITEM_TEXT, "");
}

void CArchiveEditDlg::SetTitleArchive(const std::string& path) { SetText(TitleWithArchive(Text(), path)); }

// ---- the list -------------------------------------------------------------------------

void CArchiveEditDlg::RefillList() {
    CListBox list(Item(IDC_AE_LIST));
    list.Reset();
    const size_t count = m_list.Size();
    // A long list repaints every 100 ms while it fills, after its first rows.
    CListRedrawThrottle throttle(list, count > size_t(kFirstRowsShown));
    if (count > size_t(kFirstRowsShown)) list.Send(LB_INITSTORAGE, WPARAM(count), LPARAM(count) * 64);
    for (size_t i = 0; i < count; ++i) {
        const EditEntry& entry = m_list.At(i);
        if (entry.path.empty()) break;
        list.Insert(int(i), FormatRow(entry, m_sizeMode));
        if (i + 1 == size_t(kFirstRowsShown)) {
            throttle.Tick(true);
            UpdateNow();
        } else if (i % 64 == 0) {
            throttle.Tick(false);
        }
    }
}

void CArchiveEditDlg::RowChanged(int index) {
    CListBox list(Item(IDC_AE_LIST));
    if (!list.Handle() || index >= list.Count()) return;
    list.Delete(index);
    list.Insert(index, FormatRow(m_list.At(size_t(index)), m_sizeMode));
}

void CArchiveEditDlg::RowRemoved(int index) {
    CListBox list(Item(IDC_AE_LIST));
    if (list.Handle() && index < list.Count()) list.Delete(index);
}

void CArchiveEditDlg::ClearList() {
    m_list.Clear();
    CListBox(Item(IDC_AE_LIST)).Reset();
}

void CArchiveEditDlg::SortColumn(int column) {
    const bool ascending = ToggleEditSort(column, m_sizeMode);
    if (column == IDC_AE_COL_SIZE) SetItemText(IDC_AE_COL_SIZE, m_sizeMode == kShowSizes ? "Size" : "Cmpr Size");
    CListBox list(Item(IDC_AE_LIST));
    list.Reset();
    list.Insert(0, kSortingRow);
    UpdateNow();
    m_list.Sort(column, ascending, m_sizeMode);
    RefillList();
    ::SetFocus(Handle());
}

int CArchiveEditDlg::LoadArchive(const std::string& path) {
    m_archivePath = path;
    SetTitleArchive(path);
    if (m_isNew) return 1;
    m_host.KnowArchive(path);
    m_engine.SetProgressWindow(Handle());
    ClearList();
    if (m_archivePath.empty()) return 0;

    m_engine.ListArchive("", "", -1);
    const int count = m_engine.ListArchive(m_archivePath, "", -1);
    m_list.Reserve(size_t(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        m_engine.ListArchive(m_archivePath, "", -2);
        const ZipEntryInfo& info = m_engine.EntryInfo();
        std::string name(info.path, strnlen(info.path, sizeof info.path));
        name = ReplaceAll(name, "/", "\\");
        const std::string date(info.dateTime, strnlen(info.dateTime, sizeof info.dateTime));
        const int64_t size = (int64_t(info.sizeHigh) << 32) | info.size;
        const int64_t compressed = (int64_t(info.compressedSizeHigh) << 32) | info.compressedSize;
        SetProgress(int(int64_t(i) * 100 / count));
        const int operation = OpArchiveItem | ((info.flags & kEntryFlagEncrypted) ? OpEncrypted : 0);
        m_list.ApplyEntry(name, operation, 0, date, compressed, size);
    }
    if (count < kSortOnLoadBelow) {
        // A short list comes up sorted by name, ascending.
        EditSortFlag(IDC_AE_COL_NAME) = 0;
        SortColumn(IDC_AE_COL_NAME);
    } else {
        RefillList();
    }
    SetProgress(0);
    return 1;
}

// ---- commands --------------------------------------------------------------------------

void CArchiveEditDlg::RemoveSelected() {
    if (m_busy) return;
    m_changesMade = 1;
    CListBox list(Item(IDC_AE_LIST));
    std::vector<int> selected = list.SelectedItems(kSelectionLimit);
    if (selected.empty()) {
        MessageBox("You must select the file(s) you wish to remove from the list.");
        return;
    }
    // Each toggle redraws or deletes the first selected row, which leaves it
    // unselected; the loop works down the selection.
    for (int round = 0; round < kSelectionLimit && !selected.empty(); ++round) {
        m_list.ApplyEntry("", OpToggleRemove, selected.front(), "", 0, 0);
        selected = list.SelectedItems(kSelectionLimit);
    }
}

void CArchiveEditDlg::OpenExistingArchive() {
    if (m_busy) return;
    if (!AskSaveChanges()) return;
    CFileDialog dialog(CFileDialog::kOpen, "*.zip", kOpenFilter);
    dialog.SetInitialFolder(ReadIniString(kSettingsSection, "DirOpenZip"));
    dialog.AddFlags(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR);
    const INT_PTR result = dialog.DoModal(Handle());
    WriteIniString(kSettingsSection, "DirOpenZip", dialog.Folder());
    if (result != IDOK) return;
    SetArchive(dialog.Path(), 0);
    UpdateNow();
    LoadArchive(dialog.Path());
}

int CArchiveEditDlg::AskSaveChanges() {
    if (!m_changesMade) return 1;
    if (MessageBox("Save changes to this archive?", MB_YESNO, "Tallybox") != IDYES) return 1;
    return WriteArchive() == kWriteDone ? 1 : 0;
}

void CArchiveEditDlg::ExtractSelected() {
    if (m_busy) return;
    SetProgress(0);
    // The rows chosen now, by their names in the archive: a write asked for
    // below reloads the list.
    std::vector<ArchiveItem> chosen;
    const std::vector<int> selected = CListBox(Item(IDC_AE_LIST)).SelectedItems(kSelectionLimit);
    for (int row : selected) {
        if (row < 0 || size_t(row) >= m_list.Size()) continue;
        const EditEntry& entry = m_list.At(size_t(row));
        if (!entry.InArchive()) continue;  // a file still to be added is not in the archive yet
        chosen.push_back(ArchiveItem{entry.storedName, entry.dateText, entry.size, entry.compressedSize, entry.flags});
    }
    if (!AskSaveChanges()) return;
    if (m_archivePath.empty()) return;
    m_host.ExtractItems(Handle(), m_archivePath, chosen, selected.empty() ? 1 : 2);
}

void CArchiveEditDlg::SaveEditorOptions() {
    WriteIntKey(kSettingsSection, "PassProtect", IsChecked(IDC_AE_PASSWORD) ? 1 : 0);
    WriteIntKey(kSettingsSection, "SaveFolders", IsChecked(IDC_AE_SAVE_FOLDERS) ? 1 : 0);
    m_host.KnowArchive(m_archivePath);
}

void CArchiveEditDlg::OnOK() {
    if (m_busy) return;
    m_exitAfterWrite = 1;
    const int result = WriteArchive();
    m_exitAfterWrite = 0;
    if (result != kWriteDone) return;  // not written: the changes stay in front of the user
    SaveEditorOptions();
    EndDialog(IDOK);
}

// The close box and the Escape key.
void CArchiveEditDlg::OnCancel() { Close(); }

void CArchiveEditDlg::Close() {
    if (m_changesMade &&
        MessageBox("Changes were made, are you sure you wish to exit without archiving? \r\nUse 'Save & Exit' to "
                   "avoid this message.\n\nClick OK to exit without saving changes.",
                   MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDOK)
        return;
    SaveEditorOptions();
    m_engine.AbortZipOperation();
    EndDialog(IDCANCEL);
}

}  // namespace tb

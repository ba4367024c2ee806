// Where the editor's files come from: the pending list, a search of drives for
// files changed since a day, and the lists of types and drives to search.
#include "editor/ArchiveEditDlg.h"

#include "autoarchive/ChangeListBuilder.h"
#include "editor/EditorHost.h"
#include "editor/FoundFiles.h"
#include "editor/PassProgress.h"
#include "framework/Drives.h"
#include "framework/Handles.h"
#include "framework/Text.h"
#include "monitor/FileTypes.h"
#include "res/resource.h"

namespace tb {

namespace {

constexpr DWORD kRegistryKeyLimit = 12000;
constexpr int kTypeSelectionLimit = 300;
constexpr int kDriveSelectionLimit = 26;

// The extension keys of HKEY_CLASSES_ROOT (".txt"), upper-cased.
std::vector<std::string> RegisteredExtensions() {
    std::vector<std::string> extensions;
    char name[256];
    for (DWORD index = 0; index < kRegistryKeyLimit; ++index) {
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(HKEY_CLASSES_ROOT, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (name[0] == '.') extensions.push_back(ToUpper(std::string(name, length)));
    }
    return extensions;
}

}  // namespace

void CArchiveEditDlg::FillSourceLists() {
    CListBox types(Item(IDC_AE_TYPE_LIST));
    types.Reset();
    for (const std::string& extension : RegisteredExtensions()) {
        const std::string line = DescribeFileTypeShort(extension);
        if (!ContainsNoCase(line, "unknown")) types.Add(line);
    }
    const int first = types.FindPrefix("A");
    if (first >= 0) types.SetTopIndex(first);
    FillDriveList(Item(IDC_AE_DRIVES), ToLower(m_host.Settings().CustomDriveList));
}

void CArchiveEditDlg::AddFilesToList() {
    if (m_busy) return;
    m_changesMade = 1;
    if (IsChecked(IDC_AE_PENDING)) AddPendingFiles();
    if (IsChecked(IDC_AE_CHANGED_SINCE)) {
        AddChangedFiles();
        return;  // it brings the controls up to date itself, unless it stopped
    }
    UpdateSourceControls();
}

void CArchiveEditDlg::AddPendingFiles() {
    const PendingFiles pending = m_host.TakePendingFiles();
    m_pendingTaken = 1;
    m_pendingTakenAt = pending.taken;
    const TypeFilter monitored{ToUpper(m_host.Settings().FileTypes), false};
    for (const std::string& path : pending.paths)
        if (monitored.Accepts(path)) m_list.ApplyEntry(path, OpAddFile, 0, "", 0, -1);
    RefillList();
    // The pending files are taken once per dialog.
    SetChecked(IDC_AE_PENDING, false);
    EnableItem(IDC_AE_PENDING, false);
}

void CArchiveEditDlg::AddChangedFiles() {
    // The types wanted.
    TypeFilter filter;
    if (IsChecked(IDC_AE_TYPES_FROM)) {
        std::vector<std::string> lines;
        CListBox types(Item(IDC_AE_TYPE_LIST));
        for (int line : types.SelectedItems(kTypeSelectionLimit)) lines.push_back(types.GetText(line));
        const std::string typed = ItemText(IDC_AE_TYPE_EDIT);
        if (!TypeEditWellFormed(typed) &&
            MessageBox("File type in edit box not entered in the correct format(.EXT;.EXT), Retry?", MB_YESNO,
                       "Error") == IDYES)
            return;  // the user corrects the text first
        filter = TypesFromFilter(lines, typed);
    } else if (IsChecked(IDC_AE_TYPES_ALL)) {
        filter.allTypes = true;
    } else {
        filter.types = ToUpper(m_host.Settings().FileTypes);
    }

    // Since when.
    FileTicks since = EarliestChange();
    if (IsChecked(IDC_AE_LAST_AUTO)) since = ReadLastArchiveTime();
    if (IsChecked(IDC_AE_LAST_DAYS))
        since = DaysBeforeNow(LeadingInt(ItemText(IDC_AE_DAYS)));

    // Where.
    m_host.SearchChangedFiles("", since, 1);
    CListBox drives(Item(IDC_AE_DRIVES));
    const std::vector<int> chosen = drives.SelectedItems(kDriveSelectionLimit);
    if (chosen.empty()) {
        MessageBox("No drives selected, select drive to search and try again.");
        return;
    }
    int count = 0;
    for (int line : chosen) {
        const std::string item = drives.GetText(line);
        if (item.empty()) continue;
        count = m_host.SearchChangedFiles(item.substr(0, 1) + ":", since, 1);
        if (count == -1) return;  // aborted: what is in the list stays, nothing else changes
    }

    UpdateNow();
    {
        CPassProgress progress(Handle(), count > kProgressAbove);
        MergeFoundFiles(m_list, m_host.SearchResults(), count, filter, OpAddFile, &progress);
        UpdateNow();
    }
    RefillList();
    UpdateSourceControls();
}

}  // namespace tb

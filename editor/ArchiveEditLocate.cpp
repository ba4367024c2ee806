// The editor's "Locate_Files" command: files chosen in the add-files dialog,
// or found by its wildcard search of the folder it showed.
#include "editor/ArchiveEditDlg.h"

#include "common/Profile.h"
#include "editor/EditorHost.h"
#include "editor/ExtFileDialog.h"
#include "editor/FoundFiles.h"
#include "editor/PassProgress.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr size_t kNameBufferChars = 20000;
constexpr size_t kChosenLimit = 1000;
constexpr size_t kFolderLimit = 2000;
}  // namespace

void CArchiveEditDlg::LocateFiles() {
    if (m_busy) return;
    SetProgress(0);
    CExtFileDialog dialog(CFileDialog::kOpen, "*.*", "(All files *.*)|*.*||");
    dialog.SetTitle("Select Files to ADD to Archive");
    dialog.AllowMultipleSelection(kNameBufferChars);
    dialog.AddFlags(OFN_SHAREAWARE | OFN_HIDEREADONLY);
    const std::string start = ReadIniString(kSettingsSection, "LocateFileDir");
    if (!start.empty()) ::SetCurrentDirectoryA(start.c_str());
    dialog.SetInitialFolder(start);

    const INT_PTR result = dialog.DoModal(Handle());
    // The program stays in the folder the dialog showed last, and the next
    // dialog starts there.
    const std::string folder = dialog.Folder().substr(0, kFolderLimit);
    if (!folder.empty()) ::SetCurrentDirectoryA(folder.c_str());
    WriteIniString(kSettingsSection, "LocateFileDir", folder);
    UpdateNow();

    const LocateOptions& options = dialog.Options();
    const int operation = options.CheckUpdate == 1 ? OpFreshen : OpAddFile;
    if (result == IDOK) {
        m_changesMade = 1;
        std::vector<std::string> paths = dialog.Paths();
        if (paths.size() > kChosenLimit) paths.resize(kChosenLimit);
        for (const std::string& path : paths) m_list.ApplyEntry(path, operation, 0, "", 0, -1);
        RefillList();
        return;
    }
    if (!dialog.WildcardsChosen()) return;

    m_changesMade = 1;
    const FileTicks since = options.CheckChangedSince == 1 ? DaysBeforeNow(options.Days) : EarliestChange();
    const TypeFilter filter = WildcardFilter(dialog.WildcardText());
    m_host.SearchChangedFiles("", since, 1);
    const int count = m_host.SearchChangedFiles(folder, since, options.CheckIncSubs);
    if (count == -1) return;  // aborted: the list stays as it was
    UpdateNow();
    {
        CPassProgress progress(Handle(), count > kProgressAbove);
        MergeFoundFiles(m_list, m_host.SearchResults(), count, filter, operation, &progress);
    }
    RefillList();
}

}  // namespace tb

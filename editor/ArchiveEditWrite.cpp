// Writing the edit list into the archive: the name of a new archive, the
// password, the two library jobs, and what the list shows afterwards.
#include "editor/ArchiveEditDlg.h"

#include <commctrl.h>

#include "common/Profile.h"
#include "autoarchive/ChangeListBuilder.h"
#include "editor/EditorHost.h"
#include "editor/PasswordDlg.h"
#include "framework/FileDialog.h"
#include "res/resource.h"

namespace tb {

namespace {

constexpr char kPasswordPrompt[] = "Enter password to protect the files being archived.";
constexpr char kJobFailed[] = "An error occured during this operation.";

// The editor's engine running the jobs on one archive; a failed job is
// reported at once, before the next one runs.
class CEditorJobs : public IZipJobs {
public:
    CEditorJobs(CZipEngine& engine, std::string archive, HWND owner)
        : m_engine(engine), m_archive(std::move(archive)), m_owner(owner) {}

    int Run(const std::string& fileList, int operation) override {
        m_engine.ZipFiles(m_archive, fileList, operation);
        const int result = m_engine.LastResult();
        if (result != kLibraryDone) ShowMessage(m_owner, kJobFailed);
        return result;
    }
    std::vector<std::string> UnreadableFiles() const override { return m_engine.UnreadableFiles(); }

private:
    CZipEngine& m_engine;
    std::string m_archive;
    HWND m_owner;
};

}  // namespace

int CArchiveEditDlg::ChooseArchiveName() {
    CFileDialog dialog(CFileDialog::kSave, "*.zip", "(All files *.zip)|*.zip||");
    dialog.SetInitialFolder(ReadIniString(kSettingsSection, "DirOpenZip"));
    dialog.AddFlags(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
    const INT_PTR result = dialog.DoModal(Handle());
    WriteIniString(kSettingsSection, "DirOpenZip", dialog.Folder());
    if (result == IDOK) m_archivePath = dialog.Path();
    SetProgress(0);
    return result == IDOK ? IDOK : IDCANCEL;
}

int CArchiveEditDlg::WriteArchive() {
    if (m_busy) return kWriteCancelled;
    if (m_archivePath.empty() && ChooseArchiveName() != IDOK) return kWriteCancelled;
    // Without the password nothing is written: the changes stay as they are.
    std::string password;
    const bool encrypt = IsChecked(IDC_AE_PASSWORD);
    if (encrypt) {
        CPasswordDlg prompt(kPasswordPrompt, "");
        if (prompt.DoModal(Handle()) != IDOK) return kWriteCancelled;
        password = prompt.EnteredText();
    }

    m_busy = 1;
    SetProgress(1);
    SetTitleArchive(m_archivePath);
    m_engine.SetProgressWindow(Handle());
    m_engine.m_password = password;
    const WritePlan plan = PlanWrite(m_list, IsChecked(IDC_AE_SAVE_FOLDERS), encrypt);

    // An empty placeholder makes way for the archive; one with any byte in it
    // is an archive and stays.
    if (m_isNew && PlaceholderIsEmpty(m_archivePath)) ::DeleteFileA(m_archivePath.c_str());

    CEditorJobs jobs(m_engine, m_archivePath, Handle());
    const WriteOutcome outcome = RunWriteJobs(m_list, plan, jobs);
    m_engine.m_password.clear();
    // The pending files count as archived only when they are in the archive.
    if (m_pendingTaken && outcome.AddsWritten()) WriteLastArchiveTime(m_pendingTakenAt);

    SetProgress(0);
    ResetProgressTexts();
    m_changesMade = outcome.Complete() ? 0 : 1;
    // Once something is written the file is an archive, no placeholder.
    if (m_isNew && FileLength(m_archivePath) > 0) m_isNew = 0;
    if (!m_exitAfterWrite || !outcome.Complete()) {
        LoadArchive(m_archivePath);
        if (!outcome.Complete()) {
            RestoreUnwritten(m_list, outcome.unwritten);
            RefillList();
        }
    }
    m_host.ShowArchive(m_archivePath);
    m_busy = 0;
    return outcome.Complete() ? kWriteDone : kWriteFailed;
}

}  // namespace tb

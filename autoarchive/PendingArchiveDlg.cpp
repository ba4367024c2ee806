#include "autoarchive/PendingArchiveDlg.h"

#include <commctrl.h>

#include "common/Profile.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr char kArchiveAndShutdown[] = "Archive Now \nand Shutdown";
}

CPendingArchiveDlg::CPendingArchiveDlg() : CDialog(IDD_PENDING_ARCHIVE) {
    // The run carries out the decision ("Exit and Reset Pending List" too:
    // it knows which change records the list covered).
    for (PendingAnswer answer : {kPendingRunArchiver, kPendingCustomArchive, kPendingEditSettings,
                                 kPendingShutdownWithoutArchiving, kPendingExitAndReset})
        Map().OnCommand(UINT(answer), [this, answer] { Close(answer); });
    Map().OnCommand(IDC_PA_CANCEL_SHUTDOWN, [this] { OnCancelShutdownClicked(); });
    Map().OnMessage(WM_TB_ZIP_PROGRESS, [this](WPARAM percent, LPARAM) -> LRESULT {
        SendItem(IDC_PA_PROGRESS, PBM_SETPOS, percent);
        return 0;
    });
}

void CPendingArchiveDlg::Set(const std::vector<std::string>& archive, const std::vector<std::string>& skipped,
                             int modeFlags, int* cancelShutdown) {
    m_archive = archive;
    m_skipped = skipped;
    m_mode = modeFlags;
    m_cancelShutdown = cancelShutdown;
}

BOOL CPendingArchiveDlg::OnInitDialog() {
    if (m_mode & kNoEditSettings) EnableItem(IDC_PA_EDIT_SETTINGS, false);
    if (m_mode & kNoRunArchiver) EnableItem(IDC_PA_RUN_ARCHIVER, false);
    if (m_mode & kNoCustomArchive) EnableItem(IDC_PA_CUSTOM_ARCHIVE, false);
    const bool shutdown = (m_mode & kShutdownMode) != 0;
    ShowItem(IDC_PA_SHUTDOWN_NO_ARCHIVE, shutdown);
    ShowItem(IDC_PA_CANCEL_SHUTDOWN, shutdown);
    if (shutdown) {
        SetItemText(IDC_PA_LATER, "Cancel Shutdown");
        SetItemText(IDC_PA_ARCHIVE_NOW, kArchiveAndShutdown);
    }
    m_saveFolderNames = ReadIniInt(kSettingsSection, "PendSaveFolderNames", 1);
    SetChecked(IDC_PA_INCLUDE_FOLDERS, m_saveFolderNames != 0);

    CListBox list(Item(IDC_PA_LIST));
    const int tabs[] = {36};
    list.SetTabStops(tabs, 1);
    for (const std::string& path : m_archive) {
        if (path.empty()) break;
        list.Add("  -YES-\t" + path);
    }
    for (const std::string& path : m_skipped) {
        if (path.empty()) break;
        list.Add("   -NO-\t" + path);
    }
    if (m_cancelShutdown) *m_cancelShutdown = 0;
    // At shut-down the main window is hidden: the question must be in front.
    ::SetForegroundWindow(Handle());
    FocusItem(IDC_PA_ARCHIVE_NOW);
    return FALSE;
}

void CPendingArchiveDlg::OnCancelShutdownClicked() {
    const bool cancel = IsChecked(IDC_PA_CANCEL_SHUTDOWN);
    if (m_cancelShutdown) *m_cancelShutdown = cancel ? 1 : 0;
    SetItemText(IDC_PA_ARCHIVE_NOW, cancel ? "Archive Now" : kArchiveAndShutdown);
}

void CPendingArchiveDlg::Close(PendingAnswer answer) {
    m_saveFolderNames = IsChecked(IDC_PA_INCLUDE_FOLDERS) ? 1 : 0;
    WriteIntKey(kSettingsSection, "PendSaveFolderNames", m_saveFolderNames);
    EndDialog(answer);
}

}  // namespace tb

#pragma once
// CPendingArchiveDlg (dialog 141): shows the files an automatic archive is
// about to archive ("-YES-") and to leave out ("-NO-"), and takes the user's
// decision. It only collects the decision; the archive run carries it out.

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "res/resource.h"

namespace tb {

// What the user decided: the id of the button that closed the dialog.
enum PendingAnswer : int {
    kPendingArchiveNow = IDC_PA_ARCHIVE_NOW,                       // 1, also Enter
    kPendingLater = IDC_PA_LATER,                                  // 2 "Later" / "Cancel Shutdown", also Escape
    kPendingRunArchiver = IDC_PA_RUN_ARCHIVER,                     // 3
    kPendingCustomArchive = IDC_PA_CUSTOM_ARCHIVE,                 // 4
    kPendingEditSettings = IDC_PA_EDIT_SETTINGS,                   // 1054
    kPendingShutdownWithoutArchiving = IDC_PA_SHUTDOWN_NO_ARCHIVE, // 1076
    kPendingExitAndReset = IDC_PA_RESET_PENDING,                   // 1138 "Exit and Reset Pending List"
};

class CPendingArchiveDlg : public CDialog {
public:
    // Mode flags.
    enum : int {
        kNoEditSettings = 0x01,
        kNoRunArchiver = 0x02,
        kNoCustomArchive = 0x04,
        kShutdownMode = 0x08,
    };
    CPendingArchiveDlg();

    // Hands in both lists and the mode; `cancelShutdown` is the view's flag
    // that the "Cancel Shutdown" box sets.
    void Set(const std::vector<std::string>& archive, const std::vector<std::string>& skipped, int modeFlags,
             int* cancelShutdown);

    int m_saveFolderNames = 1;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { Close(kPendingArchiveNow); }
    void OnCancel() override { Close(kPendingLater); }

private:
    void Close(PendingAnswer answer);
    void OnCancelShutdownClicked();

    std::vector<std::string> m_archive;
    std::vector<std::string> m_skipped;
    int m_mode = 0;
    int* m_cancelShutdown = nullptr;
};

}  // namespace tb

#pragma once
// CPendingArchiveDlg (dialog 141): shows the files an automatic archive is
// about to archive ("-YES-") and to leave out ("-NO-"), and takes the user's
// decision. It only collects the decision; the archive run carries it out.

#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace tb {

class CPendingArchiveDlg : public CDialog {
public:
    // Mode flags.
    enum : int {
        kNoEditSettings = 0x01,
        kNoRunArchiver = 0x02,
        kNoCustomArchive = 0x04,
        kShutdownMode = 0x08,
    };
    // Results besides 1 (Archive Now), 2 (Later / Cancel Shutdown), 3 (Run Archiver), 4 (Custom Archive).
    enum : int {
        kEditSettings = 1054,
        kShutdownWithoutArchiving = 1076,
        kExitAndResetPending = 1138,
    };

    CPendingArchiveDlg();

    // Hands in both lists and the mode; `cancelShutdown` is the view's flag
    // that the "Cancel Shutdown" box sets.
    void Set(const std::vector<std::string>& archive, const std::vector<std::string>& skipped, int modeFlags,
             int* cancelShutdown);

    int m_saveFolderNames = 1;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { Close(1); }
    void OnCancel() override { Close(2); }

private:
    void Close(int result);
    void OnCancelShutdownClicked();

    std::vector<std::string> m_archive;
    std::vector<std::string> m_skipped;
    int m_mode = 0;
    int* m_cancelShutdown = nullptr;
};

}  // namespace tb

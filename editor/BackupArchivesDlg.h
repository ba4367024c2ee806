#pragma once
// CBackupArchivesDlg (dialog 174, "Backup Archive(s)"): copies chosen known
// archives into one backup folder ("BackupLocation"), warns when that folder
// is on a local fixed disk, asks before replacing a backup of the same name
// unless told to replace silently, and ends each run with a summary of what
// was and was not copied. It stays open for another backup until "Done".

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/UserPrompts.h"

namespace tb {

class CBackupArchivesDlg : public CDialog {
public:
    // `archives`: the paths of the known-archive list, in its order.
    CBackupArchivesDlg(std::vector<std::string> archives, UserPrompts prompts);

    static constexpr const char* kLocationKey = "BackupLocation";

protected:
    BOOL OnInitDialog() override;
    // "Backup": copies, and the dialog stays.
    void OnOK() override;
    // "Done" and the close box.
    void OnCancel() override;

private:
    void Browse();
    void Backup();
    // Copies the archive of one line; false when the user chose to stop.
    bool BackUpOne(const std::string& source, bool failIfExists, std::string& copied, std::string& notCopied);
    void SetBar(int position);
    int Ask(const std::string& text, UINT flags, const char* caption = nullptr);

    std::vector<std::string> m_archives;
    UserPrompts m_prompts;
    std::string m_location;
};

}  // namespace tb

#include "editor/BackupArchivesDlg.h"

#include <commctrl.h>

#include "common/Profile.h"
#include "editor/BackupCopy.h"
#include "framework/Drives.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr int kMaxSelected = 300;
constexpr char kWarning[] = "Warning";
constexpr char kBrowseTitle[] = "Select Folder/Directory.";
constexpr char kFixedDiskWarning[] =
    "The location you have selected to \"Backup To\" is a local, non-removable disk drive. \n"
    "Backing up archives to a local disk drive will not protect the data in your archive if your local disk "
    "drive or computer fails.\n\n"
    "You should use a removable disk drive like a Floppy or Zip drive, or a network drive.";
constexpr char kNoLocation[] = "No folder was chosen to back up to. No backup copies of Archives were created.";

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

CBackupArchivesDlg::CBackupArchivesDlg(std::vector<std::string> archives, UserPrompts prompts)
    : CDialog(IDD_BACKUP_ARCHIVES), m_archives(std::move(archives)), m_prompts(std::move(prompts)) {
    Map().OnCommand(IDC_BK_BROWSE, [this] { Browse(); });
}

BOOL CBackupArchivesDlg::OnInitDialog() {
    CListBox list(Item(IDC_BK_LIST));
    list.SetTabStops(BackupTabStops().data(), int(BackupTabStops().size()));
    for (size_t i = 0; i < m_archives.size() && !m_archives[i].empty(); ++i)
        list.Insert(int(i), BackupListLine(m_archives[i]));
    m_location = ReadIniString(kSettingsSection, kLocationKey, kStringBuffer);
    SetItemText(IDC_BK_LOCATION, m_location);
    SendItem(IDC_BK_PROGRESS, PBM_SETRANGE32, 0, 100);
    return TRUE;
}

int CBackupArchivesDlg::Ask(const std::string& text, UINT flags, const char* caption) {
    return m_prompts.message(Handle(), text, flags, caption);
}

void CBackupArchivesDlg::SetBar(int position) { SendItem(IDC_BK_PROGRESS, PBM_SETPOS, WPARAM(position)); }

void CBackupArchivesDlg::Browse() {
    if (std::optional<std::string> folder = m_prompts.browseFolder(Handle(), kBrowseTitle)) {
        m_location = *folder;
        SetItemText(IDC_BK_LOCATION, m_location);
    }
}

void CBackupArchivesDlg::OnOK() { Backup(); }

void CBackupArchivesDlg::OnCancel() {
    m_location = ItemText(IDC_BK_LOCATION);
    WriteIniString(kSettingsSection, kLocationKey, m_location);
    EndDialog(IDCANCEL);
}

void CBackupArchivesDlg::Backup() {
    SetBar(0);
    m_location = ItemText(IDC_BK_LOCATION);
    if (m_location.empty()) Browse();
    WriteIniString(kSettingsSection, kLocationKey, m_location);
    // The folder browser was cancelled: there is no place the user chose.
    if (m_location.empty()) {
        Ask(kNoLocation, MB_OK);
        return;
    }
    const bool failIfExists = !IsChecked(IDC_BK_OVERWRITE);
    const std::vector<int> lines = CListBox(Item(IDC_BK_LIST)).SelectedItems(kMaxSelected);
    if (lines.empty()) {
        Ask("Please select an archive first.", MB_OK);
        return;
    }
    if (DriveTypeOf(m_location.substr(0, 3)) == DRIVE_FIXED) Ask(kFixedDiskWarning, MB_OK, kWarning);

    std::string copied, notCopied;
    const int n = int(lines.size());
    for (int k = 0; k < n; ++k) {
        SetBar((k + 1) * 100 / (n + 1));
        const size_t index = size_t(lines[size_t(k)]);
        if (index >= m_archives.size()) continue;
        if (!BackUpOne(m_archives[index], failIfExists, copied, notCopied)) return;  // stopped: no summary
    }
    if (!copied.empty()) {
        SetBar(100);
        std::string summary = "Creating backup copies of the following Archives was done successfully.\n" + copied;
        if (!notCopied.empty()) summary += "\n\nThe following were NOT copied.\n" + notCopied;
        Ask(summary, MB_OK);
    } else {
        SetBar(0);
        Ask("No backup copies of Archives were created.", MB_OK);
    }
}

bool CBackupArchivesDlg::BackUpOne(const std::string& source, bool failIfExists, std::string& copied,
                                   std::string& notCopied) {
    const std::string name = NameOf(source);
    if (m_location.back() != '\\') m_location += '\\';
    const std::string target = m_location + name;
    switch (CopyArchiveChecked(source, target, failIfExists)) {
    case BackupCopy::Copied:
        copied += "\n" + name;
        return true;
    case BackupCopy::TargetExists:
        if (Ask("File Exists on Backup location:  " + target + " \n\nOverwrite?", MB_YESNO, kWarning) == IDYES &&
            CopyArchiveChecked(source, target, false) == BackupCopy::Copied)
            copied += "\n" + name;
        else
            notCopied += "\n" + name;
        return true;
    case BackupCopy::Failed:
        break;
    }
    notCopied += "\n" + name;
    return Ask("Unable to copy archive: " + name + " Continue?", MB_YESNO, kWarning) == IDYES;
}

}  // namespace tb

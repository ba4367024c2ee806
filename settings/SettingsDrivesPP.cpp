#include "settings/SettingsDrivesPP.h"

#include "framework/Drives.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace tb {

namespace {

constexpr BitControl kDriveBits[] = {
    {IDC_DRV_ALL_LOCAL, kDrivesAllLocal},
    {IDC_DRV_ALL_REMOTE, kDrivesAllRemote},
    {IDC_DRV_CUSTOM, kDrivesCustom},
    {IDC_DRV_EXCLUDE_DIRS, kDrivesExcludeDirs},
    {IDC_DRV_EXCLUDE_TEMP, kDrivesExcludeTemp},
    {IDC_DRV_EXCLUDE_CACHE, kDrivesExcludeInternetCache},
    {IDC_DRV_EXCLUDE_UNZIP, kDrivesExcludeUnZipFolder},
};

constexpr int kMaxDrives = 26;

}  // namespace

std::string ExcludedFoldersAsLines(const std::string& list) { return ReplaceAll(list, ";;", "\r\n"); }

std::string ExcludedFoldersFromText(const std::string& text) {
    std::string list = text;
    for (char& c : list)
        if (c == '\r' || c == '\n') c = ';';
    return list;
}

std::string DriveLettersFromLines(const std::vector<std::string>& lines) {
    std::string letters;
    for (const std::string& line : lines) {
        if (letters.size() >= size_t(kMaxDrives)) break;
        if (!line.empty()) letters += line[0];
    }
    return letters;
}

SettingsDrivesPP::SettingsDrivesPP(SettingsRecord& record) : CSettingsPage(IDD_SETTINGS_DRIVES, record) {
    Map().OnCommand(IDC_DRV_CUSTOM, [this] { StoreAndEnable(); });
    Map().OnCommand(IDC_DRV_EXCLUDE_DIRS, [this] { StoreAndEnable(); });
    Map().OnCommand(IDC_DRV_BROWSE, [this] { Browse(); });
}

void SettingsDrivesPP::Load() {
    ShowChecks(ChecksFromBits(kDriveBits, m_record.Drives));
    // Letters are stored as the system lists its roots (often upper case) and
    // looked for in lower case: compare them ignoring case, so a saved
    // selection is shown again.
    FillDriveList(Item(IDC_DRV_LIST), ToLower(m_record.CustomDriveList));
    SetItemText(IDC_DRV_EXCLUDE_LIST, ExcludedFoldersAsLines(m_record.ExcludeDirList));
    ApplyEnabling();
}

void SettingsDrivesPP::Store() {
    BitsFromChecks(kDriveBits, ReadChecks(kDriveBits), m_record.Drives);

    CListBox drives(Item(IDC_DRV_LIST));
    std::vector<std::string> chosen;
    for (int index : drives.SelectedItems(kMaxDrives)) chosen.push_back(drives.GetText(index));
    m_record.CustomDriveList = DriveLettersFromLines(chosen);

    // The list is read back through a buffer of limited size: refuse what
    // would come back cut short.
    const std::string folders = ExcludedFoldersFromText(ItemText(IDC_DRV_EXCLUDE_LIST));
    if (FitsSettingsText(folders)) m_record.ExcludeDirList = folders;
    else Tell(TooLongMessage("excluded folders", folders.size()));
}

bool SettingsDrivesPP::CanLeave() {
    const std::string folders = ExcludedFoldersFromText(ItemText(IDC_DRV_EXCLUDE_LIST));
    if (FitsSettingsText(folders)) return true;
    Tell(TooLongMessage("excluded folders", folders.size()));
    return false;
}

void SettingsDrivesPP::StoreAndEnable() {
    Store();
    ApplyEnabling();
}

void SettingsDrivesPP::ApplyEnabling() {
    EnableItem(IDC_DRV_LIST, (m_record.Drives & kDrivesCustom) != 0);
    const bool excluding = (m_record.Drives & kDrivesExcludeDirs) != 0;
    EnableItem(IDC_DRV_EXCLUDE_LIST, excluding);
    EnableItem(IDC_DRV_BROWSE, excluding);
}

void SettingsDrivesPP::Browse() {
    std::optional<std::string> folder =
        BrowseFolder("Select Folder/Directory that is to be excluded from automatic archives.");
    if (!folder) return;
    SetItemText(IDC_DRV_EXCLUDE_LIST, ItemText(IDC_DRV_EXCLUDE_LIST) + "\r\n" + *folder);
}

}  // namespace tb

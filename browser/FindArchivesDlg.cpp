#include "browser/FindArchivesDlg.h"

#include "common/Profile.h"
#include "framework/Drives.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr char kClearNewKey[] = "ClearNew";
constexpr int kMaxDrives = 26;
constexpr char kBrowseTitle[] = "Select Folder/Directory that is to be searched.";
}  // namespace

time_t FindArchivesSince() {
    std::tm when{};
    when.tm_year = 70;
    when.tm_mon = 0;
    when.tm_mday = 1;
    when.tm_hour = 1;
    when.tm_min = 1;
    when.tm_sec = 1;
    when.tm_isdst = -1;
    const time_t since = std::mktime(&when);
    // A zone east of Greenwich has no local 01:01:01 on that day before the epoch.
    return since == time_t(-1) ? 0 : since;
}

CFindArchivesDlg::CFindArchivesDlg(const SettingsRecord& settings, IArchiveFinder& finder, UserPrompts prompts)
    : CDialog(IDD_FIND_ARCHIVES),
      m_customDrives(settings.CustomDriveList),
      m_finder(finder),
      m_prompts(std::move(prompts)) {
    Map().OnCommand(IDC_FA_BROWSE, [this] { Browse(); });
}

BOOL CFindArchivesDlg::OnInitDialog() {
    // The letters are matched whatever their case: the settings keep them as
    // the system lists the drives (upper case), hand-written files often not.
    FillDriveList(Item(IDC_FA_DRIVES), ToLower(m_customDrives));
    const bool clear = ReadIniInt(kSettingsSection, kClearNewKey, 1) != 0;
    SetChecked(IDC_FA_CLEAR_AND_ADD, clear);
    SetChecked(IDC_FA_ADD_NEW, !clear);
    return TRUE;
}

bool CFindArchivesDlg::ClearChosen() const { return IsChecked(IDC_FA_CLEAR_AND_ADD); }

void CFindArchivesDlg::WriteClearNew() const { WriteIntKey(kSettingsSection, kClearNewKey, ClearChosen() ? 1 : 0); }

void CFindArchivesDlg::OnOK() {
    const time_t since = FindArchivesSince();
    m_finder.SearchChangedFiles("", since, 0);
    CListBox drives(Item(IDC_FA_DRIVES));
    const std::vector<int> chosen = drives.SelectedItems(kMaxDrives);
    if (ClearChosen()) m_finder.ClearKnownArchives();
    for (int line : chosen) {
        const std::string item = drives.GetText(line);
        if (item.empty()) continue;
        if (m_finder.SearchChangedFiles(item.substr(0, 1) + ":", since, 1) == -1) return;  // aborted: stay
    }
    WriteClearNew();
    EndDialog(IDOK);
}

void CFindArchivesDlg::Browse() {
    std::optional<std::string> folder = m_prompts.browseFolder(Handle(), kBrowseTitle);
    if (!folder) return;
    if (ClearChosen()) m_finder.ClearKnownArchives();
    const time_t since = FindArchivesSince();
    m_finder.SearchChangedFiles("", since, 0);
    m_finder.SearchChangedFiles(*folder, since, 1);
    WriteClearNew();
}

}  // namespace tb

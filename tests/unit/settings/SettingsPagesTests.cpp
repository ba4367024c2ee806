// The settings pages as real dialogs, created from their templates without the
// sheet, with the message boxes and the shell's dialogs replaced.
#include <windows.h>
#include <prsht.h>

#include <optional>
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "framework/Window.h"
#include "res/resource.h"
#include "settings/SettingsDrivesPP.h"
#include "settings/SettingsFilesPP.h"
#include "settings/SettingsGeneralPP.h"
#include "settings/SettingsLocationPP.h"
#include "settings/SettingsPromptsPP.h"
#include "settings/SettingsUnZipPP.h"

using namespace tb;

namespace {

// A hidden window that holds one page, and what the page said and asked.
class PageHost {
public:
    PageHost() {
        m_parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr);
        REQUIRE(m_parent);
    }
    ~PageHost() { ::DestroyWindow(m_parent); }

    void Open(CSettingsPage& page) {
        PageServices services;
        services.tell = [this](HWND, const std::string& text) { messages.push_back(text); };
        services.browseFolder = [this](HWND, const std::string& title) {
            browseTitles.push_back(title);
            return folderChosen;
        };
        services.pickFileName = [this](HWND) { return fileChosen; };
        services.editTypeList = [this](HWND, int mode, const std::string& list) {
            editorCalls.push_back({mode, list});
            return editedList;
        };
        page.SetServices(services);
        REQUIRE(page.CreateModeless(m_parent));
        ::EnableWindow(page.Handle(), TRUE);
    }

    std::vector<std::string> messages;
    std::vector<std::string> browseTitles;
    std::optional<std::string> folderChosen;
    std::optional<std::string> fileChosen;
    std::vector<std::pair<int, std::string>> editorCalls;
    std::optional<std::string> editedList;

private:
    HWND m_parent = nullptr;
};

// A click as the user makes it: check boxes tick, radio buttons select, and
// the page hears BN_CLICKED.
void Click(const CWindow& page, int id) { ::SendMessageA(page.Item(id), BM_CLICK, 0, 0); }

std::vector<std::string> Lines(const CWindow& page, int id) {
    CListBox list(page.Item(id));
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.GetText(i));
    return lines;
}

bool Enabled(const CWindow& page, int id) { return ::IsWindowEnabled(page.Item(id)) != FALSE; }

// What the sheet asks a page before it is left: TRUE keeps the user on it.
LONG_PTR AskToLeave(const CWindow& page) {
    NMHDR header{::GetParent(page.Handle()), 0, UINT(PSN_KILLACTIVE)};
    ::SendMessageA(page.Handle(), WM_NOTIFY, 0, LPARAM(&header));
    return ::GetWindowLongPtrA(page.Handle(), DWLP_MSGRESULT);
}

}  // namespace

TEST_CASE("General page: controls load from the bits and clicks store at once") {
    SettingsRecord record;
    record.General = kGeneralMonitor | kGeneralSpecificTime | kGeneralIgnoreNewTypes | 0x4000;
    record.Interval = 3;
    record.Sizelimit = 100;
    PageHost host;
    SettingsGeneralPP page(record);
    host.Open(page);

    CHECK(page.IsChecked(IDC_GEN_MONITOR));
    CHECK(page.IsChecked(IDC_GEN_SPECIFIC_TIME));
    CHECK_FALSE(page.IsChecked(IDC_GEN_TIMED));
    CHECK(page.ItemText(IDC_GEN_INTERVAL) == "3");
    CHECK(page.ItemText(IDC_GEN_SIZE) == "100");
    CHECK_FALSE(Enabled(page, IDC_GEN_TIME));  // no timed archive yet
    CHECK_FALSE(Enabled(page, IDC_GEN_SIZE));
    CHECK(host.messages.empty());

    SUBCASE("an empty time is refused with its message when Timed Archive is clicked") {
        Click(page, IDC_GEN_TIMED);
        CHECK(host.messages == std::vector<std::string>{"Time field incomplete, too short."});
        CHECK(record.Time.empty());
        CHECK(record.General == (kGeneralMonitor | kGeneralTimed | kGeneralSpecificTime | kGeneralIgnoreNewTypes |
                                 0x4000));
        CHECK(Enabled(page, IDC_GEN_TIME));
        CHECK_FALSE(Enabled(page, IDC_GEN_INTERVAL));
    }
    SUBCASE("a good time is stored; a bad number keeps the old one with a message") {
        page.SetItemText(IDC_GEN_TIME, "09:30:PM");
        page.SetItemText(IDC_GEN_SIZE, "12x");
        Click(page, IDC_GEN_SIZE_LIMIT);
        CHECK(record.Time == "09:30:PM");
        CHECK(record.Sizelimit == 100);
        REQUIRE(host.messages.size() == 1);
        CHECK(host.messages[0] ==
              "The file size limit (Kb) must be a whole number from 0 to 2147483647.\n\n"
              "The previous value (100) is kept.");
        CHECK(Enabled(page, IDC_GEN_SIZE));
    }
    SUBCASE("turning monitoring off disables what depends on it") {
        page.SetItemText(IDC_GEN_TIME, "09:30:PM");
        Click(page, IDC_GEN_MONITOR);
        CHECK((record.General & kGeneralMonitor) == 0);
        CHECK_FALSE(Enabled(page, IDC_GEN_TIMED));
        CHECK_FALSE(Enabled(page, IDC_GEN_ARCHIVE_AT_SHUTDOWN));
    }
    SUBCASE("let me choose also sets the new-type prompt, the hidden box is carried") {
        page.SetItemText(IDC_GEN_TIME, "09:30:PM");
        page.SetItemText(IDC_GEN_INTERVAL, "");
        Click(page, IDC_GEN_LEARN_MODE);
        CHECK(Enabled(page, IDC_GEN_LET_ME_CHOOSE));
        Click(page, IDC_GEN_LET_ME_CHOOSE);
        page.Store();
        CHECK((record.General & (kGeneralLearnMode | kGeneralLetMeChoose | kGeneralIgnoreNewTypes)) ==
              (kGeneralLearnMode | kGeneralLetMeChoose | kGeneralIgnoreNewTypes));
        CHECK(record.Prompts == kPromptNewTypes);
        CHECK(record.Interval == 0);
        Click(page, IDC_GEN_ADD_ALL);
        page.Store();
        CHECK((record.General & (kGeneralAddAll | kGeneralLetMeChoose)) == kGeneralAddAll);
        CHECK(record.Prompts == 0);
    }
}

TEST_CASE("Location page stores the default for an empty primary location") {
    SettingsRecord record;
    record.LocationDir = "D:\\Zips";
    PageHost host;
    SettingsLocationPP page(record);
    host.Open(page);
    CHECK(page.ItemText(IDC_LOC_PRIMARY) == "D:\\Zips");

    page.SetItemText(IDC_LOC_PRIMARY, "");
    page.Store();
    CHECK(record.LocationDir == "C:\\Auto Archives");

    SUBCASE("a cancelled browser changes nothing, a chosen folder replaces the text") {
        Click(page, IDC_LOC_BROWSE_ALTERNATE);
        CHECK(page.ItemText(IDC_LOC_ALTERNATE).empty());
        host.folderChosen = "E:\\Spare";
        Click(page, IDC_LOC_BROWSE_ALTERNATE);
        CHECK(page.ItemText(IDC_LOC_ALTERNATE) == "E:\\Spare");
        CHECK(page.ItemText(IDC_LOC_PRIMARY).empty());
        CHECK(host.browseTitles ==
              std::vector<std::string>(2, "Select Folder/Directory that is to be the default Automatic Archive folder."));
    }
}

TEST_CASE("Drives page: drives, folder lines and the enabling") {
    SettingsRecord record;
    record.Drives = kDrivesCustom | kDrivesExcludeUnZipFolder;
    record.CustomDriveList = "c";
    record.ExcludeDirList = "C:\\One;;C:\\Two";
    PageHost host;
    SettingsDrivesPP page(record);
    host.Open(page);

    CListBox drives(page.Item(IDC_DRV_LIST));
    const int c = drives.FindPrefix("C:\\");
    REQUIRE(c >= 0);
    CHECK(drives.GetText(c) == "C:\\ (Local Hard Disk)");
    CHECK(drives.IsSelected(c));
    CHECK(page.ItemText(IDC_DRV_EXCLUDE_LIST) == "C:\\One\r\nC:\\Two");
    CHECK(Enabled(page, IDC_DRV_LIST));
    CHECK_FALSE(Enabled(page, IDC_DRV_EXCLUDE_LIST));
    CHECK_FALSE(Enabled(page, IDC_DRV_BROWSE));

    SUBCASE("storing and loading again keeps the chosen drive, whatever the letter's case") {
        page.Store();
        CHECK(record.CustomDriveList == "C");
        page.Load();
        CHECK(drives.IsSelected(drives.FindPrefix("C:\\")));
    }
    SUBCASE("Exclude these Directories stores at once and enables the folder box") {
        page.SetItemText(IDC_DRV_EXCLUDE_LIST, "C:\\One\r\nC:\\Two\r\nD:\\Three");
        Click(page, IDC_DRV_EXCLUDE_DIRS);
        CHECK(record.Drives == (kDrivesCustom | kDrivesExcludeDirs | kDrivesExcludeUnZipFolder));
        CHECK(record.ExcludeDirList == "C:\\One;;C:\\Two;;D:\\Three");
        CHECK(Enabled(page, IDC_DRV_EXCLUDE_LIST));
        CHECK(Enabled(page, IDC_DRV_BROWSE));
    }
    SUBCASE("Browse adds a line; cancelling adds nothing") {
        Click(page, IDC_DRV_EXCLUDE_DIRS);
        Click(page, IDC_DRV_BROWSE);
        CHECK(page.ItemText(IDC_DRV_EXCLUDE_LIST) == "C:\\One\r\nC:\\Two");
        host.folderChosen = "C:\\windows\\temp";
        Click(page, IDC_DRV_BROWSE);
        CHECK(host.browseTitles.back() == "Select Folder/Directory that is to be excluded from automatic archives.");
        page.Store();
        CHECK(record.ExcludeDirList == "C:\\One;;C:\\Two;;C:\\windows\\temp");
    }
    SUBCASE("a folder list the settings file could not give back whole is refused") {
        std::string lines;
        while (lines.size() < 5000) lines += "C:\\Some rather long folder name\\" + std::to_string(lines.size()) + "\r\n";
        page.SetItemText(IDC_DRV_EXCLUDE_LIST, lines);
        page.Store();
        CHECK(record.ExcludeDirList == "C:\\One;;C:\\Two");
        REQUIRE(host.messages.size() == 1);
        CHECK(host.messages[0].find("The list of excluded folders is too long") == 0);
        // Exactly the most the file gives back is taken.
        page.SetItemText(IDC_DRV_EXCLUDE_LIST, std::string(4999, 'x'));
        page.Store();
        CHECK(record.ExcludeDirList.size() == 4999);
    }
    SUBCASE("leaving the page with such a list is refused, and the list stays on the page") {
        Click(page, IDC_DRV_EXCLUDE_DIRS);
        std::string lines;
        while (lines.size() < 5000) lines += "C:\\Some rather long folder name\\" + std::to_string(lines.size()) + "\r\n";
        page.SetItemText(IDC_DRV_EXCLUDE_LIST, lines);
        CHECK(AskToLeave(page) == TRUE);
        CHECK(page.ItemText(IDC_DRV_EXCLUDE_LIST) == lines);
        CHECK(record.ExcludeDirList == "C:\\One;;C:\\Two");
        REQUIRE(host.messages.size() == 1);
        CHECK(host.messages[0].find("The list of excluded folders is too long") == 0);

        page.SetItemText(IDC_DRV_EXCLUDE_LIST, "C:\\Three");
        CHECK(AskToLeave(page) == FALSE);
        CHECK(record.ExcludeDirList == "C:\\Three");
        CHECK(host.messages.size() == 1);
    }
}

TEST_CASE("File Types page: lists with descriptions, editing and excluded files") {
    SettingsRecord record;
    record.FileTypes = ".ZZQ;.ABQ;";
    record.ExcludeTypes = ".TMQ;.ABQ2;";
    record.ExcludeFiles = "b.txt;a.txt;";
    PageHost host;
    SettingsFilesPP page(record);
    host.Open(page);

    CHECK(Lines(page, IDC_FT_TYPES) ==
          std::vector<std::string>{"   .ABQ\t(Unknown file type)", "   .ZZQ\t(Unknown file type)"});
    CHECK(Lines(page, IDC_FT_FILES) == std::vector<std::string>{"a.txt", "b.txt"});

    SUBCASE("editing the monitored types takes them out of the excluded ones") {
        host.editedList = ".ZZQ;.TMQ;";
        Click(page, IDC_FT_EDIT_TYPES);
        REQUIRE(host.editorCalls.size() == 1);
        CHECK(host.editorCalls[0] == std::make_pair(0, std::string(".ZZQ;.ABQ;")));
        CHECK(record.FileTypes == ".ZZQ;.TMQ;");
        CHECK(record.ExcludeTypes == ".ABQ2;");
        CHECK(Lines(page, IDC_FT_EXCLUDED) == std::vector<std::string>{"   .ABQ2\t(Unknown file type)"});
    }
    SUBCASE("editing the excluded types in the other mode") {
        host.editedList = ".ABQ;";
        Click(page, IDC_FT_EDIT_EXCLUDED);
        CHECK(host.editorCalls[0] == std::make_pair(1, std::string(".TMQ;.ABQ2;")));
        CHECK(record.ExcludeTypes == ".ABQ;");
        CHECK(record.FileTypes == ".ZZQ;");
    }
    SUBCASE("a cancelled editor changes nothing") {
        Click(page, IDC_FT_EDIT_TYPES);
        CHECK(record.FileTypes == ".ZZQ;.ABQ;");
        CHECK(record.ExcludeTypes == ".TMQ;.ABQ2;");
    }
    SUBCASE("Add to List appends the name; Remove rebuilds in the list's order") {
        host.fileChosen = "notes.doc";
        Click(page, IDC_FT_ADD_FILE);
        CHECK(record.ExcludeFiles == "b.txt;a.txt;notes.doc;");
        Click(page, IDC_FT_REMOVE_FILE);  // nothing selected: only the order changes
        CHECK(record.ExcludeFiles == "a.txt;b.txt;notes.doc;");
        CListBox(page.Item(IDC_FT_FILES)).SetCurSel(1);
        Click(page, IDC_FT_REMOVE_FILE);
        CHECK(record.ExcludeFiles == "a.txt;notes.doc;");
        CHECK(Lines(page, IDC_FT_FILES) == std::vector<std::string>{"a.txt", "notes.doc"});
    }
}

TEST_CASE("Prompts page: the store step runs when the page is created") {
    SettingsRecord record;
    record.General = kGeneralLearnMode | kGeneralAddAll;
    record.Prompts = kPromptNewTypes | kPromptDiskSpace | kPromptDriveAccess;
    PageHost host;
    SettingsPromptsPP page(record);
    host.Open(page);

    // Merely opening the page turns add-all into let-me-choose.
    CHECK(record.General == (kGeneralLearnMode | kGeneralLetMeChoose));
    CHECK(page.IsChecked(IDC_PR_NEW_TYPES));
    CHECK(Enabled(page, IDC_PR_PENDING));

    SUBCASE("silent mode unticks and disables the first three, and stays so when stored again") {
        Click(page, IDC_PR_PENDING);
        Click(page, IDC_PR_SILENT);
        CHECK(record.Prompts == (kPromptSilent | kPromptDiskSpace));
        CHECK(record.General == (kGeneralLearnMode | kGeneralAddRecommended));
        for (int id : {IDC_PR_PENDING, IDC_PR_NEW_TYPES, IDC_PR_SIZE_LIMIT}) {
            CAPTURE(id);
            CHECK_FALSE(page.IsChecked(id));
            CHECK_FALSE(Enabled(page, id));
        }
        CHECK_FALSE(page.IsChecked(IDC_PR_DRIVE_ACCESS));
        CHECK(page.IsChecked(IDC_PR_DISK_SPACE));

        Click(page, IDC_PR_SILENT);
        CHECK(record.Prompts == kPromptDiskSpace);
        CHECK(Enabled(page, IDC_PR_PENDING));
        CHECK(Enabled(page, IDC_PR_NEW_TYPES));
    }
}

TEST_CASE("UnZip page: loading, storing and the two click rules") {
    SettingsRecord record;
    record.UnZipFlags = kUnZipUseDefault | kUnZipOverwrite;
    record.DefUnZipPath = "C:\\Unzipped";
    PageHost host;
    SettingsUnZipPP page(record);
    host.Open(page);
    CHECK(page.IsChecked(IDC_UZ_USE_DEFAULT));
    CHECK(page.IsChecked(IDC_UZ_OVERWRITE));
    CHECK(page.ItemText(IDC_UZ_DEFAULT_PATH) == "C:\\Unzipped");

    Click(page, IDC_UZ_NO_PROMPTING);
    CHECK(page.IsChecked(IDC_UZ_PROMPT));
    CHECK_FALSE(page.IsChecked(IDC_UZ_OVERWRITE));
    CHECK(record.UnZipFlags == (kUnZipUseDefault | kUnZipPrompt | kUnZipNoPrompting));

    Click(page, IDC_UZ_OVERWRITE);
    CHECK_FALSE(page.IsChecked(IDC_UZ_NO_PROMPTING));
    CHECK_FALSE(page.IsChecked(IDC_UZ_PROMPT));
    CHECK(record.UnZipFlags == (kUnZipUseDefault | kUnZipOverwrite));

    Click(page, IDC_UZ_MY_DOCUMENTS);
    Click(page, IDC_UZ_FOLDER_NAMES);
    host.folderChosen = "D:\\Out";
    Click(page, IDC_UZ_BROWSE);
    CHECK(record.DefUnZipPath == "C:\\Unzipped");  // stored when the page is left
    page.Store();
    CHECK(record.UnZipFlags == (kUnZipMyDocuments | kUnZipOverwrite | kUnZipUseFolderNames));
    CHECK(record.DefUnZipPath == "D:\\Out");
}

TEST_CASE("UnZip page: one radio button per group, one bit stored") {
    SettingsRecord record;
    record.UnZipFlags = kUnZipUseDefault;
    PageHost host;
    SettingsUnZipPP page(record);
    host.Open(page);
    auto selected = [&](std::initializer_list<int> group) {
        std::vector<int> ids;
        for (int id : group)
            if (page.IsChecked(id)) ids.push_back(id);
        return ids;
    };
    // Rename chosen, then "Always use defaults without prompting.": prompting
    // takes the place of renaming.
    Click(page, IDC_UZ_RENAME);
    CHECK(selected({IDC_UZ_OVERWRITE, IDC_UZ_PROMPT, IDC_UZ_RENAME}) == std::vector<int>{IDC_UZ_RENAME});
    Click(page, IDC_UZ_NO_PROMPTING);
    CHECK(selected({IDC_UZ_OVERWRITE, IDC_UZ_PROMPT, IDC_UZ_RENAME}) == std::vector<int>{IDC_UZ_PROMPT});
    CHECK(record.UnZipFlags == (kUnZipUseDefault | kUnZipPrompt | kUnZipNoPrompting));
    page.Store();
    CHECK(record.UnZipFlags == (kUnZipUseDefault | kUnZipPrompt | kUnZipNoPrompting));

    // Bits set together in the file (by hand, or by an earlier version): the
    // page shows one of each group and stores just that one.
    SettingsRecord both;
    both.UnZipFlags = kUnZipUseLast | kUnZipUseTemp | kUnZipPrompt | kUnZipRenameByNumber;
    SettingsUnZipPP again(both);
    host.Open(again);
    CHECK(again.IsChecked(IDC_UZ_USE_LAST));
    CHECK_FALSE(again.IsChecked(IDC_UZ_USE_TEMP));
    CHECK(again.IsChecked(IDC_UZ_PROMPT));
    CHECK_FALSE(again.IsChecked(IDC_UZ_RENAME));
    again.Store();
    CHECK(both.UnZipFlags == (kUnZipUseLast | kUnZipPrompt));
}

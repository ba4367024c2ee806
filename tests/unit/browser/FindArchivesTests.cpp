// The find-archives dialog as a real window: which drives it searches, when it
// empties the known-archive list, what it keeps in "ClearNew", and when it
// closes; the search itself is answered here.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/unit/TestIni.h"
#include "common/Profile.h"
#include "browser/FindArchivesDlg.h"
#include "doctest/doctest.h"
#include "framework/Drives.h"
#include "res/resource.h"

using namespace tb;

namespace {

struct RecordingFinder : IArchiveFinder {
    std::vector<std::string> calls;  // "clear", or "search <folder> <subfolders>"
    int result = 3;
    std::vector<time_t> times;
    void ClearKnownArchives() override { calls.push_back("clear"); }
    int SearchChangedFiles(const std::string& folder, time_t since, int withSubfolders) override {
        calls.push_back("search " + folder + " " + std::to_string(withSubfolders));
        times.push_back(since);
        return folder.empty() ? 1 : result;
    }
};

class FindHost {
public:
    FindHost() {
        m_owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
        REQUIRE(m_owner);
    }
    ~FindHost() {
        if (m_dialog) m_dialog->DestroyModeless();
        ::DestroyWindow(m_owner);
    }
    void Open(const std::string& customDrives) {
        SettingsRecord settings;
        settings.CustomDriveList = customDrives;
        UserPrompts prompts;
        prompts.message = [](HWND, const std::string&, UINT, const char*) { return IDOK; };
        prompts.browseFolder = [this](HWND, const std::string& title) {
            browseTitle = title;
            return folderChosen;
        };
        m_dialog = std::make_unique<CFindArchivesDlg>(settings, finder, prompts);
        REQUIRE(m_dialog->CreateModeless(m_owner));
    }
    CWindow Window() const { return CWindow(m_dialog->Handle()); }
    bool Open() const { return m_dialog->Handle() && ::IsWindow(m_dialog->Handle()); }
    void Press(int id) const { ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Click(int id) const { ::SendMessageA(Window().Item(id), BM_CLICK, 0, 0); }
    std::vector<std::string> SelectedLines() const {
        CListBox list(Window().Item(IDC_FA_DRIVES));
        std::vector<std::string> lines;
        for (int i : list.SelectedIndices()) lines.push_back(list.GetText(i));
        return lines;
    }

    RecordingFinder finder;
    std::optional<std::string> folderChosen;
    std::string browseTitle;

private:
    HWND m_owner = nullptr;
    std::unique_ptr<CFindArchivesDlg> m_dialog;
};

}  // namespace

TEST_CASE("the drive list shows each drive with its kind and preselects the chosen drives in any case") {
    TestIni ini;
    FindHost host;
    host.Open("C");
    CListBox list(host.Window().Item(IDC_FA_DRIVES));
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.GetText(i));
    CHECK(std::find(lines.begin(), lines.end(), "C:\\ (Local Hard Disk)") != lines.end());
    CHECK(host.SelectedLines() == std::vector<std::string>{"C:\\ (Local Hard Disk)"});
    CHECK(host.Window().IsChecked(IDC_FA_CLEAR_AND_ADD));  // ClearNew defaults to 1
    CHECK_FALSE(host.Window().IsChecked(IDC_FA_ADD_NEW));
}

TEST_CASE("drive kinds as the list names them") {
    CHECK(std::string(DriveKindSuffix(DRIVE_REMOVABLE)) == " (Removable)");
    CHECK(std::string(DriveKindSuffix(DRIVE_FIXED)) == " (Local Hard Disk)");
    CHECK(std::string(DriveKindSuffix(DRIVE_REMOTE)) == " (Remote/Network)");
    CHECK(std::string(DriveKindSuffix(DRIVE_CDROM)) == " (CD)");
    CHECK(std::string(DriveKindSuffix(DRIVE_RAMDISK)) == " (Ram Disk)");
    CHECK(std::string(DriveKindSuffix(DRIVE_NO_ROOT_DIR)).empty());
    SetDriveTypeSeam([](const std::string& root) -> UINT { return root == "A:\\" ? DRIVE_REMOVABLE : DRIVE_CDROM; });
    CHECK(DriveListItem("A:\\") == "A:\\ (Removable)");
    CHECK(DriveListItem("D:\\") == "D:\\ (CD)");
    SetDriveTypeSeam(nullptr);
}

TEST_CASE("Search Now with Clear List and Add: the list is emptied, each chosen drive searched, the dialog closes") {
    TestIni ini;
    FindHost host;
    host.Open("c");
    host.Press(IDOK);
    CHECK(host.finder.calls == std::vector<std::string>{"search  0", "clear", "search C: 1"});
    // Every file is newer than the search time: 1 January 1970 01:01:01 local time
    // (or the earliest time there is, where that local time lies before it).
    REQUIRE(host.finder.times.size() == 2);
    const time_t since = host.finder.times[1];
    if (since != 0) {
        const std::tm* local = std::localtime(&since);
        REQUIRE_MESSAGE(local, "time " << since);
        CHECK((local->tm_year == 70 && local->tm_mon == 0 && local->tm_mday == 1 && local->tm_hour == 1 &&
               local->tm_min == 1 && local->tm_sec == 1));
    }
    CHECK_FALSE(host.Open());
    CHECK(ReadIniString(kSettingsSection, "ClearNew") == "1");
}

TEST_CASE("Add New to List with no drive chosen: nothing is emptied or searched, the choice is kept") {
    TestIni ini("[Settings]\r\nClearNew=1\r\n");
    FindHost host;
    host.Open("");
    host.Click(IDC_FA_ADD_NEW);
    host.Press(IDOK);
    CHECK(host.finder.calls == std::vector<std::string>{"search  0"});
    CHECK_FALSE(host.Open());
    CHECK(ReadIniString(kSettingsSection, "ClearNew") == "0");
}

TEST_CASE("an aborted drive search keeps the dialog open and the choice unwritten") {
    TestIni ini;
    FindHost host;
    host.Open("c");
    host.finder.result = -1;
    host.Press(IDOK);
    CHECK(host.Open());
    CHECK(ReadIniString(kSettingsSection, "ClearNew").empty());
}

TEST_CASE("a browsed folder is searched with no drive chosen, and the dialog stays open for more") {
    TestIni ini("[Settings]\r\nClearNew=0\r\n");
    FindHost host;
    host.Open("");
    CHECK(host.Window().IsChecked(IDC_FA_ADD_NEW));
    host.Press(IDC_FA_BROWSE);  // cancelled: nothing happens
    CHECK(host.finder.calls.empty());
    CHECK(host.browseTitle == "Select Folder/Directory that is to be searched.");
    host.folderChosen = "C:\\Archives";
    host.Press(IDC_FA_BROWSE);
    CHECK(host.finder.calls == std::vector<std::string>{"search  0", "search C:\\Archives 1"});
    CHECK(host.Open());
    host.Click(IDC_FA_CLEAR_AND_ADD);
    host.Press(IDC_FA_BROWSE);
    CHECK(host.finder.calls.size() == 5);
    CHECK(host.finder.calls[2] == "clear");
    CHECK(ReadIniString(kSettingsSection, "ClearNew") == "1");
}

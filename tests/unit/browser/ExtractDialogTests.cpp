// The Extract File(s) dialog as a real window over real archives, with the
// message boxes, the folder browser and the password dialog answered here.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/unit/MessageBoxWatch.h"
#include "tests/unit/TestArchive.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestIni.h"
#include "common/Profile.h"
#include "browser/ExtractDlg.h"
#include "doctest/doctest.h"
#include "res/resource.h"

using namespace tb;

namespace {

std::string Read(const std::string& path) { return TestFolder::Read(path); }
std::vector<std::string> Listing(const std::string& folder) { return TestFolder::Listing(folder); }

// One dialog in a hidden owner, and what it asked of the user.
class ExtractHost {
public:
    ExtractHost() {
        m_owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
        REQUIRE(m_owner);
    }
    ~ExtractHost() {
        if (m_dialog) m_dialog->DestroyModeless();
        ::DestroyWindow(m_owner);
    }

    CExtractDlg& Open(SettingsRecord settings, const std::string& archive, std::vector<ExtractEntry> selection) {
        ExtractPrompts prompts;
        prompts.prompts.message = [this](HWND, const std::string& text, UINT, const char*) {
            messages.push_back(text);
            return IDOK;
        };
        prompts.prompts.browseFolder = [this](HWND, const std::string& title) {
            browseTitles.push_back(title);
            return folderChosen;
        };
        prompts.askPassword = [this](HWND, const std::string& prompt) {
            passwordPrompts.push_back(prompt);
            return password;
        };
        const int mode = selection.empty() ? kExtractAllFiles : kExtractSelectedFiles;
        m_dialog = std::make_unique<CExtractDlg>(settings, archive, std::move(selection), mode, prompts);
        REQUIRE(m_dialog->CreateModeless(m_owner));
        return *m_dialog;
    }

    CWindow Window() const { return CWindow(m_dialog->Handle()); }
    bool Open() const { return m_dialog->Handle() && ::IsWindow(m_dialog->Handle()); }
    void Click(int id) const { ::SendMessageA(Window().Item(id), BM_CLICK, 0, 0); }
    void SetDestination(const std::string& folder) const { Window().SetItemText(IDC_EX_DESTINATION, folder); }

    // "Extract File(s)", then the messages until the dialog has gone (it waits a moment first).
    // A box the library shows by itself fails the test (and is answered).
    bool ExtractAndWait() {
        MessageBoxWatch watch;
        ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        const DWORD start = ::GetTickCount();
        MSG msg;
        while (Open() && ::GetTickCount() - start < 10000) {
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            ::Sleep(10);
        }
        for (const std::string& text : watch.Texts()) FAIL_CHECK("the library asked: " << text);
        return !Open();
    }

    std::vector<std::string> messages;
    std::vector<std::string> browseTitles;
    std::vector<std::string> passwordPrompts;
    std::optional<std::string> folderChosen;
    std::string password;

private:
    HWND m_owner = nullptr;
    std::unique_ptr<CExtractDlg> m_dialog;
};

SettingsRecord UnZipSettings(int flags, const std::string& defaultFolder = "C:\\Default") {
    SettingsRecord settings;
    settings.UnZipFlags = flags;
    settings.DefUnZipPath = defaultFolder;
    return settings;
}

}  // namespace

TEST_CASE("the dialog opens with the boxes of UnZipFlags and the folder of the last destination bit") {
    TestIni ini("[Settings]\r\nLastUnZipPath=C:\\Last\\Folder\r\n");
    ExtractHost host;
    host.Open(UnZipSettings(kUnZipUseDefault | kUnZipUseLast | kUnZipRenameByNumber | kUnZipUseFolderNames),
              "C:\\some.zip", {});
    const CWindow dialog = host.Window();
    CHECK(dialog.ItemText(IDC_EX_DESTINATION) == "C:\\Last\\Folder");
    CHECK(dialog.IsChecked(IDC_EX_RENAME));
    CHECK(dialog.IsChecked(IDC_EX_FOLDER_NAMES));
    CHECK_FALSE(dialog.IsChecked(IDC_EX_OVERWRITE));
    // Nothing selected: only all files.
    CHECK(dialog.IsChecked(IDC_EX_ALL_FILES));
    CHECK_FALSE(::IsWindowEnabled(dialog.Item(IDC_EX_SELECTED_FILES)));

    host.Click(IDC_EX_DEFAULT_FOLDER);
    CHECK(dialog.ItemText(IDC_EX_DESTINATION) == "C:\\Default");
    host.Click(IDC_EX_TEMP_FOLDER);
    CHECK(dialog.ItemText(IDC_EX_DESTINATION) == TempFolder(500));
    host.Click(IDC_EX_LAST_FOLDER);
    CHECK(dialog.ItemText(IDC_EX_DESTINATION) == "C:\\Last\\Folder");

    // A browsed folder replaces the text and clears the four buttons; a
    // cancelled browser changes nothing.
    host.Click(IDC_EX_BROWSE);
    CHECK(dialog.ItemText(IDC_EX_DESTINATION) == "C:\\Last\\Folder");
    CHECK(dialog.IsChecked(IDC_EX_LAST_FOLDER));
    host.folderChosen = "D:\\Chosen";
    host.Click(IDC_EX_BROWSE);
    CHECK(host.browseTitles.back() == "Select Folder/Directory that is to be where files are Extracted/UnZiped to.");
    CHECK(dialog.ItemText(IDC_EX_DESTINATION) == "D:\\Chosen");
    for (int id : {IDC_EX_DEFAULT_FOLDER, IDC_EX_LAST_FOLDER, IDC_EX_TEMP_FOLDER, IDC_EX_MY_DOCUMENTS})
        CHECK_FALSE(dialog.IsChecked(id));

    // An empty destination is refused; the dialog stays and nothing is written.
    host.SetDestination("");
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    CHECK(host.messages == std::vector<std::string>{"You must enter a Folder destination before you can extract files."});
    CHECK(host.Open());
    CHECK(ReadIniString(kSettingsSection, "LastUnZipPath") == "C:\\Last\\Folder");
}

TEST_CASE("all files with their folder names; the default folder is not remembered as the last one") {
    TestFolder folder("extract-all");
    const std::string zip = MakeTestArchive(folder, "all.zip", {{"a\\one.txt", "1"}, {"a\\b\\two.txt", "22"}});
    TestIni ini("[Settings]\r\nLastUnZipPath=C:\\Previous\r\n");
    ExtractHost host;
    host.Open(UnZipSettings(kUnZipUseDefault | kUnZipUseFolderNames, folder.Path("default")), zip, {});
    REQUIRE(host.ExtractAndWait());
    CHECK(Read(folder.Path("default\\a\\one.txt")) == "1");
    CHECK(Read(folder.Path("default\\a\\b\\two.txt")) == "22");
    CHECK(ReadIniString(kSettingsSection, "LastUnZipPath") == "C:\\Previous");
}

TEST_CASE("a wrong password leaves no file and is told once, not once per batch or entry") {
    TestFolder folder("extract-password");
    std::vector<std::pair<std::string, std::string>> entries;
    std::vector<ExtractEntry> selection;
    for (int i = 0; i < 9; ++i) {
        entries.push_back({"s" + std::to_string(i) + ".txt", std::string(3000 + i, char('a' + i))});
        selection.push_back({entries.back().first, kExtractEntryProtected});
    }
    const std::string zip = MakeTestArchive(folder, "locked.zip", entries, "right");
    TestIni ini;

    SUBCASE("selected entries, in two batches") {
        ExtractHost host;
        host.password = "wrong";
        host.Open(UnZipSettings(kUnZipOverwrite), zip, selection);
        host.SetDestination(folder.Path("out"));
        REQUIRE(host.ExtractAndWait());
        CHECK(host.passwordPrompts ==
              std::vector<std::string>{"This archive contains password protected files. Enter a password to extract these files."});
        REQUIRE(host.messages.size() == 1);
        const std::string& told = host.messages[0];
        CHECK(told.rfind("The password is not correct. These files were not extracted:\n", 0) == 0);
        // The first batch (seven entries) failed; the walk stopped there.
        for (int i = 0; i < 9; ++i) CHECK((told.find("s" + std::to_string(i) + ".txt") != std::string::npos) == (i < 7));
        CHECK(Listing(folder.Path("out")).empty());
        CHECK(ReadIniString(kSettingsSection, "LastUnZipPath").empty());  // nothing was extracted
    }
    SUBCASE("all files") {
        ExtractHost host;
        host.password = "wrong";
        host.Open(UnZipSettings(0), zip, {});
        host.SetDestination(folder.Path("out"));
        REQUIRE(host.ExtractAndWait());
        CHECK(host.passwordPrompts.size() == 1);
        REQUIRE(host.messages.size() == 1);
        CHECK(host.messages[0].find("s8.txt") != std::string::npos);
        CHECK(Listing(folder.Path("out")).empty());
    }
}

TEST_CASE("Cancel while the library works stops the extraction; nothing of it is left and nothing remembered") {
    TestFolder folder("extract-cancel");
    std::string big(8 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char('a' + (i * 7 + i / 4093) % 26);
    const std::string zip = MakeTestArchive(folder, "big.zip", {{"big.bin", big}, {"small.txt", "small"}});
    TestIni ini;
    ExtractHost host;
    host.Open(UnZipSettings(0), zip, {});
    host.SetDestination(folder.Path("out"));
    // Waiting in the queue: the dialog sees it at the library's first progress report.
    ::PostMessageA(host.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    REQUIRE(host.ExtractAndWait());
    CHECK(Listing(folder.Path("out")).empty());
    CHECK(ReadIniString(kSettingsSection, "LastUnZipPath").empty());
    CHECK(host.messages.empty());
}

// The File History window as a real window over real archives, with the
// program around it made up here: what it lists, where Restore To puts a
// version, and the password asked once per archive.

#include <windows.h>

#include <memory>
#include <optional>

#include "doctest/doctest.h"
#include "framework/Path.h"
#include "history/FileHistoryDlg.h"
#include "res/resource.h"
#include "tests/unit/TestArchive.h"
#include "tests/unit/TestFolder.h"

namespace tb {

namespace {

class CTestHost : public IFileHistoryHost {
public:
    explicit CTestHost(const TestFolder& folder) {
        places.locationDir = folder.Folder("archives");
        store.file = folder.Path("VaultlyHistory.idx");
    }
    HistoryPlaces Places() override { return places; }
    std::string CustomDrives() override { return ""; }
    HistoryIndexStore& IndexStore() override { return store; }
    std::optional<std::string> AskPassword(HWND, const std::string& prompt) override {
        passwordPrompts.push_back(prompt);
        return password;
    }
    HICON FileIcon(const std::string&) override { return nullptr; }
    void OpenEntry(HWND, const std::string& archive, const std::string& entry, const std::string& used) override {
        opened.push_back(archive + "|" + entry + "|" + used);
    }
    UserPrompts Prompts() override {
        UserPrompts prompts;
        prompts.message = [this](HWND, const std::string& text, UINT, const char*) {
            messages.push_back(text);
            return IDCANCEL;
        };
        prompts.browseFolder = [this](HWND, const std::string&) { return folderChosen; };
        return prompts;
    }

    HistoryPlaces places;
    HistoryIndexStore store;
    std::optional<std::string> password;
    std::optional<std::string> folderChosen;
    std::vector<std::string> passwordPrompts, messages, opened;
};

// The dialog modeless in a hidden owner.
class CRunningDialog {
public:
    CRunningDialog(CTestHost& host, const std::string& pattern) {
        m_owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
        m_dialog = std::make_unique<CFileHistoryDlg>(host, pattern);
        REQUIRE(m_dialog->CreateModeless(m_owner));
    }
    ~CRunningDialog() {
        m_dialog->DestroyModeless();
        ::DestroyWindow(m_owner);
    }
    CWindow Window() const { return CWindow(m_dialog->Handle()); }
    void Command(int id) const { ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    // Lets messages through until the search has ended; its status line.
    std::string WaitForSearch() const {
        const DWORD start = ::GetTickCount();
        MSG msg;
        while (::GetTickCount() - start < 30000) {
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
            if (::IsWindowEnabled(Window().Item(IDC_FH_SEARCH))) return Window().ItemText(IDC_FH_STATUS);
            ::Sleep(10);
        }
        FAIL("the search did not end");
        return "";
    }
    std::vector<std::string> Lines() const {
        CListBox list(Window().Item(IDC_FH_LIST));
        std::vector<std::string> lines;
        for (int i = 0; i < list.Count(); ++i) lines.push_back(list.GetText(i));
        return lines;
    }
    void Choose(int line) const {
        CListBox(Window().Item(IDC_FH_LIST)).SetCurSel(line);
        ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDC_FH_LIST, LBN_SELCHANGE),
                       LPARAM(Window().Item(IDC_FH_LIST)));
    }

private:
    HWND m_owner = nullptr;
    std::unique_ptr<CFileHistoryDlg> m_dialog;
};

}  // namespace

TEST_CASE("the window lists the versions of what was typed and restores a chosen one into a chosen folder") {
    TestFolder folder("history-dialog");
    CTestHost host(folder);
    MakeTestArchive(folder, "archives\\March 01 2026.zip", {{"DOCS\\plan.txt", "plan, day one"}});
    MakeTestArchive(folder, "archives\\March 02 2026.zip", {{"DOCS\\plan.txt", "plan, day two"}});
    MakeTestArchive(folder, "archives\\March 03 2026.zip", {{"DOCS\\plan.txt", "plan, day two"}});
    const std::string into = folder.Folder("into");

    CRunningDialog dialog(host, "plan.txt");  // a given name is searched at once
    CHECK(dialog.WaitForSearch() == "1 file, 2 versions in 3 archives.");
    const std::vector<std::string> lines = dialog.Lines();
    REQUIRE(lines.size() == 3);
    CHECK(lines[0] == "\tDOCS\\plan.txt\t2 versions");
    CHECK(lines[1].rfind("\tMarch 02 2026 - March 03 2026\t", 0) == 0);
    CHECK(lines[2].rfind("\tMarch 01 2026\t", 0) == 0);
    // The newest version is chosen; a file's own line offers nothing to do.
    CHECK(::IsWindowEnabled(dialog.Window().Item(IDC_FH_RESTORE_TO)));
    dialog.Choose(0);
    CHECK_FALSE(::IsWindowEnabled(dialog.Window().Item(IDC_FH_RESTORE_TO)));

    dialog.Choose(2);
    dialog.Command(IDC_FH_RESTORE_TO);  // the folder browser cancelled: nothing
    CHECK(TestFolder::Listing(into).empty());
    host.folderChosen = into;
    dialog.Command(IDC_FH_RESTORE_TO);
    CHECK(TestFolder::Read(JoinPath(into, "plan.txt")) == "plan, day one");
    CHECK(dialog.Window().ItemText(IDC_FH_STATUS) ==
          "Restored the version of March 01 2026 as " + JoinPath(into, "plan.txt") + ".");
    // Again: the file is there now; the question is answered Cancel.
    dialog.Command(IDC_FH_RESTORE_TO);
    REQUIRE(host.messages.size() == 1);
    CHECK(host.messages[0].rfind(JoinPath(into, "plan.txt") + " already exists.", 0) == 0);
    CHECK(TestFolder::Listing(into) == std::vector<std::string>{"plan.txt"});
    CHECK(host.passwordPrompts.empty());

    // The index was written for the next search.
    CHECK(TestFolder::Listing(folder.Root()) ==
          std::vector<std::string>{"VaultlyHistory.idx", "archives", "into"});
}

TEST_CASE("a protected archive's password is asked once, asked again after a wrong one, and used to open") {
    TestFolder folder("history-password");
    CTestHost host(folder);
    const std::string first =
        MakeTestArchive(folder, "archives\\May 01 2026.zip", {{"a.txt", "alpha"}, {"b.txt", "beta"}}, "pw");
    MakeTestArchive(folder, "archives\\May 02 2026.zip", {{"c.txt", "gamma"}}, "other");
    const std::string into = folder.Folder("into");
    host.folderChosen = into;

    CRunningDialog dialog(host, "");
    dialog.Window().SetItemText(IDC_FH_PATTERN, "*.txt");
    dialog.Command(IDC_FH_SEARCH);
    CHECK(dialog.WaitForSearch() == "3 files, 3 versions in 2 archives.");
    const std::vector<std::string> lines = dialog.Lines();
    REQUIRE(lines.size() == 6);
    CHECK(lines[1].find("\t+\t") != std::string::npos);  // protected

    // Cancelled: nothing asked of the library, nothing written.
    dialog.Choose(1);  // a.txt
    dialog.Command(IDC_FH_RESTORE_TO);
    CHECK(host.passwordPrompts.size() == 1);
    CHECK(host.passwordPrompts[0] == CFileHistoryDlg::kPasswordPrompt);
    CHECK(TestFolder::Listing(into).empty());

    host.password = "pw";
    dialog.Command(IDC_FH_RESTORE_TO);
    dialog.Choose(3);  // b.txt, the same archive: not asked again
    dialog.Command(IDC_FH_RESTORE_TO);
    dialog.Command(IDC_FH_OPEN);
    CHECK(host.passwordPrompts.size() == 2);
    CHECK(TestFolder::Read(JoinPath(into, "a.txt")) == "alpha");
    CHECK(TestFolder::Read(JoinPath(into, "b.txt")) == "beta");
    CHECK(host.opened == std::vector<std::string>{first + "|b.txt|pw"});

    // Another archive asks; the wrong password is told and forgotten.
    dialog.Choose(5);  // c.txt
    dialog.Command(IDC_FH_RESTORE_TO);
    CHECK(host.passwordPrompts.size() == 3);
    CHECK(host.messages == std::vector<std::string>{"The password is not correct. The file was not restored."});
    CHECK_FALSE(FileExists(JoinPath(into, "c.txt")));
    host.password = "other";
    dialog.Command(IDC_FH_RESTORE_TO);
    CHECK(host.passwordPrompts.size() == 4);
    CHECK(TestFolder::Read(JoinPath(into, "c.txt")) == "gamma");
    CHECK(TestFolder::Listing(into) == std::vector<std::string>{"a.txt", "b.txt", "c.txt"});
}

}  // namespace tb

// Backing up archives: the list lines, the copy that never destroys the old
// backup, and the dialog's questions and summaries with the answers given here.
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/unit/TestArchive.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestIni.h"
#include "common/Profile.h"
#include "doctest/doctest.h"
#include "editor/BackupArchivesDlg.h"
#include "editor/BackupCopy.h"
#include "framework/Drives.h"
#include "res/resource.h"

using namespace tb;

namespace {

std::string Read(const std::string& path) { return TestFolder::Read(path); }
std::vector<std::string> Listing(const std::string& folder) { return TestFolder::Listing(folder); }

// Three archives in a folder of their own, and a backup folder.
struct BackupScene {
    TestFolder folder{"backup"};
    std::string a = MakeTestArchive(folder, "Alpha.zip", {{"a.txt", "alpha"}});
    std::string b = MakeTestArchive(folder, "Beta.zip", {{"b.txt", "beta beta"}});
    std::string c = MakeTestArchive(folder, "Gamma.zip", {{"c.txt", "gamma gamma gamma"}});
    std::string backup = folder.Folder("backup");
};

class BackupHost {
public:
    BackupHost() {
        m_owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
        REQUIRE(m_owner);
        SetDriveTypeSeam([](const std::string&) -> UINT { return DRIVE_REMOVABLE; });
    }
    ~BackupHost() {
        if (m_dialog) m_dialog->DestroyModeless();
        ::DestroyWindow(m_owner);
        SetDriveTypeSeam(nullptr);
    }
    void Open(std::vector<std::string> archives) {
        UserPrompts prompts;
        prompts.message = [this](HWND, const std::string& text, UINT flags, const char* caption) {
            messages.push_back((caption ? std::string(caption) + ": " : std::string()) + text);
            if ((flags & MB_TYPEMASK) != MB_YESNO) return IDOK;
            const int answer = answers.empty() ? IDNO : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return answer;
        };
        prompts.browseFolder = [this](HWND, const std::string&) { return folderChosen; };
        m_dialog = std::make_unique<CBackupArchivesDlg>(std::move(archives), prompts);
        REQUIRE(m_dialog->CreateModeless(m_owner));
    }
    CWindow Window() const { return CWindow(m_dialog->Handle()); }
    void Select(std::vector<int> lines) const {
        for (int line : lines) CListBox(Window().Item(IDC_BK_LIST)).Select(line, true);
    }
    void Backup(const std::string& location) const {
        Window().SetItemText(IDC_BK_LOCATION, location);
        ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    bool Open() const { return ::IsWindow(m_dialog->Handle()) != FALSE; }

    std::vector<std::string> messages;
    std::vector<int> answers;
    std::optional<std::string> folderChosen;

private:
    HWND m_owner = nullptr;
    std::unique_ptr<CBackupArchivesDlg> m_dialog;
};

const char kDone[] = "Creating backup copies of the following Archives was done successfully.\n";

}  // namespace

TEST_CASE("list lines: long names shortened to both ends, the folder after a tab") {
    CHECK(ShortArchiveName("Backup of my documents.zip") == "Backup of ... ments.zip");  // 26 characters
    CHECK(ShortArchiveName("abcdefghijklmnopqrstuvwx") == "abcdefghijklmnopqrstuvwx");  // 24: as it is
    CHECK(ShortArchiveName("abcdefghijklmnopqrstuvwxy") == "abcdefghi ... qrstuvwxy");
    // Characters, not bytes: a name of 30 accented letters keeps 9 whole ones at each end.
    std::string accented;
    for (int i = 0; i < 30; ++i) accented += "\xC3\xA9";
    CHECK(ShortArchiveName(accented) == accented.substr(0, 18) + " ... " + accented.substr(0, 18));
    CHECK(BackupListLine("C:\\Data\\Archives\\March 01 2001.zip") == "March 01 2001.zip\tC:\\Data\\Archives");
}

TEST_CASE("a checked copy: new, kept, replaced, and a failed one that leaves the old backup as it was") {
    BackupScene scene;
    const std::string target = scene.backup + "\\Alpha.zip";
    CHECK(CopyArchiveChecked(scene.a, target, true) == BackupCopy::Copied);
    CHECK(Read(target) == Read(scene.a));
    CHECK(CopyArchiveChecked(scene.b, target, true) == BackupCopy::TargetExists);
    CHECK(Read(target) == Read(scene.a));
    CHECK(CopyArchiveChecked(scene.b, target, false) == BackupCopy::Copied);
    CHECK(Read(target) == Read(scene.b));
    CHECK(CopyArchiveChecked(scene.folder.Path("missing.zip"), target, false) == BackupCopy::Failed);
    CHECK(Read(target) == Read(scene.b));
    CHECK(Listing(scene.backup) == std::vector<std::string>{"Alpha.zip"});  // no temporary file left
}

TEST_CASE("a copy counts only when its size and central directory match the original's") {
    BackupScene scene;
    const std::string original = Read(scene.a);
    // The same number of bytes, but not the archive: its directory cannot be read.
    const std::string garbled = scene.folder.File("garbled.zip", std::string(original.size(), 'x'));
    CHECK_FALSE(CopyLooksWhole(scene.a, garbled));
    const std::string shorter = scene.folder.File("short.zip", original.substr(0, original.size() - 1));
    CHECK_FALSE(CopyLooksWhole(scene.a, shorter));
    const std::string same = scene.folder.File("same.zip", original);
    CHECK(CopyLooksWhole(scene.a, same));
    // A file that is no archive at all is backed up as it is.
    const std::string notes = scene.folder.File("notes.zip", "just text");
    CHECK(CopyLooksWhole(notes, scene.folder.File("notes-copy.zip", "just text")));
}

TEST_CASE("Backup with nothing selected: one message, nothing copied, the location kept") {
    BackupScene scene;
    TestIni ini;
    BackupHost host;
    host.Open({scene.a, scene.b});
    host.Backup(scene.backup);
    CHECK(host.messages == std::vector<std::string>{"Please select an archive first."});
    CHECK(Listing(scene.backup).empty());
    CHECK(ReadIniString(kSettingsSection, "BackupLocation") == scene.backup);
    CHECK(host.Open());
}

TEST_CASE("Backup with no location and the folder browser cancelled copies nothing and says so") {
    BackupScene scene;
    TestIni ini;
    BackupHost host;
    host.Open({scene.a});
    host.Select({0});
    host.Backup("");
    CHECK(host.messages ==
          std::vector<std::string>{"No folder was chosen to back up to. No backup copies of Archives were created."});
    host.folderChosen = scene.backup;
    host.Backup("");
    CHECK(Listing(scene.backup) == std::vector<std::string>{"Alpha.zip"});
    CHECK(host.Window().ItemText(IDC_BK_LOCATION) == scene.backup);
}

TEST_CASE("a backup onto a fixed disk is warned about before copying") {
    BackupScene scene;
    TestIni ini;
    BackupHost host;
    SetDriveTypeSeam([](const std::string& root) -> UINT { return root.size() == 3 ? DRIVE_FIXED : DRIVE_UNKNOWN; });
    host.Open({scene.a});
    host.Select({0});
    host.Backup(scene.backup);
    REQUIRE(host.messages.size() == 2);
    CHECK(host.messages[0].rfind("Warning: The location you have selected to \"Backup To\" is a local, non-removable "
                                 "disk drive. \nBacking up archives",
                                 0) == 0);
    CHECK(host.messages[1] == kDone + std::string("\nAlpha.zip"));
}

TEST_CASE("an existing backup: asked about unless the box says to overwrite; No leaves it") {
    BackupScene scene;
    TestIni ini;
    const std::string old = scene.folder.File("backup\\Alpha.zip", "old backup");
    BackupHost host;
    host.Open({scene.a, scene.b});
    host.Select({0, 1});
    host.answers = {IDNO};
    host.Backup(scene.backup);
    REQUIRE(host.messages.size() == 2);
    CHECK(host.messages[0] == "Warning: File Exists on Backup location:  " + scene.backup + "\\Alpha.zip \n\nOverwrite?");
    CHECK(host.messages[1] == kDone + std::string("\nBeta.zip\n\nThe following were NOT copied.\n\nAlpha.zip"));
    CHECK(Read(old) == "old backup");

    host.messages.clear();
    host.answers = {IDYES, IDYES};
    host.Backup(scene.backup);
    CHECK(host.messages.size() == 3);
    CHECK(host.messages[2] == kDone + std::string("\nAlpha.zip\nBeta.zip"));
    CHECK(Read(old) == Read(scene.a));

    host.messages.clear();
    ::SendMessageA(host.Window().Item(IDC_BK_OVERWRITE), BM_CLICK, 0, 0);
    host.Backup(scene.backup);
    CHECK(host.messages == std::vector<std::string>{kDone + std::string("\nAlpha.zip\nBeta.zip")});
}

TEST_CASE("a copy that fails: the user is asked to go on; No ends the run without a summary") {
    BackupScene scene;
    TestIni ini;
    const std::string missing = scene.folder.Path("Missing.zip");
    BackupHost host;
    host.Open({scene.a, missing, scene.c});
    host.Select({0, 1, 2});
    host.answers = {IDYES};
    host.Backup(scene.backup);
    REQUIRE(host.messages.size() == 2);
    CHECK(host.messages[0] == "Warning: Unable to copy archive: Missing.zip Continue?");
    CHECK(host.messages[1] ==
          kDone + std::string("\nAlpha.zip\nGamma.zip\n\nThe following were NOT copied.\n\nMissing.zip"));

    TestFolder other("backup-other");
    host.messages.clear();
    host.answers = {IDNO};
    host.Backup(other.Root());
    CHECK(host.messages == std::vector<std::string>{"Warning: Unable to copy archive: Missing.zip Continue?"});
    CHECK(Listing(other.Root()) == std::vector<std::string>{"Alpha.zip"});

    // "Done" keeps the location typed.
    ::SendMessageA(host.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    CHECK_FALSE(host.Open());
    CHECK(ReadIniString(kSettingsSection, "BackupLocation") == other.Root());
}

// Searching a folder tree for entries newer than a given time.

#include <set>
#include <string>
#include <vector>

#include "autoarchive/ChangeListBuilder.h"
#include "doctest/doctest.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "res/resource.h"
#include "tests/unit/autoarchive/ChangeListFixture.h"
#include "tests/unit/ListReader.h"
#include "tests/unit/TestLink.h"

using namespace tb;

namespace {

std::set<std::string> Results(const CChangeListBuilder& builder) {
    return std::set<std::string>(builder.SearchResults().begin(), builder.SearchResults().end());
}

}  // namespace

TEST_CASE("a search finds newer entries in the folder, or in its whole tree") {
    TestDrive drive;
    TestIni ini(ChangeListIni({}));
    BuildSettings settings;
    StampedTree tree;
    tree.Folder("S\\SUB\\DEEP", false);
    tree.Folder("S\\NEWSUB", true);
    tree.NewFile("S\\a.txt");
    tree.OldFile("S\\old.txt");
    tree.NewFile("S\\SUB\\b.txt");
    tree.NewFile("S\\SUB\\DEEP\\c.zip");
    tree.Stamp();
    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);

    CHECK(builder.SearchChangedFiles("", tree.Last(), 0) == 1);  // a fresh count
    CHECK(builder.FoundFileCount() == 0);

    SUBCASE("the folder only") {
        CHECK(builder.SearchChangedFiles("X:\\S", tree.Last(), 0) == 2);
        CHECK(Results(builder) == std::set<std::string>{"X:\\S\\a.txt", "X:\\S\\NEWSUB"});
        CHECK(archives.offered.empty());
    }
    SUBCASE("the whole tree, one trailing backslash ignored") {
        CHECK(builder.SearchChangedFiles("X:\\S\\", tree.Last(), 1) == 4);
        CHECK(Results(builder) == std::set<std::string>{"X:\\S\\a.txt", "X:\\S\\NEWSUB", "X:\\S\\SUB\\b.txt",
                                                 "X:\\S\\SUB\\DEEP\\c.zip"});
        CHECK(archives.offered == std::vector<std::string>{"X:\\S\\SUB\\DEEP\\c.zip"});
        CHECK(archives.refreshes == 1);
    }
    SUBCASE("the count goes on until a search of \"\" resets it") {
        CHECK(builder.SearchChangedFiles("X:\\S", tree.Last(), 0) == 2);
        CHECK(builder.SearchChangedFiles("X:\\S", tree.Last(), 0) == 4);
        CHECK(builder.SearchResults().size() == 4);
        CHECK(builder.SearchChangedFiles("", tree.Last(), 0) == 1);
        CHECK(builder.SearchChangedFiles("X:\\S", tree.Last(), 0) == 2);
        CHECK(builder.SearchResults().size() == 2);
    }
    SUBCASE("a folder that cannot be read") {
        CHECK(builder.SearchChangedFiles("X:\\NOWHERE", tree.Last(), 1) == 0);
    }
}

TEST_CASE("the Java packages folder of the Windows directory is never searched") {
    TestIni ini;
    BuildSettings settings;
    const std::string windows = WindowsFolder(200);
    const std::string java = windows + "\\Java";
    const bool hadJava = ::GetFileAttributesA(java.c_str()) != INVALID_FILE_ATTRIBUTES;
    const std::string lib = java + "\\Packages\\lib";
    ::CreateDirectoryA(java.c_str(), nullptr);
    ::CreateDirectoryA((java + "\\Packages").c_str(), nullptr);
    ::CreateDirectoryA(lib.c_str(), nullptr);
    const std::string file = lib + "\\new.txt";
    HANDLE handle = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    REQUIRE(handle != INVALID_HANDLE_VALUE);
    ::CloseHandle(handle);

    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    builder.SearchChangedFiles("", 0, 0);
    CHECK(builder.SearchChangedFiles(lib, 0, 1) == 1);
    CHECK(builder.SearchChangedFiles(lib, 0, 0) == 1);
    CHECK(builder.SearchChangedFiles(ToUpper(java + "\\Packages"), 0, 1) == 1);
    CHECK(builder.SearchResults().empty());
    // From above, the folder itself is met as an entry but not entered.
    if (!hadJava) {
        CHECK(builder.SearchChangedFiles(java, 0, 1) == 1);
        CHECK(Results(builder) == std::set<std::string>{java + "\\Packages"});
    }

    ::DeleteFileA(file.c_str());
    ::RemoveDirectoryA(lib.c_str());
    ::RemoveDirectoryA((java + "\\Packages").c_str());
    if (!hadJava) ::RemoveDirectoryA(java.c_str());
}

TEST_CASE("an aborted search returns -1 and keeps what it found") {
    TestDrive drive;
    TestIni ini(ChangeListIni({}));
    BuildSettings settings;
    StampedTree tree;
    tree.Folder("AB", false);
    for (int i = 0; i < 20; ++i) tree.NewFile("AB\\archive" + std::to_string(i) + ".zip");
    tree.Stamp();
    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    archives.onAdd = [&](const std::string&) {
        HWND dialog = builder.ProgressWindow();
        REQUIRE(dialog != nullptr);
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROG_ABORT, BN_CLICKED),
                       LPARAM(::GetDlgItem(dialog, IDC_PROG_ABORT)));
    };
    builder.SearchChangedFiles("", tree.Last(), 1);
    CHECK(builder.SearchChangedFiles("X:\\AB", tree.Last(), 1) == -1);
    CHECK(builder.FoundFileCount() == int(builder.SearchResults().size()));
    CHECK(builder.SearchResults().size() >= 1);
    CHECK(builder.SearchResults().size() < 20);
    CHECK(builder.ProgressWindow() == nullptr);
    MESSAGE("the search stopped after " << builder.SearchResults().size() << " of 20 entries");
}

TEST_CASE("a search lists a directory link but never enters it") {
    TestDrive drive;
    TestIni ini(ChangeListIni({}));
    BuildSettings settings;
    StampedTree tree;
    tree.Folder("L\\DOCS", false);
    tree.NewFile("L\\DOCS\\a.txt");
    tree.Folder("ELSEWHERE", false);
    tree.NewFile("ELSEWHERE\\far.txt");
    tree.Stamp();
    // A link back into its own tree, and one to a tree of its own (as a
    // link to a whole drive would be).
    TestDirectoryLink loop(TestDrive::Path("L\\DOCS\\loop"), TestDrive::Path("L"));
    TestDirectoryLink away(TestDrive::Path("L\\away"), TestDrive::Path("ELSEWHERE"));
    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    builder.SearchChangedFiles("", 0, 0);
    // Everything is newer than 0: the links themselves are listed, once each.
    CHECK(builder.SearchChangedFiles("X:\\L", 0, 1) == 4);
    CHECK(Results(builder) ==
          std::set<std::string>{"X:\\L\\DOCS", "X:\\L\\DOCS\\a.txt", "X:\\L\\DOCS\\loop", "X:\\L\\away"});
}

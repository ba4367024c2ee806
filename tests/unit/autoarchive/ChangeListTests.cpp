// Building the pending list from the change record list, on drive X:.

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "autoarchive/ChangeListBuilder.h"
#include "doctest/doctest.h"
#include "res/resource.h"
#include "tests/unit/autoarchive/ChangeListFixture.h"
#include "tests/unit/ListReader.h"
#include "tests/unit/TestLink.h"
#include "tests/unit/TestTime.h"

using namespace tb;

namespace {

std::set<std::string> Pending(const CChangeListBuilder& builder) {
    return std::set<std::string>(builder.PendingList().begin(), builder.PendingList().end());
}

size_t IndexOf(const CChangeListBuilder& builder, const std::string& path) {
    const std::vector<std::string>& pending = builder.PendingList();
    return size_t(std::find(pending.begin(), pending.end(), path) - pending.begin());
}

}  // namespace

TEST_CASE("only entries later than the last archive time are listed, to the 100 ns") {
    TestDrive drive;
    TestIni ini(ChangeListIni({"X:\\EQ"}));
    BuildSettings settings;
    StampedTree tree;
    tree.Folder("EQ", true);
    tree.File("EQ\\same.txt", tree.Last());
    tree.File("EQ\\later.txt", tree.Last() + 1);
    tree.File("EQ\\earlier.txt", tree.Last() - 1);
    tree.Stamp();

    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    CHECK(builder.BuildChangeList() == 1);
    CHECK(builder.PendingList() == std::vector<std::string>{"X:\\EQ\\later.txt"});
    CHECK(builder.DirectoryChanged() == 0);
}

TEST_CASE("a changed root lists its own newer entries, and the whole tree of a folder made since") {
    TestDrive drive;
    TestIni ini(ChangeListIni({TestDrive::Root()}));
    BuildSettings settings;
    StampedTree tree;
    tree.NewFile("new.txt");
    tree.OldFile("old.txt");
    tree.Folder("NEWDIR\\LEVEL2\\LEVEL3", true);
    tree.Folder("NEWDIR", true);
    tree.NewFile("NEWDIR\\inner.txt");
    tree.NewFile("NEWDIR\\LEVEL2\\deep.txt");
    tree.NewFile("NEWDIR\\LEVEL2\\LEVEL3\\deeper.txt");
    tree.Folder("OLDDIR", false);
    tree.Stamp();

    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    // NEWDIR was made since the last archive: nothing below it was watched,
    // so its whole tree is listed; OLDDIR is not entered.
    CHECK(builder.BuildChangeList() == 6);
    CHECK(Pending(builder) == std::set<std::string>{"X:\\new.txt", "X:\\NEWDIR", "X:\\NEWDIR\\inner.txt",
                                                    "X:\\NEWDIR\\LEVEL2\\deep.txt", "X:\\NEWDIR\\LEVEL2\\LEVEL3",
                                                    "X:\\NEWDIR\\LEVEL2\\LEVEL3\\deeper.txt"});
    CHECK(builder.DirectoryChanged() == 1);
    builder.ClearDirectoryChanged();
    CHECK(builder.DirectoryChanged() == 0);
}

TEST_CASE("a recorded first-level directory lists its own entries, a second-level one its whole tree") {
    TestDrive drive;
    BuildSettings settings;
    TestIni ini(ChangeListIni({"X:\\A", "X:\\A\\B"}));
    StampedTree tree;
    tree.Folder("A\\B\\C\\D\\E", false);
    tree.NewFile("A\\top.txt");
    tree.NewFile("A\\B\\f1.txt");
    tree.OldFile("A\\B\\old.txt");
    tree.NewFile("A\\B\\C\\f2.txt");
    tree.OldFile("A\\B\\C\\old2.txt");
    tree.NewFile("A\\B\\C\\D\\f3.txt");
    tree.NewFile("A\\B\\C\\D\\E\\f4.txt");
    tree.Folder("A\\B\\C", true);  // stamped newer after all
    tree.Stamp();

    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    CHECK(builder.BuildChangeList() == 6);
    CHECK(Pending(builder) == std::set<std::string>{"X:\\A\\top.txt", "X:\\A\\B\\f1.txt", "X:\\A\\B\\C", "X:\\A\\B\\C\\f2.txt",
                                             "X:\\A\\B\\C\\D\\f3.txt", "X:\\A\\B\\C\\D\\E\\f4.txt"});
    // A directory's contents come before the directory itself.
    CHECK(IndexOf(builder, "X:\\A\\B\\C\\f2.txt") < IndexOf(builder, "X:\\A\\B\\C"));
    CHECK(builder.DirectoryChanged() == 1);
}

TEST_CASE("a directory link back into a recorded tree is listed, never entered") {
    TestDrive drive;
    BuildSettings settings;
    TestIni ini(ChangeListIni({"X:\\DOCS\\REPORT"}));
    StampedTree tree;
    tree.Folder("DOCS\\REPORT\\2026", false);
    tree.NewFile("DOCS\\REPORT\\2026\\A.DOC");
    tree.Folder("OTHER\\TREE", false);
    tree.NewFile("OTHER\\TREE\\far.doc");
    tree.Stamp();
    TestDirectoryLink loop(TestDrive::Path("DOCS\\REPORT\\2026\\back"), TestDrive::Path("DOCS"));
    // A link to a tree outside (as a link to a whole drive would be).
    TestDirectoryLink away(TestDrive::Path("DOCS\\REPORT\\away"), TestDrive::Path("OTHER"));

    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    builder.BuildChangeList();
    const std::vector<std::string>& pending = builder.PendingList();
    CHECK(std::count(pending.begin(), pending.end(), "X:\\DOCS\\REPORT\\2026\\A.DOC") == 1);
    for (const std::string& path : pending) {
        CHECK_MESSAGE(path.find("\\back\\") == std::string::npos, path);
        CHECK_MESSAGE(path.find("\\away\\") == std::string::npos, path);
    }
    CHECK(builder.CoveredDirectories() == std::vector<std::string>{"X:\\DOCS\\REPORT"});
}

TEST_CASE("a directory met twice in a row is scanned once") {
    TestDrive drive;
    BuildSettings settings;
    StampedTree tree;
    tree.Folder("T", false);
    tree.Folder("U", false);
    tree.NewFile("T\\t.txt");
    tree.NewFile("U\\u.txt");
    tree.Stamp();
    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    SUBCASE("in a row") {
        TestIni ini(ChangeListIni({"X:\\T", "X:\\T"}));
        CHECK(builder.BuildChangeList() == 1);
    }
    SUBCASE("with another between: scanned again, but no path is listed twice") {
        TestIni ini(ChangeListIni({"X:\\T", "X:\\U", "X:\\T"}));
        CHECK(builder.BuildChangeList() == 2);
        CHECK(builder.PendingList() == std::vector<std::string>{"X:\\T\\t.txt", "X:\\U\\u.txt"});
    }
}

TEST_CASE("a changed data.ZIP is listed and offered to the known-archive list") {
    TestDrive drive;
    BuildSettings settings(0);  // with the progress window
    TestIni ini(ChangeListIni({"X:\\NOT THERE", "X:\\Z"}));
    StampedTree tree;
    tree.Folder("Z", false);
    tree.NewFile("Z\\data.ZIP");
    tree.NewFile("Z\\notes.zip.txt");
    tree.NewFile("Z\\archive.zipx");
    tree.OldFile("Z\\old.zip");
    tree.Stamp();

    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    CHECK(builder.BuildChangeList() == 3);
    CHECK(Pending(builder) == std::set<std::string>{"X:\\Z\\data.ZIP", "X:\\Z\\notes.zip.txt", "X:\\Z\\archive.zipx"});
    CHECK(archives.offered == std::vector<std::string>{"X:\\Z\\data.ZIP"});
    CHECK(archives.refreshes == 1);
    CHECK(builder.ProgressWindow() == nullptr);  // closed at the end
    // Both records were dealt with in full (one no longer exists), since the last archive time.
    CHECK(builder.CoveredDirectories() == std::vector<std::string>{"X:\\NOT THERE", "X:\\Z"});
    CHECK(TimeFromTicks(builder.ListedSince()) == LocalTime(2025, 6, 1, 12, 0, 0));
}

TEST_CASE("abort ends the build and keeps what was found") {
    TestDrive drive;
    BuildSettings settings(0);
    std::vector<std::string> changes;
    StampedTree tree;
    tree.Folder("P0", false);
    tree.NewFile("P0\\first.zip");
    tree.NewFile("P0\\second.txt");
    changes.push_back("X:\\P0");
    for (int i = 1; i <= 9; ++i) {
        const std::string folder = "P" + std::to_string(i);
        tree.Folder(folder, false);
        tree.NewFile(folder + "\\more.txt");
        changes.push_back("X:\\" + folder);
    }
    tree.Stamp();
    TestIni ini(ChangeListIni(changes));

    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    // The user presses "Abort Operation" while the first directory is scanned.
    archives.onAdd = [&](const std::string&) {
        HWND dialog = builder.ProgressWindow();
        REQUIRE(dialog != nullptr);
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROG_ABORT, BN_CLICKED),
                       LPARAM(::GetDlgItem(dialog, IDC_PROG_ABORT)));
    };
    const int found = builder.BuildChangeList();
    CHECK(found == int(builder.PendingList().size()));
    CHECK(found >= 2);
    CHECK(found < 11);
    CHECK(Pending(builder).count("X:\\P0\\first.zip") == 1);
    CHECK(Pending(builder).count("X:\\P0\\second.txt") == 1);
    CHECK(archives.refreshes == 1);  // the archive it met is still shown
    MESSAGE("the build stopped after " << found << " of 11 entries");
    // The directories it finished, in the order recorded; the others were never reached.
    const std::vector<std::string>& covered = builder.CoveredDirectories();
    REQUIRE(!covered.empty());
    CHECK(covered.size() < changes.size());
    CHECK(std::equal(covered.begin(), covered.end(), changes.begin()));
    for (const std::string& path : builder.PendingList()) {
        const std::string folder = path.substr(0, path.find_last_of('\\'));
        CHECK_MESSAGE(std::find(covered.begin(), covered.end(), folder) != covered.end(), path);
    }
}

TEST_CASE("an empty change record list gives an empty pending list") {
    TestDrive drive;
    BuildSettings settings(0);
    TestIni ini("[Changes]\r\nDir1=\r\nDir2=X:\\STALE\r\n");
    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    builder.AddChangedFile("left from before");
    CHECK(builder.BuildChangeList() == 0);
    CHECK(builder.PendingList().empty());
    CHECK(archives.refreshes == 0);
}

TEST_CASE("the change record list is read from Dir0 on, and reset by emptying Dir1") {
    TestIni ini("[Changes]\r\nDir1=X:\\A\r\nDir2=X:\\B\r\nDir3=\r\nDir4=X:\\D\r\n");
    FakeArchives archives;
    const BuildSettings settings;
    CChangeListBuilder builder(archives, settings);
    CHECK(builder.ReadChangeRecord(CChangeListBuilder::kResetReadCounter).empty());  // Dir0
    CHECK(builder.ReadChangeRecord(0) == "X:\\A");
    CHECK(builder.ReadChangeRecord(0) == "X:\\B");
    CHECK(builder.ReadChangeRecord(0).empty());
    CHECK(builder.ReadChangeRecord(0) == "X:\\D");
    CHECK(builder.ReadChangeRecord(CChangeListBuilder::kResetReadCounter).empty());
    CHECK(builder.ReadChangeRecord(0) == "X:\\A");

    ResetChangeRecords();
    CHECK(HasEmptyKey(ini, "Changes", "Dir1"));
    CHECK(ini.Value("Changes", "Dir2") == "X:\\B");
    CHECK(ReadListKeyByKey(ini, "Changes").empty());
}


TEST_CASE("with the due rule, an older file the archives do not hold is listed too") {
    TestDrive drive;
    TestIni ini(ChangeListIni({"X:\\R"}));
    BuildSettings settings;
    StampedTree tree;
    tree.Folder("R", false);
    tree.OldFile("R\\held.txt");
    tree.OldFile("R\\renamed.txt");
    tree.OldFile("R\\scratch.tmp");
    tree.Stamp();
    auto archived = std::make_shared<CArchivedVersions>();
    archived->Add("R/held.txt", std::string("changed").size(), int64_t(tree.Last() - 10 * kSecond));
    FakeArchives archives;
    CChangeListBuilder builder(archives, settings);
    builder.SetDueRule(std::make_shared<CDueRule>(tree.Last(), tree.Last() - 3600 * kSecond, true,
                                                  TypeChoice::From(".TXT;", ".TMP;", "", 0, 0), archived, nullptr));
    CHECK(builder.BuildChangeList() == 1);
    CHECK(builder.PendingList() == std::vector<std::string>{"X:\\R\\renamed.txt"});
    builder.SetDueRule(nullptr);
    CHECK(builder.BuildChangeList() == 0);
}

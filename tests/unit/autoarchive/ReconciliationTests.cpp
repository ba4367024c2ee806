// The reconciliation walk on drive X:: which folders it records for the due
// files it finds, and which it leaves alone.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "autoarchive/Reconciliation.h"
#include "common/NumberedList.h"
#include "doctest/doctest.h"
#include "tests/unit/TestDrive.h"
#include "tests/unit/TestIni.h"

using namespace tb;

namespace {

constexpr FileTicks kSecond = kTicksPerSecond;

struct Walk {
    WatchedPlaces places;
    FileTicks last;
    std::shared_ptr<CArchivedVersions> archived = std::make_shared<CArchivedVersions>();

    Walk() : last(TicksFromTime(CurrentTime() - 3600)) {
        places.settings.Drives = 0x04;
        places.settings.CustomDriveList = "x";
        places.tempFolder = "C:\\TEMP\\";
    }
    CDueRule Rule() const {
        return CDueRule(last, last - 3600 * kSecond, true, TypeChoice::From(".DOC;.TXT;", ".TMP;", "", 0, 0),
                        archived, nullptr);
    }
    std::vector<std::string> Folders() {
        bool stopped = false;
        std::vector<std::string> found = FoldersHoldingDueFiles(TestDrive::Root(), places, Rule(), {}, stopped);
        CHECK_FALSE(stopped);
        return found;
    }
};

}  // namespace

TEST_CASE("each due file is recorded by the folder the monitor watches it through") {
    TestDrive drive;
    TestDrive::MakeDirs("A\\B\\C\\D\\E");
    TestDrive::MakeDirs("NEW\\ONE");
    TestDrive::Write("root.txt");
    TestDrive::Write("A\\own.doc");
    TestDrive::Write("A\\B\\C\\D\\E\\six.doc");  // deep below A\B: recorded as A\B
    TestDrive::Write("A\\B\\C\\D\\four.txt");
    TestDrive::Write("NEW\\ONE\\new.doc");
    Walk walk;
    std::vector<std::string> found = walk.Folders();
    std::sort(found.begin(), found.end());
    CHECK(found == std::vector<std::string>{"X:\\", "X:\\A", "X:\\A\\B", "X:\\NEW\\ONE"});
}

TEST_CASE("files of types the run does not take record nothing") {
    TestDrive drive;
    TestDrive::MakeDirs("A\\B\\C");
    TestDrive::Write("A\\B\\C\\scratch.tmp");
    TestDrive::Write("A\\B\\C\\data.xyz");
    TestDrive::Write("A\\notes.backup");
    Walk walk;
    CHECK(walk.Folders().empty());
}

TEST_CASE("old files are recorded only when the archives do not hold them") {
    TestDrive drive;
    TestDrive::MakeDirs("A\\B\\C");
    Walk walk;
    TestDrive::Write("A\\B\\C\\held.doc", "12345");
    TestDrive::Write("A\\renamed.doc", "12345");
    const FileTicks old = walk.last - 600 * kSecond;
    TestDrive::SetWriteTime("A\\B\\C\\held.doc", old);
    TestDrive::SetWriteTime("A\\renamed.doc", old);
    walk.archived->Add("A/B/C/held.doc", 5, int64_t(old));
    walk.archived->Add("A/was-named.doc", 5, int64_t(old));
    CHECK(walk.Folders() == std::vector<std::string>{"X:\\A"});
}

TEST_CASE("folders the monitor does not watch are left out, as are the trees of excluded second-level folders") {
    TestDrive drive;
    TestDrive::MakeDirs("SKIP\\SUB\\DEEP");
    TestDrive::MakeDirs("A\\NOPE\\DEEP");
    TestDrive::MakeDirs("A\\RECYCLED");
    TestDrive::Write("SKIP\\own.doc");                // SKIP itself is excluded
    TestDrive::Write("SKIP\\SUB\\DEEP\\kept.doc");   // SKIP\SUB is watched on its own
    TestDrive::Write("A\\NOPE\\DEEP\\hidden.doc");
    TestDrive::Write("A\\RECYCLED\\binned.doc");
    Walk walk;
    walk.places.settings.ExcludeDirList = "X:\\SKIP;X:\\A\\NOPE";
    CHECK(walk.Folders() == std::vector<std::string>{"X:\\SKIP\\SUB"});
}

TEST_CASE("the whole pass records what it finds once, after what is recorded already; a quit stops it") {
    TestDrive drive;
    TestIni ini("[Changes]\r\nDir1=X:\\A\r\n");
    TestDrive::MakeDirs("A\\B\\C");
    TestDrive::Write("A\\a.doc");
    TestDrive::Write("A\\B\\C\\c.doc");
    Walk walk;
    CHECK(Reconcile(walk.places, walk.Rule(), [] { return true; }) == -1);
    CHECK(ReadDirList(kChangesSection, 5000) == std::vector<std::string>{"X:\\A"});
    CHECK(Reconcile(walk.places, walk.Rule(), [] { return false; }) == 1);
    CHECK(Reconcile(walk.places, walk.Rule(), {}) == 0);
    CHECK(ReadDirList(kChangesSection, 5000) == std::vector<std::string>{"X:\\A", "X:\\A\\B"});
    CHECK(ini.Value("Changes", "Dir3").empty());
}

TEST_CASE("the folder that stands for a change") {
    CHECK(WatchOwnerOf("C:\\") == "C:\\");
    CHECK(WatchOwnerOf("C:\\A") == "C:\\A");
    CHECK(WatchOwnerOf("C:\\A\\B") == "C:\\A\\B");
    CHECK(WatchOwnerOf("C:\\A\\B\\C\\D") == "C:\\A\\B");
}

// The directory list written by a rebuild, on the test drive X:.

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "monitor/DirectoryListWorker.h"
#include "tests/unit/ListReader.h"
#include "tests/unit/TestDrive.h"
#include "tests/unit/TestIni.h"
#include "tests/unit/TestLink.h"

using namespace tb;

namespace {

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    std::string parent = path.substr(0, slash);
    return parent.size() == 2 ? parent + "\\" : parent;  // "X:" is the root "X:\"
}

int Level(const std::string& path) {
    return path.size() <= 3 ? 0 : int(std::count(path.begin(), path.end(), '\\'));
}

ChangeTrackingSettings OnlyTestDrive() {
    ChangeTrackingSettings settings;
    settings.Drives = kDrivesCustom | kDrivesAllLocal;
    settings.CustomDriveList = TestDrive::Root().substr(0, 1);
    return settings;
}

}  // namespace

TEST_CASE("a rebuild lists the drive two levels deep, each directory followed by its own") {
    TestDrive drive;
    for (const char* dir : {"ALPHA\\ONE\\DEEP\\DEEPER", "ALPHA\\TWO", "BETA\\ONE", "BETA\\THREE\\DEEP", "GAMMA",
                            "HIDDEN\\INSIDE", "With Space\\x y"})
        TestDrive::MakeDirs(dir);
    TestDrive::Write("ALPHA\\file.txt");
    TestDrive::Write("root.txt");
    ::SetFileAttributesA("X:\\HIDDEN", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    // An old, longer list; and a key past a gap, which is no longer part of it.
    std::string text = "[Directories]\r\n";
    for (int n = 1; n <= 20; ++n) text += "Dir" + std::to_string(n) + "=C:\\OLD" + std::to_string(n) + "\r\n";
    text += "Dir22=C:\\PAST THE END\r\n";
    TestIni ini(text);

    REQUIRE(RebuildDirectoryList(OnlyTestDrive()) == 1);
    const std::vector<std::string> list = ReadListKeyByKey(ini, "Directories");

    const std::string root = TestDrive::Root();
    const std::set<std::string> expected = {
        root, "X:\\ALPHA", "X:\\ALPHA\\ONE", "X:\\ALPHA\\TWO", "X:\\BETA", "X:\\BETA\\ONE", "X:\\BETA\\THREE",
        "X:\\GAMMA", "X:\\HIDDEN", "X:\\HIDDEN\\INSIDE", "X:\\With Space", "X:\\With Space\\x y"};
    CHECK(std::set<std::string>(list.begin(), list.end()) == expected);
    CHECK(list.size() == expected.size());
    REQUIRE_FALSE(list.empty());
    CHECK(list.front() == root);
    // Each second-level directory comes right after its parent or a sibling.
    for (size_t i = 1; i < list.size(); ++i) {
        if (Level(list[i]) != 2) continue;
        const std::string parent = ParentOf(list[i]);
        CHECK_MESSAGE((list[i - 1] == parent || ParentOf(list[i - 1]) == parent), list[i]);
    }
    // The old list's next keys are emptied up to its end; a key past a gap stays.
    for (size_t n = list.size() + 1; n <= 20; ++n) CHECK(HasEmptyKey(ini, "Directories", "Dir" + std::to_string(n)));
    CHECK(ini.Value("Directories", "Dir22") == "C:\\PAST THE END");
}

TEST_CASE("a rebuild stopped by the quit flag leaves the old list; one with no drive empties it") {
    TestDrive drive;
    TestDrive::MakeDirs("A\\B");
    TestIni ini("[Directories]\r\nDir1=C:\\OLD\r\nDir2=C:\\OLD\\TWO\r\n");
    std::atomic<int> quit{1};
    CHECK(RebuildDirectoryList(OnlyTestDrive(), &quit) == 0);
    CHECK(ReadListKeyByKey(ini, "Directories") == std::vector<std::string>{"C:\\OLD", "C:\\OLD\\TWO"});
    CHECK(RebuildDirectoryList(ChangeTrackingSettings()) == 1);
    CHECK(ReadListKeyByKey(ini, "Directories").empty());
}

TEST_CASE("directory links are neither listed nor entered") {
    TestDrive drive;
    TestDrive::MakeDirs("ALPHA\\ONE");
    TestIni ini;
    TestDirectoryLink loop(TestDrive::Path("ALPHA\\back"), TestDrive::Root());
    TestDirectoryLink side(TestDrive::Path("SIDE"), TestDrive::Path("ALPHA"));
    REQUIRE(RebuildDirectoryList(OnlyTestDrive()) == 1);
    CHECK(ReadListKeyByKey(ini, "Directories") ==
          std::vector<std::string>{TestDrive::Root(), "X:\\ALPHA", "X:\\ALPHA\\ONE"});
}

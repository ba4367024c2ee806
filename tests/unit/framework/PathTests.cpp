// Making a folder with the folders above it.

#include <windows.h>

#include <string>

#include "doctest/doctest.h"
#include "framework/Path.h"
#include "tests/unit/TestFolder.h"

using namespace tb;

namespace {
bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

TEST_CASE("a folder is made with every missing folder above it") {
    TestFolder folder("make-tree");
    const std::string deep = folder.Path("Auto Archives\\2026\\December");
    CHECK_FALSE(IsFolder(folder.Path("Auto Archives")));
    CHECK(MakeFolderTree(deep));
    CHECK(IsFolder(deep));
    CHECK(MakeFolderTree(deep));                           // already there
    CHECK(MakeFolderTree(folder.Path("Auto Archives\\")));  // a trailing backslash
    CHECK(MakeFolderTree(folder.Path("Other/Forward")));    // either separator
    CHECK(IsFolder(folder.Path("Other\\Forward")));

    // Something in the way: a file of that name, or a drive that is not there.
    folder.File("taken", "a file");
    CHECK_FALSE(MakeFolderTree(folder.Path("taken")));
    CHECK_FALSE(MakeFolderTree(folder.Path("taken\\below")));
    char drive[] = "Q:\\";
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        drive[0] = letter;
        if (::GetDriveTypeA(drive) == DRIVE_NO_ROOT_DIR) break;
    }
    REQUIRE(::GetDriveTypeA(drive) == DRIVE_NO_ROOT_DIR);
    CHECK_FALSE(MakeFolderTree(std::string(drive) + "nowhere\\at all"));
    CHECK(MakeFolderTree("C:\\"));
}

// Copies extracted to open an entry: the file the library wrote, whatever name
// it had to give it; and their removal.

#include <windows.h>

#include <string>
#include <vector>

#include "browser/OpenedCopies.h"
#include "doctest/doctest.h"
#include "framework/Path.h"
#include "tests/unit/zip/ZipTestUtil.h"

using namespace tb;

namespace {
bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }
}  // namespace

TEST_CASE("opening an entry opens the file the library wrote, under the name it could give it") {
    RemoveOpenedCopies();
    zt::CTempFolder scratch;
    const std::string zip = scratch / "names.zip";
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"docs/plain.txt", "plain"},      {"docs/a<b>c.txt", "angles"},    {"con.txt", "a device name"},
        {"what?.txt", "a question"},      {"tab\there.txt", "a control"},  {"pipe|colon:.txt", "two more"},
    };
    REQUIRE(zt::WriteBytes(zip, zt::StoredArchive(entries)));

    for (const auto& [name, content] : entries) {
        CAPTURE(name);
        const std::string copy = ExtractCopyToOpen(zip, name, "", nullptr);
        REQUIRE(!copy.empty());
        CHECK(Exists(copy));
        CHECK(zt::ReadBytes(copy) == content);
        CHECK(copy.compare(0, OpenedCopiesRoot().size(), OpenedCopiesRoot()) == 0);
        const std::string written = NameOf(copy);
        CHECK(written.find_first_of("<>:\"|?*\t") == std::string::npos);
        if (name == "docs/plain.txt") CHECK(written == "plain.txt");
        if (name == "con.txt") CHECK(written != "con.txt");
    }
    RemoveOpenedCopies();
}

TEST_CASE("the opened copies go, with their folders, and nothing else") {
    RemoveOpenedCopies();
    zt::CTempFolder scratch;
    const std::string zip = scratch / "one.zip";
    REQUIRE(zt::WriteBytes(zip, zt::StoredArchive({{"secret.txt", "plaintext of a protected entry"}})));
    const std::string first = ExtractCopyToOpen(zip, "secret.txt", "", nullptr);
    const std::string second = ExtractCopyToOpen(zip, "secret.txt", "", nullptr);
    REQUIRE(!first.empty());
    REQUIRE(!second.empty());
    CHECK(first != second);  // each open in a folder of its own
    ::SetFileAttributesA(second.c_str(), FILE_ATTRIBUTE_READONLY);
    // A folder a session left deeper down, as a killed program might.
    const std::string left = OpenedCopiesRoot() + "\\0000ABCD\\deeper";
    REQUIRE(MakeFolderTree(left));
    REQUIRE(zt::WriteBytes(left + "\\left.txt", "left behind"));
    // Beside the root: not ours.
    const std::string beside = OpenedCopiesRoot() + " other.txt";
    REQUIRE(zt::WriteBytes(beside, "someone else's"));

    RemoveOpenedCopies();
    CHECK_FALSE(Exists(first));
    CHECK_FALSE(Exists(second));
    CHECK_FALSE(Exists(left));
    CHECK_FALSE(Exists(OpenedCopiesRoot()));
    CHECK(Exists(beside));
    ::DeleteFileA(beside.c_str());
    CHECK(Exists(zip));
}

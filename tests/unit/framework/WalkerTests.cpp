// The directory walker on real folders: dot entries, depth, order, links.

#include <algorithm>
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "framework/DirectoryWalker.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestLink.h"

using namespace tb;

namespace {

// Every path the walk hands out, in order, relative to `root`.
std::vector<std::string> Walk(const std::string& root, CDirectoryWalker::Options options) {
    CDirectoryWalker walk(root, std::move(options));
    std::vector<std::string> paths;
    for (WalkEntry entry; walk.Next(entry);) {
        REQUIRE(entry.path.compare(0, root.size(), root) == 0);
        paths.push_back(entry.path.substr(root.size()));
    }
    return paths;
}

std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

size_t IndexOf(const std::vector<std::string>& paths, const std::string& path) {
    return size_t(std::find(paths.begin(), paths.end(), path) - paths.begin());
}

}  // namespace

TEST_CASE("a walk lists neither dot entry and joins every path with one backslash") {
    TestFolder folder("walk-dots");
    folder.File("a.txt", "a");
    folder.File("sub\\b.txt", "b");
    folder.Folder("empty");
    const std::string root = folder.Path("");  // ends with a backslash
    for (const std::string& start : {root, root.substr(0, root.size() - 1)}) {
        CAPTURE(start);
        CDirectoryWalker walk(start, {CDirectoryWalker::kWholeTree});
        CHECK(walk.Opened());
        std::vector<std::string> names, paths;
        for (WalkEntry entry; walk.Next(entry);) {
            names.push_back(entry.name);
            paths.push_back(entry.path);
        }
        CHECK(Sorted(names) == std::vector<std::string>{"a.txt", "b.txt", "empty", "sub"});
        CHECK(Sorted(paths) == Sorted({root + "a.txt", root + "empty", root + "sub", root + "sub\\b.txt"}));
    }
    // A folder whose only entries are "." and ".." has nothing to list.
    CDirectoryWalker empty(root + "empty", {CDirectoryWalker::kWholeTree});
    WalkEntry entry;
    CHECK(empty.Opened());
    CHECK_FALSE(empty.Next(entry));
    CHECK(JoinPath("", "name") == "name");
}

TEST_CASE("a walk goes as deep as asked and never deeper than the cap") {
    TestFolder folder("walk-depth");
    folder.File("L0\\L1\\L2\\deep.txt", "x");
    const std::string root = folder.Path("");
    CHECK(Walk(root, {0}) == std::vector<std::string>{"L0"});
    CHECK(Sorted(Walk(root, {1})) == std::vector<std::string>{"L0", "L0\\L1"});
    CHECK(Sorted(Walk(root, {2})) == std::vector<std::string>{"L0", "L0\\L1", "L0\\L1\\L2"});
    CHECK(Walk(root, {CDirectoryWalker::kWholeTree}).size() == 4);

    // A chain of folders deeper than the cap: its lowest levels are not listed.
    std::string chain;
    for (int level = 0; level <= CDirectoryWalker::kDepthCap + 2; ++level) chain += (level ? "\\d" : "d");
    folder.Folder(chain);
    CDirectoryWalker walk(folder.Path("d"), {1000});
    int deepest = -1, entries = 0;
    for (WalkEntry entry; walk.Next(entry); ++entries) deepest = std::max(deepest, entry.depth);
    CHECK(deepest == CDirectoryWalker::kDepthCap);
    CHECK(entries == CDirectoryWalker::kDepthCap + 1);
    // The tree was wanted whole and is deeper: the walk says it was cut.
    CHECK(walk.Cut());
    // A walk asked for fewer levels, or one that reached every level, was not.
    CDirectoryWalker shallow(folder.Path("d"), {2});
    for (WalkEntry entry; shallow.Next(entry);) {
    }
    CHECK_FALSE(shallow.Cut());
    CDirectoryWalker whole(folder.Path("L0"), {CDirectoryWalker::kWholeTree});
    for (WalkEntry entry; whole.Next(entry);) {
    }
    CHECK_FALSE(whole.Cut());
}

TEST_CASE("a directory comes before its contents, or after them when asked") {
    TestFolder folder("walk-order");
    folder.File("A\\one.txt", "1");
    folder.File("A\\B\\two.txt", "2");
    folder.File("top.txt", "t");
    const std::string root = folder.Path("");

    const auto first = Walk(root, {CDirectoryWalker::kWholeTree, CDirectoryWalker::Order::DirectoryFirst});
    CHECK(first.size() == 5);
    CHECK(IndexOf(first, "A") < IndexOf(first, "A\\one.txt"));
    CHECK(IndexOf(first, "A\\B") < IndexOf(first, "A\\B\\two.txt"));
    // Each directory is followed at once by its own entries.
    CHECK(IndexOf(first, "A\\B") == IndexOf(first, "A") + 1 + (IndexOf(first, "A\\one.txt") < IndexOf(first, "A\\B")));

    const auto last = Walk(root, {CDirectoryWalker::kWholeTree, CDirectoryWalker::Order::ContentsFirst});
    CHECK(Sorted(last) == Sorted(first));
    CHECK(IndexOf(last, "A\\one.txt") < IndexOf(last, "A"));
    CHECK(IndexOf(last, "A\\B\\two.txt") < IndexOf(last, "A\\B"));
    CHECK(IndexOf(last, "A\\B") < IndexOf(last, "A"));

    // A directory that is not entered keeps its place among its siblings.
    const auto shallow = Walk(root, {0, CDirectoryWalker::Order::ContentsFirst});
    CHECK(Sorted(shallow) == std::vector<std::string>{"A", "top.txt"});
}

TEST_CASE("a walk can be kept out of a directory and limited per folder") {
    TestFolder folder("walk-limits");
    for (int i = 0; i < 5; ++i) folder.File("many\\f" + std::to_string(i) + ".txt", "x");
    folder.File("skip\\hidden.txt", "x");
    const std::string root = folder.Path("");

    CDirectoryWalker::Options notSkip{CDirectoryWalker::kWholeTree};
    notSkip.enter = [](const WalkEntry& directory) { return directory.name != "skip"; };
    const auto entered = Walk(root, notSkip);
    CHECK(IndexOf(entered, "skip") < entered.size());  // listed, not entered
    CHECK(IndexOf(entered, "skip\\hidden.txt") == entered.size());
    CHECK(entered.size() == 2 + 5);

    CDirectoryWalker::Options three{CDirectoryWalker::kWholeTree};
    three.entriesPerFolder = 3;
    const auto limited = Walk(root + "many", three);
    CHECK(limited.size() == 3);
    // Whether the limit left anything out.
    for (size_t limit : {size_t(3), size_t(4), size_t(5), size_t(6)}) {
        CAPTURE(limit);
        CDirectoryWalker::Options options{CDirectoryWalker::kWholeTree};
        options.entriesPerFolder = limit;
        CDirectoryWalker walk(root + "many", options);
        size_t listed = 0;
        for (WalkEntry entry; walk.Next(entry);) ++listed;
        CHECK(listed == std::min(limit, size_t(5)));
        CHECK(walk.Cut() == (limit < 5));
    }

    CDirectoryWalker missing(root + "not there", {CDirectoryWalker::kWholeTree});
    WalkEntry entry;
    CHECK_FALSE(missing.Opened());
    CHECK_FALSE(missing.Next(entry));
}

TEST_CASE("a link back into its own tree is listed but never entered") {
    TestFolder folder("walk-link");
    folder.File("tree\\docs\\changed.txt", "x");
    folder.Folder("elsewhere\\inside");
    const std::string tree = folder.Path("tree");
    TestDirectoryLink loop(tree + "\\docs\\loop", tree);
    TestDirectoryLink away(tree + "\\away", folder.Path("elsewhere"));

    for (auto order : {CDirectoryWalker::Order::DirectoryFirst, CDirectoryWalker::Order::ContentsFirst}) {
        CDirectoryWalker walk(tree, {CDirectoryWalker::kWholeTree, order});
        std::vector<std::string> paths;
        int links = 0;
        for (WalkEntry entry; walk.Next(entry);) {
            paths.push_back(entry.path.substr(tree.size()));
            if (entry.IsLink()) {
                ++links;
                CHECK(entry.IsDirectory());
            }
        }
        CHECK(Sorted(paths) == std::vector<std::string>{"\\away", "\\docs", "\\docs\\changed.txt", "\\docs\\loop"});
        CHECK(links == 2);
    }
}

TEST_CASE("a walk reports each entry as the system's ...A listing of the folder does") {
    TestFolder folder("walk-as-listed");
    const std::string rootText = folder.Path("");
    const std::wstring root(rootText.begin(), rootText.end());  // plain ASCII
    auto make = [&](const std::wstring& name, DWORD size, DWORD attributes) {
        HANDLE file = ::CreateFileW((root + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
        REQUIRE(file != INVALID_HANDLE_VALUE);
        std::string bytes(size, 'x');
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), size, &written, nullptr);
        ::CloseHandle(file);
    };
    make(L"plain.txt", 5000, FILE_ATTRIBUTE_NORMAL);
    make(L"r\u00e9sum\u00e9.txt", 1, FILE_ATTRIBUTE_NORMAL);     // in every Western code page and in UTF-8
    make(L"\u65e5\u672c.txt", 2, FILE_ATTRIBUTE_NORMAL);         // in no single-byte code page
    make(L"hidden.dat", 0, FILE_ATTRIBUTE_HIDDEN);
    ::CreateDirectoryW((root + L"sub").c_str(), nullptr);
    TestFolder::SetTime(folder.Path("plain.txt"), 2001);

    struct Listed {
        std::string name;
        DWORD attributes;
        unsigned long long time, size;
        bool operator<(const Listed& o) const { return name < o.name; }
        bool operator==(const Listed& o) const {
            return name == o.name && attributes == o.attributes && time == o.time && size == o.size;
        }
    };
    auto ticks = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    std::vector<Listed> walked, listed;
    CDirectoryWalker walk(folder.Path(""), {0});
    for (WalkEntry entry; walk.Next(entry);) {
        CHECK(entry.path == folder.Path(entry.name));
        walked.push_back({entry.name, entry.attributes, ticks(entry.lastWrite), entry.size});
    }
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(folder.Path("*.*").c_str(), &data);
    REQUIRE(find != INVALID_HANDLE_VALUE);
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        listed.push_back({name, data.dwFileAttributes, ticks(data.ftLastWriteTime),
                          (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    std::sort(walked.begin(), walked.end());
    std::sort(listed.begin(), listed.end());
    CHECK(walked.size() == 5);
    CHECK(walked == listed);
}

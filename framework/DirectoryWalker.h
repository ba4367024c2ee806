#pragma once
// CDirectoryWalker: the one way the program lists a folder tree. It hands out
// the entries of a folder, and of its subfolders down to a chosen depth, one
// per Next call. It never lists "." and "..", never enters a directory link or
// junction (a reparse point: on Windows a junction or a symbolic link, under
// Wine a Unix symbolic link), never goes deeper than kDepthCap levels, and
// joins every path with exactly one backslash. Names are in the program's
// code page, as the system's ...A functions give them.
//
//     CDirectoryWalker walk("C:\\DOCS", {CDirectoryWalker::kWholeTree});
//     for (WalkEntry entry; walk.Next(entry);) Use(entry.path);

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Handles.h"
#include "framework/Path.h"

namespace tb {

struct WalkEntry {
    std::string name;   // as listed
    std::string path;   // the listed folder joined with the name
    DWORD attributes = 0;
    FILETIME lastWrite{};
    unsigned long long size = 0;
    int depth = 0;      // 0: an entry of the folder the walk started in

    bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A directory that points elsewhere: listed, never entered.
    bool IsLink() const { return IsDirectory() && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

class CDirectoryWalker {
public:
    // No walk goes deeper than this many levels below its folder.
    static constexpr int kDepthCap = 64;
    // The depth to ask for when the whole tree is wanted (as deep as the cap).
    static constexpr int kWholeTree = kDepthCap;

    enum class Order {
        DirectoryFirst,  // a directory, then its contents
        ContentsFirst,   // the contents of a directory that is entered, then the directory
    };

    struct Options {
        using EnterTest = std::function<bool(const WalkEntry& directory)>;
        Options(int maxDepth = 0, Order order = Order::DirectoryFirst, size_t entriesPerFolder = 0,
                EnterTest enter = nullptr)
            : maxDepth(maxDepth), order(order), entriesPerFolder(entriesPerFolder), enter(std::move(enter)) {}

        // The deepest level listed: 0 lists the folder's own entries only.
        int maxDepth;
        Order order;
        // At most this many entries are taken from any one folder (0: all).
        size_t entriesPerFolder;
        // Asked before a directory within the depth is entered; entered when
        // true (or when not given).
        EnterTest enter;
    };

    CDirectoryWalker(const std::string& folder, Options options);
    CDirectoryWalker(const CDirectoryWalker&) = delete;
    CDirectoryWalker& operator=(const CDirectoryWalker&) = delete;

    // False when the starting folder could not be listed (missing, not a
    // folder, no access); such a walk has no entries.
    bool Opened() const { return m_opened; }

    // The next entry; false when the walk is over.
    bool Next(WalkEntry& entry);

    // True once the walk has left out entries it was asked for: a folder held
    // more than `entriesPerFolder` entries, or a tree wanted whole went deeper
    // than kDepthCap. Such a walk did not see everything below its folder.
    bool Cut() const { return m_cut; }

private:
    // One folder being listed: its search handle and, for a directory listed
    // contents first, the directory's own entry to hand out when it is done.
    struct Level {
        UniqueFind find;
        WIN32_FIND_DATAW pending{};  // read by FindFirstFileEx, not handed out yet
        bool hasPending = false;
        std::string folder;
        int depth = 0;
        size_t taken = 0;
        bool hasOwner = false;
        WalkEntry owner;
    };
    bool Open(const std::string& folder, int depth, WalkEntry* owner);
    bool Read(Level& level, WIN32_FIND_DATAW& data);

    Options m_options;
    bool m_wholeTree = false;  // asked for as deep as the cap allows
    std::vector<Level> m_levels;
    bool m_opened = false;
    bool m_cut = false;
};

}  // namespace tb

#include "autoarchive/Reconciliation.h"

#include <windows.h>

#include <algorithm>
#include <unordered_set>

#include "framework/DirectoryWalker.h"
#include "framework/Drives.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "monitor/ChangeMonitor.h"
#include "monitor/ChangeRecords.h"
#include "monitor/DirectoryListWorker.h"

namespace tb {

namespace {

int LevelOf(const std::string& folder) {
    if (folder.size() <= 3) return 0;  // a drive root
    return int(std::count(folder.begin(), folder.end(), '\\'));
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return path;
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);  // X:\ keeps its backslash
    return path.substr(0, slash);
}

// Under Wine a drive may be the host's whole file system (Z: by default):
// that is no user's drive, and the walk leaves it alone.
bool IsHostRoot(const std::string& root) {
    if (!RunningUnderWine()) return false;
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName || root.size() < 3) return false;
    const wchar_t dos[4] = {wchar_t(root[0]), L':', L'\\', 0};
    char* name = unixName(dos);
    if (!name) return false;
    const std::string path(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return path == "/";
}

// The drives to look at: those the system lists, and the letters of a custom
// selection whose root can be reached although the system did not list it
// (Wine lists a drive linked in while it runs only after a while).
std::vector<std::string> DriveRoots(const ChangeTrackingSettings& settings) {
    std::vector<std::string> roots = LogicalDriveRoots();
    if (!(settings.Drives & kDrivesCustom)) return roots;
    for (char letter : ToUpper(settings.CustomDriveList)) {
        if (letter < 'A' || letter > 'Z') continue;
        const std::string root = std::string(1, letter) + ":\\";
        const bool listed = std::any_of(roots.begin(), roots.end(), [&](const std::string& listedRoot) {
            return !listedRoot.empty() && ToUpper(listedRoot.substr(0, 1))[0] == letter;
        });
        const DWORD attributes = ::GetFileAttributesA(root.c_str());
        if (!listed && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            roots.push_back(root);
    }
    return roots;
}

}  // namespace

std::string WatchOwnerOf(const std::string& folder) {
    if (LevelOf(folder) <= 2) return folder;
    size_t at = 0;
    for (int i = 0; i < 3; ++i) at = folder.find('\\', at + 1);
    return folder.substr(0, at);
}

std::vector<std::string> FoldersHoldingDueFiles(const std::string& root, const WatchedPlaces& places,
                                                const CDueRule& rule, const StopTest& stop, bool& stopped) {
    std::vector<std::string> found;
    std::unordered_set<std::string> recorded;  // owners already found
    std::unordered_set<std::string> unwatched;  // owners the monitor leaves out
    const auto watched = [&](const std::string& owner) {
        if (unwatched.count(owner)) return false;
        if (ExclusionOf(owner, places.settings, places.tempFolder, places.internetCacheFolder) == WatchExclusion::None)
            return true;
        unwatched.insert(owner);
        return false;
    };
    const auto quitting = [&] { return stop && stop(); };
    // A second-level folder that is not watched takes its tree with it; one
    // already recorded needs no further look.
    const auto enter = [&](const WalkEntry& directory) {
        if (quitting()) return false;
        const std::string owner = WatchOwnerOf(directory.path);
        if (LevelOf(directory.path) < 2) return true;
        return !recorded.count(owner) && watched(owner);
    };
    CDirectoryWalker walk(root, {CDirectoryWalker::kWholeTree, CDirectoryWalker::Order::DirectoryFirst, 0, enter});
    for (WalkEntry entry; walk.Next(entry);) {
        if (quitting()) {
            stopped = true;
            break;
        }
        if (entry.IsDirectory()) continue;
        const std::string owner = WatchOwnerOf(FolderOf(entry.path));
        if (recorded.count(owner)) continue;
        if (!rule.Choice().Chosen(entry.path)) continue;
        if (!rule.DueForWalk(FileState{entry.path, entry.size, TicksOf(entry.lastWrite)})) continue;
        if (!watched(owner)) continue;
        recorded.insert(owner);
        found.push_back(owner);
    }
    return found;
}

int Reconcile(const WatchedPlaces& places, const CDueRule& rule, const StopTest& stop) {
    int recorded = 0;
    bool stopped = false;
    for (const std::string& root : DriveRoots(places.settings)) {
        if (!DriveSelected(places.settings, root, DriveTypeOf(root)) || IsHostRoot(root)) continue;
        recorded += RecordChangedDirectories(FoldersHoldingDueFiles(root, places, rule, stop, stopped));
        if (stopped) return -1;
    }
    return recorded;
}

}  // namespace tb

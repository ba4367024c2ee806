#include "framework/Path.h"

#include <windows.h>

#include <vector>

namespace tb {

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + "\\" + name;
}

namespace {

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') && path[path.size() - 2] != ':')
        path.pop_back();
    return path;
}

}  // namespace

bool MakeFolderTree(const std::string& folder) {
    // Up from the folder to the first one that exists, then down again
    // making each; a root that does not exist cannot be made.
    std::vector<std::string> missing;
    for (std::string path = WithoutTrailingSeparators(folder); !path.empty() && !IsFolder(path);) {
        missing.push_back(path);
        const size_t cut = path.find_last_of("\\/");
        if (cut == std::string::npos || cut == 0) break;
        std::string parent = path.substr(0, cut);
        if (!parent.empty() && parent.back() == ':') parent += '\\';  // "C:" is the root "C:\"
        if (parent == path) break;
        path = WithoutTrailingSeparators(parent);
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level)
        if (!::CreateDirectoryA(level->c_str(), nullptr) && !IsFolder(*level)) return false;
    return folder.empty() || IsFolder(WithoutTrailingSeparators(folder));
}

}  // namespace tb

#include "browser/OpenedCopies.h"

#include <vector>

#include "framework/DirectoryWalker.h"
#include "framework/Path.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "zip/ZipEngine.h"

namespace tb {

namespace {
constexpr DWORD kTempPathLimit = 500;
constexpr int kFolderAttempts = 1000;

// The one file a fresh copy folder holds once the extraction is over ("" when
// it holds none, or more than one).
std::string OnlyFileIn(const std::string& folder) {
    std::string found;
    CDirectoryWalker walk(folder, {0});
    for (WalkEntry entry; walk.Next(entry);) {
        if (entry.IsDirectory()) continue;
        if (!found.empty()) return {};
        found = entry.path;
    }
    return found;
}
}  // namespace

std::string OpenedCopiesRoot() { return JoinPath(TempFolder(kTempPathLimit), "Tallybox"); }

std::string NewOpenedCopyFolder() {
    const std::string root = OpenedCopiesRoot();
    if (!MakeFolderTree(root)) return {};
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        const std::string folder = root + Format("\\%08lX", static_cast<unsigned long>(::GetTickCount() + attempt));
        if (::CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
    }
    return {};
}

std::string ExtractCopyToOpen(const std::string& archive, const std::string& entry, const std::string& password,
                              HWND progressWindow) {
    const std::string folder = NewOpenedCopyFolder();
    if (folder.empty()) return {};
    CZipEngine engine(progressWindow);
    engine.m_password = password;
    engine.ExtractFiles(archive, entry, folder, -1, kUnzipOptNoFolderNames | kUnzipOptOverwrite);
    // The folder was empty: whatever file is in it now is the one written,
    // under the name the library could give it.
    return OnlyFileIn(folder);
}

void RemoveOpenedCopies() {
    const std::string root = OpenedCopiesRoot();
    std::vector<std::string> folders;
    {
        // Contents first: a folder is met once its files have been removed.
        CDirectoryWalker walk(root, {CDirectoryWalker::kWholeTree, CDirectoryWalker::Order::ContentsFirst});
        for (WalkEntry entry; walk.Next(entry);) {
            if (entry.IsDirectory()) {
                folders.push_back(entry.path);
                continue;
            }
            if (entry.attributes & FILE_ATTRIBUTE_READONLY)
                ::SetFileAttributesA(entry.path.c_str(), entry.attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
            ::DeleteFileA(entry.path.c_str());
        }
    }
    // A link a user may have put there goes as a link; what it points to stays.
    for (const std::string& folder : folders) ::RemoveDirectoryA(folder.c_str());
    ::RemoveDirectoryA(root.c_str());
}

}  // namespace tb

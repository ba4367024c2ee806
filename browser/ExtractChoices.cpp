#include "browser/ExtractChoices.h"

#include "common/Settings.h"
#include "zip/ZipEngine.h"

namespace tb {

const std::string& FolderFor(ExtractDestination destination, const ExtractFolders& folders) {
    switch (destination) {
    case ExtractDestination::Default: return folders.defaultFolder;
    case ExtractDestination::Last: return folders.lastFolder;
    case ExtractDestination::Temp: return folders.tempFolder;
    case ExtractDestination::Documents: break;
    }
    return folders.documentsFolder;
}

std::string InitialDestination(int unZipFlags, const ExtractFolders& folders) {
    std::string folder;
    if (unZipFlags & kUnZipUseDefault) folder = folders.defaultFolder;
    if (unZipFlags & kUnZipUseLast) folder = folders.lastFolder;
    if (unZipFlags & kUnZipUseTemp) folder = folders.tempFolder;
    if (unZipFlags & kUnZipMyDocuments) folder = folders.documentsFolder;
    return folder;
}

int ExtractOptionsFor(bool renameByNumbering, bool overwrite, bool useFolderNames) {
    int options = 0;
    if (renameByNumbering) options |= kUnzipOptRenameByNumber;
    if (overwrite) options |= kUnzipOptOverwrite;
    if (!useFolderNames) options |= kUnzipOptNoFolderNames;
    return options;
}

bool RemembersLastFolder(bool defaultChosen, bool tempChosen) { return !defaultChosen && !tempChosen; }

}  // namespace tb

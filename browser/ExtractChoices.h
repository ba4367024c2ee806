#pragma once
// The choices of the Extract File(s) dialog as plain values: which folder each
// destination button stands for, the folder the dialog opens with, and the
// unzip option bits of the existing-file policy and the folder-names box.

#include <string>

namespace tb {

// What the opener asks to extract.
enum ExtractMode : int {
    kExtractAllFiles = 0x01,       // preselects "All Files in Zip"
    kExtractSelectedFiles = 0x02,  // preselects "Selected Files"
};

// The folders the four destination buttons put into the "Extract To:" box.
struct ExtractFolders {
    std::string defaultFolder;    // DefUnZipPath
    std::string lastFolder;       // LastUnZipPath
    std::string tempFolder;       // the system temporary folder, with its trailing backslash
    std::string documentsFolder;  // "My Documents"
};

enum class ExtractDestination { Default, Last, Temp, Documents };

const std::string& FolderFor(ExtractDestination destination, const ExtractFolders& folders);

// The folder the dialog opens with, from the UnZipFlags destination bits taken
// in the order 0x001, 0x002, 0x004, 0x100, a later one winning; "" with none.
std::string InitialDestination(int unZipFlags, const ExtractFolders& folders);

// The unzip option bits of the extraction: rename by numbering, overwrite,
// and no folder names when the stored ones are not to be used. Prompting
// adds nothing: the library asks by itself.
int ExtractOptionsFor(bool renameByNumbering, bool overwrite, bool useFolderNames);

// A destination taken from the default or the temporary folder is not
// remembered as the last folder; any other is.
bool RemembersLastFolder(bool defaultChosen, bool tempChosen);

}  // namespace tb

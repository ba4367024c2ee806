#pragma once
// The dialogs the main view opens for the archive browser: extracting files,
// finding archives, and making a self-extracting program.

#include <windows.h>

#include <string>
#include <vector>

#include "common/Settings.h"
#include "browser/FileList.h"

namespace tb {

class IArchiveFinder;

// The Extract File(s) dialog (165): `mode` 1 = all files, 2 = the selection.
void OpenExtractDialog(HWND owner, const SettingsRecord& settings, const std::string& archive,
                       const std::vector<FileListRecord>& selection, int mode);
// The Update list of Archives (Zips) dialog (163).
void OpenFindArchivesDialog(HWND owner, const SettingsRecord& settings, IArchiveFinder& finder);
// The Make Self-Extracting Archive (.EXE) dialog (175) for the selected archive.
void OpenSelfExtractDialog(HWND owner, const std::string& archive);

}  // namespace tb

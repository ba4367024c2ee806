#pragma once
// The archive editor's doors into the rest of the program: opening the editor
// and the backup dialog.

#include <windows.h>

#include <string>
#include <vector>

namespace tb {

struct EditorRequest {
    bool presetArchive = false;  // hand the editor `archive` and `isNew`
    std::string archive;
    int isNew = 0;               // the file is an empty placeholder
    int takePending = 0;         // start with the pending files
};

class IArchiveEditorHost;

// The archive editor (dialog 145), modal, reaching the program through `host`.
void OpenArchiveEditor(HWND owner, const EditorRequest& request, IArchiveEditorHost& host);
// The backup archives dialog (dialog 174), modal, over the known archives
// (their paths in the list's order).
void OpenBackupDialog(HWND owner, const std::vector<std::string>& knownArchives);

}  // namespace tb

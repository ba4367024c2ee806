#include "editor/EditorOperations.h"

#include "editor/ArchiveEditDlg.h"
#include "editor/BackupArchivesDlg.h"
#include "framework/Window.h"

namespace tb {

void OpenArchiveEditor(HWND owner, const EditorRequest& request, IArchiveEditorHost& host) {
    CArchiveEditDlg dialog(host);
    if (request.presetArchive) dialog.SetArchive(request.archive, request.isNew);
    dialog.SetTakePending(request.takePending);
    dialog.DoModal(owner);
}

void OpenBackupDialog(HWND owner, const std::vector<std::string>& knownArchives) {
    CBackupArchivesDlg dialog(knownArchives, SystemPrompts());
    dialog.DoModal(owner);
}

}  // namespace tb

#include "editor/EditorOperations.h"

#include "editor/ArchiveEditDlg.h"
#include "framework/Window.h"

namespace tb {

namespace {
void NotInThisVersion(HWND owner) {
    ShowMessage(owner, "This part of File Archiver is not available in this version.", MB_OK | MB_ICONINFORMATION);
}
}  // namespace

void OpenArchiveEditor(HWND owner, const EditorRequest& request, IArchiveEditorHost& host) {
    CArchiveEditDlg dialog(host);
    if (request.presetArchive) dialog.SetArchive(request.archive, request.isNew);
    dialog.SetTakePending(request.takePending);
    dialog.DoModal(owner);
}

void OpenBackupDialog(HWND owner) { NotInThisVersion(owner); }

}  // namespace tb

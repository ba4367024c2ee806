#include "editor/EditorOperations.h"

#include "framework/Window.h"

namespace tb {

namespace {
void NotInThisVersion(HWND owner) {
    ShowMessage(owner, "This part of File Archiver is not available in this version.", MB_OK | MB_ICONINFORMATION);
}
}  // namespace

void OpenArchiveEditor(HWND owner, const EditorRequest&) { NotInThisVersion(owner); }

void OpenBackupDialog(HWND owner) { NotInThisVersion(owner); }

}  // namespace tb

#include "editor/EditorOperations.h"

#include "editor/BackupArchivesDlg.h"
#include "framework/Window.h"

namespace tb {

void OpenArchiveEditor(HWND owner, const EditorRequest&) {
    ShowMessage(owner, "This part of File Archiver is not available in this version.", MB_OK | MB_ICONINFORMATION);
}

void OpenBackupDialog(HWND owner, const std::vector<std::string>& knownArchives) {
    CBackupArchivesDlg dialog(knownArchives, SystemPrompts());
    dialog.DoModal(owner);
}

}  // namespace tb

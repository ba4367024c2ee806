#include "browser/BrowserOperations.h"

#include "framework/Window.h"
#include "zip/SelfExtractDlg.h"

namespace tb {

namespace {
void NotInThisVersion(HWND owner) {
    ShowMessage(owner, "This part of File Archiver is not available in this version.", MB_OK | MB_ICONINFORMATION);
}
}  // namespace

void OpenExtractDialog(HWND owner, const std::string&, const std::vector<FileListRecord>&, int) {
    NotInThisVersion(owner);
}

void OpenFindArchivesDialog(HWND owner) { NotInThisVersion(owner); }

void OpenSelfExtractDialog(HWND owner, const std::string& archive) {
    CSelfExtractDlg dialog(archive);
    dialog.DoModal(owner);
}

}  // namespace tb

#include "browser/BrowserOperations.h"

#include "browser/ExtractDlg.h"
#include "browser/FindArchivesDlg.h"
#include "editor/PasswordDlg.h"
#include "framework/Window.h"
#include "zip/SelfExtractDlg.h"

namespace tb {

void OpenExtractDialog(HWND owner, const SettingsRecord& settings, const std::string& archive,
                       const std::vector<FileListRecord>& selection, int mode) {
    ExtractPrompts prompts{SystemPrompts(), &CPasswordDlg::Ask};
    CExtractDlg dialog(settings, archive, CExtractDlg::EntriesOf(selection), mode, std::move(prompts));
    dialog.DoModal(owner);
}

void OpenFindArchivesDialog(HWND owner, const SettingsRecord& settings, IArchiveFinder& finder) {
    CFindArchivesDlg dialog(settings, finder, SystemPrompts());
    dialog.DoModal(owner);
}

void OpenSelfExtractDialog(HWND owner, const std::string& archive) {
    CSelfExtractDlg dialog(archive);
    dialog.DoModal(owner);
}

}  // namespace tb

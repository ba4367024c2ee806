#pragma once
// CExtractDlg (dialog 165, "Extract File(s)"): extracts the entries of one
// archive, all of them or the ones the user selected, into a folder the user
// chooses: the default folder, the last one, the system temporary folder,
// "My Documents" or one browsed for. Existing files are overwritten, asked
// about, or kept while the new ones get numbered names; the stored folder
// names are used or dropped. The progress bar follows the work; Cancel stops
// it. The destination becomes the next last folder after a successful
// extraction (unless it was the default or the temporary folder).

#include <functional>
#include <string>
#include <vector>

#include "common/Settings.h"
#include "browser/ExtractBatches.h"
#include "browser/ExtractChoices.h"
#include "browser/FileList.h"
#include "framework/Dialog.h"
#include "framework/UserPrompts.h"

namespace tb {

class CExtraction;

// What the dialog asks of the user besides its own window.
struct ExtractPrompts {
    UserPrompts prompts;
    // The password dialog with this prompt; the text it held when it closed.
    std::function<std::string(HWND owner, const std::string& prompt)> askPassword;
};

class CExtractDlg : public CDialog {
public:
    // `settings` gives UnZipFlags and DefUnZipPath; `mode` is kExtractAllFiles
    // or kExtractSelectedFiles (callers pass the second when `selection` is
    // not empty). Show it with DoModal(owner): IDOK after an extraction,
    // IDCANCEL when the user cancelled.
    CExtractDlg(const SettingsRecord& settings, std::string archive, std::vector<ExtractEntry> selection, int mode,
                ExtractPrompts prompts);
    ~CExtractDlg() override;

    // The selected lines of an archive listing as entries to extract.
    static std::vector<ExtractEntry> EntriesOf(const std::vector<FileListRecord>& records);

    static constexpr const char* kPasswordPrompt =
        "This archive contains password protected files. Enter a password to extract these files.";

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void ShowFolder(ExtractDestination destination);
    void Browse();
    void Extract();
    void OnZipProgress(int percent);
    // Lets the user's clicks on this dialog through while the library works.
    void LetUserIn();
    void SetBar(int position);

    int m_unZipFlags;
    ExtractFolders m_folders;
    std::string m_archive;
    std::vector<ExtractEntry> m_selection;
    int m_mode;
    ExtractPrompts m_prompts;

    int m_followProgress = 1;
    int m_cancel = 0;
    bool m_busy = false;
    CExtraction* m_running = nullptr;
    unsigned m_lastLetIn = 0;
    int m_lastPercent = -1;
};

}  // namespace tb

#pragma once
// ExtFileDialog: the explorer-style file-open dialog of the editor's
// "Locate_Files" command, with the options panel (dialog 156) below the file
// list. The user selects files and presses OK, or types wildcards in the file
// name field and presses "Use Wildcards (*.xxx)", which ends the dialog with
// 1099 and nothing selected. The options live in section "Locate".

#include <string>

#include "framework/FileDialog.h"

namespace tb {

// Section "Locate" of the settings file.
struct LocateOptions {
    int Days = 0;
    int CheckChangedSince = 0;
    int CheckIncSubs = 0;
    int CheckUpdate = 0;

    static LocateOptions Read();
    // Writes "WildCardsString" and the four numbers.
    void Write(const std::string& wildcardText) const;
};

// The wildcard text is the file name field's text, cut to this many characters.
constexpr size_t kWildcardTextLimit = 2000;
// "Use Wildcards (*.xxx)" ends the dialog with this.
constexpr int kUseWildcards = 1099;

class CLocateOptionsPanel : public CFileDialogPanel {
public:
    explicit CLocateOptionsPanel(LocateOptions& options);

    int WildcardsChosen() const { return m_wildcardsChosen; }
    const std::string& WildcardText() const { return m_wildcardText; }

private:
    BOOL OnInitDialog() override;
    // Reads the panel into the options and writes section "Locate"; run
    // however the dialog ends.
    void SaveLocateOptions();

    LocateOptions& m_options;
    int m_wildcardsChosen = 0;
    std::string m_wildcardText;
};

class CExtFileDialog : public CFileDialog {
public:
    // Reads the options from section "Locate"; the wildcard text starts empty.
    CExtFileDialog(Mode mode, std::string initialName, const std::string& filterBars);

    const LocateOptions& Options() const { return m_options; }
    int WildcardsChosen() const { return m_panel.WildcardsChosen(); }
    const std::string& WildcardText() const { return m_panel.WildcardText(); }

private:
    LocateOptions m_options;
    CLocateOptionsPanel m_panel;
};

}  // namespace tb

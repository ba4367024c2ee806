#pragma once
// CFindArchivesDlg (dialog 163, "Update list of Archives (Zips)."): searches
// the chosen drives, or a folder tree, for ZIP archives; every archive found
// joins the known-archive list. "Clear List and Add" empties the list first,
// "Add New to List" keeps it (the choice is kept in "ClearNew"). A drive
// search closes the dialog; a folder search keeps it open for more.

#include <ctime>
#include <string>

#include "common/Settings.h"
#include "framework/Dialog.h"
#include "framework/UserPrompts.h"

namespace tb {

// What the dialog needs of the main window's known-archive list and of the
// folder search that feeds it.
class IArchiveFinder {
public:
    virtual ~IArchiveFinder() = default;
    // Empties the known-archive list and both lists of the main window.
    virtual void ClearKnownArchives() = 0;
    // Searches `folder` (with its subfolders when asked) for entries newer than
    // `since`; the archives among them join the known-archive list, which is
    // shown again. "" sets the found count to 0. Returns the found count, or
    // -1 when the user pressed "Abort Operation".
    virtual int SearchChangedFiles(const std::string& folder, time_t since, int withSubfolders) = 0;
};

// The time every file is newer than: 1 January 1970 01:01:01, local time.
time_t FindArchivesSince();

class CFindArchivesDlg : public CDialog {
public:
    // `settings` gives CustomDriveList, whose drives are preselected.
    CFindArchivesDlg(const SettingsRecord& settings, IArchiveFinder& finder, UserPrompts prompts);

protected:
    BOOL OnInitDialog() override;
    // "Search Now".
    void OnOK() override;

private:
    void Browse();
    bool ClearChosen() const;
    void WriteClearNew() const;

    std::string m_customDrives;
    IArchiveFinder& m_finder;
    UserPrompts m_prompts;
};

}  // namespace tb

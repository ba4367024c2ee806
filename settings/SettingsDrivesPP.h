#pragma once
// Settings page "Drives" (dialog 134): which drives are watched and which
// folders are left out.

#include <string>
#include <vector>

#include "settings/SettingsPage.h"

namespace tb {

// ExcludeDirList ("C:\A;;C:\B") as the page shows it: one folder per line.
std::string ExcludedFoldersAsLines(const std::string& list);
// The page's text back to ExcludeDirList: every carriage return and every
// line feed becomes ";".
std::string ExcludedFoldersFromText(const std::string& text);
// CustomDriveList from the chosen drive lines: the first character of each,
// at most 26.
std::string DriveLettersFromLines(const std::vector<std::string>& lines);

class SettingsDrivesPP : public CSettingsPage {
public:
    explicit SettingsDrivesPP(SettingsRecord& record);

    void Load() override;
    void Store() override;

protected:
    // A folder list the settings file could not give back whole keeps the
    // user on the page.
    bool CanLeave() override;

private:
    void StoreAndEnable();
    void ApplyEnabling();
    void Browse();
};

}  // namespace tb

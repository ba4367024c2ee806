#pragma once
// SettingsPS, "Archive Settings": the six settings pages on one Settings
// record (the working copy), with Help opening the settings help page.

#include "framework/PropertySheet.h"
#include "settings/SettingsDrivesPP.h"
#include "settings/SettingsFilesPP.h"
#include "settings/SettingsGeneralPP.h"
#include "settings/SettingsLocationPP.h"
#include "settings/SettingsPromptsPP.h"
#include "settings/SettingsUnZipPP.h"

namespace tb {

// The help page of the sheet, beside the program.
constexpr char kSettingsHelpPage[] = "hlpsettings.html";

class SettingsPS : public CPropertySheet {
public:
    explicit SettingsPS(SettingsRecord& working);

    SettingsGeneralPP m_general;
    SettingsLocationPP m_location;
    SettingsDrivesPP m_drives;
    SettingsFilesPP m_files;
    SettingsPromptsPP m_prompts;
    SettingsUnZipPP m_unzip;
};

}  // namespace tb

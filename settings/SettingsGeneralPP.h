#pragma once
// Settings page "Automatic" (dialog 130): monitoring, the archive triggers,
// the size limit and the new-type policy.

#include <map>
#include <optional>
#include <string>

#include "settings/SettingsPage.h"

namespace tb {

// What is wrong with a time text ("HH:MM:PM"), as the page says it; nothing
// when it is accepted.
std::optional<std::string> TimeTextProblem(const std::string& text);

// A count typed into a number field: blanks around it are allowed, an empty
// field is 0; nothing when the text is not a whole number a setting can hold.
std::optional<int> ParseCount(const std::string& text);

// Control id -> enabled, for every control the enabling rules touch.
std::map<int, bool> GeneralEnabling(int general);

class SettingsGeneralPP : public CSettingsPage {
public:
    explicit SettingsGeneralPP(SettingsRecord& record);

    void Load() override;
    void Store() override;

private:
    void StoreAndEnable();
    void ApplyEnabling();
};

}  // namespace tb

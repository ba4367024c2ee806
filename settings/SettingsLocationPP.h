#pragma once
// Settings page "Location" (dialog 133): where the automatic archives are
// written, the alternate folder used when that fails, and whether old dated
// archives there are folded into one archive per month.

#include <optional>
#include <string>
#include <vector>

#include "settings/SettingsPage.h"

namespace tb {

// The folder stored when the primary location is left empty.
constexpr char kDefaultArchiveLocation[] = "C:\\Auto Archives";
// Characters a location may not hold.
constexpr char kForbiddenLocationCharacters[] = ",.;<>?=+[]{}";

bool HasForbiddenLocationCharacter(const std::string& text);

// Stores the two location texts into the record; a text with a forbidden
// character leaves its key as it was. Returns the messages to show, in order.
std::vector<std::string> StoreLocations(const std::string& primary, const std::string& alternate,
                                        SettingsRecord& record);

// Stores the consolidation box and its number of days; a number that is not a
// whole number from kMinConsolidateDays to kMaxConsolidateDays leaves the days
// as they were and gives the message to show.
constexpr int kMaxConsolidateDays = 36500;
std::optional<std::string> StoreConsolidation(bool on, const std::string& days, SettingsRecord& record);

class SettingsLocationPP : public CSettingsPage {
public:
    explicit SettingsLocationPP(SettingsRecord& record);

    void Load() override;
    void Store() override;

private:
    void Browse(int editId);
    void ApplyEnabling();
};

}  // namespace tb

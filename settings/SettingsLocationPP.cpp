#include "settings/SettingsLocationPP.h"

#include "framework/Text.h"
#include "res/resource.h"
#include "settings/SettingsGeneralPP.h"

namespace tb {

namespace {

std::string ForbiddenMessage(const char* which) {
    return std::string("Incorrect character found in Automatic Archive location/directory.\n\n"
                       "Do not use ,.;<>?=+[]{}\n\n"
                       "If this is not corrected, automatic archiving may fail.\n\n"
                       "Please re-enter ") +
           which + ".";
}

}  // namespace

bool HasForbiddenLocationCharacter(const std::string& text) {
    return text.find_first_of(kForbiddenLocationCharacters) != std::string::npos;
}

std::vector<std::string> StoreLocations(const std::string& primary, const std::string& alternate,
                                        SettingsRecord& record) {
    std::vector<std::string> messages;
    const std::string location = primary.empty() ? std::string(kDefaultArchiveLocation) : primary;
    if (HasForbiddenLocationCharacter(location)) messages.push_back(ForbiddenMessage("archive location"));
    else record.LocationDir = location;
    if (HasForbiddenLocationCharacter(alternate)) messages.push_back(ForbiddenMessage("alternate archive location"));
    else record.LocationDirAlt = alternate;
    return messages;
}

std::optional<std::string> StoreConsolidation(bool on, const std::string& days, SettingsRecord& record) {
    record.ConsolidateArchives = on ? 1 : 0;
    const std::optional<int> count = ParseCount(days);
    if (count && *count >= kMinConsolidateDays && *count <= kMaxConsolidateDays) {
        record.ConsolidateDays = *count;
        return std::nullopt;
    }
    return Format("The number of days must be a whole number from %d to %d.\n\nThe previous value (%d) is kept.",
                  kMinConsolidateDays, kMaxConsolidateDays, record.ConsolidateDays);
}

SettingsLocationPP::SettingsLocationPP(SettingsRecord& record) : CSettingsPage(IDD_SETTINGS_LOCATION, record) {
    Map().OnCommand(IDC_LOC_BROWSE_PRIMARY, [this] { Browse(IDC_LOC_PRIMARY); });
    Map().OnCommand(IDC_LOC_BROWSE_ALTERNATE, [this] { Browse(IDC_LOC_ALTERNATE); });
    Map().OnCommand(IDC_LOC_CONSOLIDATE, [this] { ApplyEnabling(); });
}

void SettingsLocationPP::Load() {
    SetItemText(IDC_LOC_PRIMARY, m_record.LocationDir);
    SetItemText(IDC_LOC_ALTERNATE, m_record.LocationDirAlt);
    SetChecked(IDC_LOC_CONSOLIDATE, m_record.ConsolidateArchives != 0);
    SetItemUnsigned(IDC_LOC_CONSOLIDATE_DAYS, unsigned(m_record.ConsolidateDays));
    ApplyEnabling();
}

void SettingsLocationPP::Store() {
    for (const std::string& message : StoreLocations(ItemText(IDC_LOC_PRIMARY), ItemText(IDC_LOC_ALTERNATE), m_record))
        Tell(message);
    if (std::optional<std::string> problem =
            StoreConsolidation(IsChecked(IDC_LOC_CONSOLIDATE), ItemText(IDC_LOC_CONSOLIDATE_DAYS), m_record))
        Tell(*problem);
}

void SettingsLocationPP::ApplyEnabling() {
    const bool on = IsChecked(IDC_LOC_CONSOLIDATE);
    EnableItem(IDC_LOC_CONSOLIDATE_DAYS, on);
    EnableItem(IDC_LOC_CONSOLIDATE_LABEL, on);
}

void SettingsLocationPP::Browse(int editId) {
    if (std::optional<std::string> folder =
            BrowseFolder("Select Folder/Directory that is to be the default Automatic Archive folder."))
        SetItemText(editId, *folder);
}

}  // namespace tb

#include "settings/SettingsGeneralPP.h"

#include <climits>

#include "framework/Text.h"
#include "res/resource.h"

namespace tb {

namespace {

constexpr BitControl kGeneralBits[] = {
    {IDC_GEN_MONITOR, kGeneralMonitor},
    {IDC_GEN_ARCHIVE_AT_SHUTDOWN, kGeneralArchiveAtShutdown},
    {IDC_GEN_TIMED, kGeneralTimed},
    {IDC_GEN_SPECIFIC_TIME, kGeneralSpecificTime},
    {IDC_GEN_EVERY, kGeneralEveryHours},
    {IDC_GEN_SIZE_LIMIT, kGeneralSizeLimit},
    {IDC_GEN_LEARN_MODE, kGeneralLearnMode},
    {IDC_GEN_IGNORE_NEW, kGeneralIgnoreNewTypes},
    {IDC_GEN_ADD_RECOMMENDED, kGeneralAddRecommended},
    {IDC_GEN_ADD_ALL, kGeneralAddAll},
    {IDC_GEN_LET_ME_CHOOSE, kGeneralLetMeChoose},
};

std::string NumberMessage(const char* what, int kept) {
    return Format("%s must be a whole number from 0 to %d.\n\nThe previous value (%d) is kept.", what, INT_MAX,
                  kept);
}

}  // namespace

std::optional<std::string> TimeTextProblem(const std::string& text) {
    if (text.size() < 5 || text[2] != ':') return std::string("Time field incomplete, too short.");
    if (text.size() < 8) return std::string("Time field missing AM/PM    (HH:MM:PM).");
    if (text[5] != ':') return std::string("Missing or missplaced\":\" in time field.");
    return std::nullopt;
}

std::optional<int> ParseCount(const std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return 0;
    size_t end = text.find_last_not_of(" \t") + 1;
    long long value = 0;
    for (size_t i = start; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) return std::nullopt;
    }
    return int(value);
}

std::map<int, bool> GeneralEnabling(int general) {
    std::map<int, bool> enabled;
    enabled[IDC_GEN_SIZE] = (general & kGeneralSizeLimit) != 0;
    enabled[IDC_GEN_INTERVAL] = (general & kGeneralEveryHours) != 0;
    enabled[IDC_GEN_TIME] = (general & kGeneralSpecificTime) != 0;
    const bool timed = (general & kGeneralTimed) != 0;
    for (int id : {IDC_GEN_SPECIFIC_TIME, IDC_GEN_EVERY, IDC_GEN_TIME_LABEL, IDC_GEN_HOURS_LABEL}) enabled[id] = timed;
    if (!timed) enabled[IDC_GEN_TIME] = enabled[IDC_GEN_INTERVAL] = false;
    const bool monitor = (general & kGeneralMonitor) != 0;
    enabled[IDC_GEN_TIMED] = enabled[IDC_GEN_ARCHIVE_AT_SHUTDOWN] = monitor;
    // Catching up concerns the timed archives, which need monitoring.
    enabled[IDC_GEN_CATCH_UP] = timed && monitor;
    if (!monitor) enabled[IDC_GEN_TIME] = enabled[IDC_GEN_INTERVAL] = false;
    const bool learning = (general & kGeneralLearnMode) != 0;
    for (int id : {IDC_GEN_ADD_ALL, IDC_GEN_ADD_RECOMMENDED, IDC_GEN_LET_ME_CHOOSE}) enabled[id] = learning;
    return enabled;
}

SettingsGeneralPP::SettingsGeneralPP(SettingsRecord& record) : CSettingsPage(IDD_SETTINGS_GENERAL, record) {
    for (int id : {IDC_GEN_MONITOR, IDC_GEN_TIMED, IDC_GEN_SPECIFIC_TIME, IDC_GEN_EVERY, IDC_GEN_SIZE_LIMIT,
                   IDC_GEN_LEARN_MODE})
        Map().OnCommand(id, [this] { StoreAndEnable(); });
}

void SettingsGeneralPP::Load() {
    ShowChecks(ChecksFromBits(kGeneralBits, m_record.General));
    SetItemText(IDC_GEN_TIME, m_record.Time);
    SetItemUnsigned(IDC_GEN_INTERVAL, unsigned(m_record.Interval));
    SetItemUnsigned(IDC_GEN_SIZE, unsigned(m_record.Sizelimit));
    SetChecked(IDC_GEN_CATCH_UP, m_record.CatchUpMissed != 0);
    ApplyEnabling();
}

void SettingsGeneralPP::Store() {
    BitsFromChecks(kGeneralBits, ReadChecks(kGeneralBits), m_record.General);
    m_record.CatchUpMissed = IsChecked(IDC_GEN_CATCH_UP) ? 1 : 0;
    if (IsChecked(IDC_GEN_LET_ME_CHOOSE)) m_record.Prompts |= kPromptNewTypes;
    else m_record.Prompts &= ~kPromptNewTypes;

    const std::string time = ItemText(IDC_GEN_TIME);
    if (std::optional<std::string> problem = TimeTextProblem(time)) Tell(*problem);
    else m_record.Time = time;

    if (std::optional<int> hours = ParseCount(ItemText(IDC_GEN_INTERVAL))) m_record.Interval = *hours;
    else Tell(NumberMessage("The number of hours", m_record.Interval));
    if (std::optional<int> size = ParseCount(ItemText(IDC_GEN_SIZE))) m_record.Sizelimit = *size;
    else Tell(NumberMessage("The file size limit (Kb)", m_record.Sizelimit));
}

void SettingsGeneralPP::StoreAndEnable() {
    Store();
    ApplyEnabling();
}

void SettingsGeneralPP::ApplyEnabling() {
    for (const auto& [id, enabled] : GeneralEnabling(m_record.General)) EnableItem(id, enabled);
}

}  // namespace tb

#include "autoarchive/Schedule.h"

#include "framework/Text.h"

namespace tb {

void ParseArchiveTime(const std::string& text, int& hour, int& minute) {
    hour = LeadingInt(text);
    minute = text.size() > 3 ? LeadingInt(text.substr(3)) : 0;
    if (text.size() > 6 && (text[6] == 'P' || text[6] == 'p') && hour != 12) hour += 12;
}

ScheduleDecision ScheduleTick(ScheduleState& state, const SettingsRecord& settings, int hour, int minute) {
    ScheduleDecision decision;
    state.intervalMinutes += 5;
    const bool timed = (settings.General & kGeneralTimed) != 0;
    if (timed && (settings.General & kGeneralSpecificTime)) {
        int setHour = 0, setMinute = 0;
        ParseArchiveTime(settings.Time, setHour, setMinute);
        // Any later minute of the set hour matches, so a tick that comes a few
        // minutes late still fires.
        const bool matches = hour == setHour && minute >= setMinute;
        if (matches && state.timeLatch == 0) {
            state.timeLatch = 1;
            decision.specificTime = true;
        } else if (!matches) {
            state.timeLatch = 0;
        }
    }
    // In 64 bits: the General page takes any count of hours up to 2147483647.
    const long long intervalMinutes = static_cast<long long>(settings.Interval) * 60;
    if (timed && (settings.General & kGeneralEveryHours) && state.intervalMinutes > intervalMinutes) {
        decision.interval = true;
        state.intervalMinutes = 0;
    }
    return decision;
}

}  // namespace tb

#pragma once
// When the automatic archive is due: once a day at the set time, or every N
// hours. Decided on every timer message of the view (every five minutes).

#include <string>

#include "common/Settings.h"

namespace tb {

struct ScheduleState {
    int intervalMinutes = 0;  // minutes since the last interval archive; +5 per tick
    int timeLatch = 0;        // 1 after the specific-time archive fired, until the time no longer matches
};

// The set time "HH:MM:PM" as hour (0-23) and minute; PM adds 12 unless the
// hour is 12 (so 12 with AM is noon).
void ParseArchiveTime(const std::string& text, int& hour, int& minute);

struct ScheduleDecision {
    bool specificTime = false;
    bool interval = false;
};

// One tick at local time hour:minute. (A due archive that cannot run now,
// while the archive editor is open for one, is held back by the caller.)
ScheduleDecision ScheduleTick(ScheduleState& state, const SettingsRecord& settings, int hour, int minute);

}  // namespace tb

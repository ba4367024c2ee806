#pragma once
// Catching up on a missed automatic archive. When the program starts or the
// machine wakes, the archive at the set time may have been missed (the machine
// was off or asleep then): "LastArchiveTime" is older than the last moment the
// schedule named. Then one archive runs now, as the schedule would have run
// it. With "Every N Hours" the archive is missed when the last one is more
// than N hours old.
//
// The decision is made on wall-clock times, the way the settings file keeps
// "LastArchiveTime" and the way the schedule reads `Time`; only the interval
// needs the real time that passed, which the caller measures.

#include <ctime>
#include <optional>
#include <string>

#include "common/Settings.h"

namespace tb {

// A local calendar time as the clock on the wall shows it.
struct WallTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
bool operator<(const WallTime& a, const WallTime& b);

enum class CatchUp {
    None,
    SetTime,   // the archive at the set time of today or yesterday did not run
    Interval,  // the last archive is older than the interval
};

struct CatchUpFacts {
    WallTime now;
    std::optional<WallTime> lastArchive;  // none when "LastArchiveTime" is missing or unreadable
    long long secondsSinceLastArchive = 0;  // real time, daylight saving changes included
};

// When the set time comes within this many minutes, its own run is left to
// come instead of a catch-up now.
constexpr int kCatchUpLeadMinutes = 60;

CatchUp DecideCatchUp(const SettingsRecord& settings, const CatchUpFacts& facts);

// The facts at `now` with "LastArchiveTime" as written ("%d,%m,%Y,%H,%M,%S").
CatchUpFacts CatchUpFactsAt(time_t now, const std::string& lastArchiveText);

// The day before `day` (only year, month and day are used).
WallTime DayBefore(const WallTime& day);

}  // namespace tb

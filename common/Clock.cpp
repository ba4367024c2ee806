#include "common/Clock.h"

#include "framework/Text.h"

namespace tb {

namespace {
// Seconds from 1601-01-01 to 1970-01-01.
constexpr FileTicks kEpochDifference = 11644473600ULL;

ClockFunction gClock = nullptr;
}  // namespace

FileTicks TicksOf(const FILETIME& time) { return (FileTicks(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

FileTicks TicksFromTime(time_t time) { return (FileTicks(time) + kEpochDifference) * kTicksPerSecond; }

time_t TimeFromTicks(FileTicks ticks) { return time_t(ticks / kTicksPerSecond) - time_t(kEpochDifference); }

void SetClockSeam(ClockFunction clock) { gClock = clock; }

time_t CurrentTime() { return gClock ? gClock() : std::time(nullptr); }

int64_t LocalTimeTicks(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME local{};
    local.wYear = WORD(year);
    local.wMonth = WORD(month);
    local.wDay = WORD(day);
    local.wHour = WORD(hour);
    local.wMinute = WORD(minute);
    local.wSecond = WORD(second);
    SYSTEMTIME utc{};
    FILETIME time{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !::SystemTimeToFileTime(&utc, &time)) return 0;
    return int64_t(TicksOf(time));
}

int64_t ParseEntryDate(const std::string& dateText) {
    auto field = [&](size_t at) { return at < dateText.size() ? LeadingInt(dateText.substr(at)) : 0; };
    int year = field(6) + 1900;
    if (year < 1950) year += 100;
    return LocalTimeTicks(year, field(0), field(3), field(9), field(12), 0);
}

}  // namespace tb

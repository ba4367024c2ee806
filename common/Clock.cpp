#include "common/Clock.h"

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

}  // namespace tb

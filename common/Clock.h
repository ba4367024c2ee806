#pragma once
// The program's clock, and time as the file system keeps it. Every part that
// asks what time it is asks CurrentTime, so a test can set the clock.

#include <windows.h>

#include <ctime>

namespace tb {

// A point in time as file times are kept: 100-ns steps since 1601, UTC.
using FileTicks = unsigned long long;
constexpr FileTicks kTicksPerSecond = 10000000ULL;
FileTicks TicksOf(const FILETIME& time);
FileTicks TicksFromTime(time_t time);
// The whole second at or before `ticks`.
time_t TimeFromTicks(FileTicks ticks);

// The current time. Tests may replace the clock; null restores the system's.
using ClockFunction = time_t (*)();
void SetClockSeam(ClockFunction clock);
time_t CurrentTime();

}  // namespace tb

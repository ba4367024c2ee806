#pragma once
// The program's clock, and time as the file system keeps it. Every part that
// asks what time it is asks CurrentTime, so a test can set the clock.

#include <windows.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <unordered_map>

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

// The clock a test run of the whole program asks for: when the environment
// variable TALLYBOX_CLOCK holds a local time "YYYY-MM-DD HH:MM:SS", the
// program's clock starts at that moment and runs on from there. Returns true
// when the variable was there and well formed (the clock is then set).
bool SetClockFromEnvironment();
// The same from a text; false (and the clock untouched) when it is not a
// valid local time of that form.
bool SetClockStart(const std::string& localTime);

// A local calendar time (daylight saving as the system decides for that day)
// as a FILETIME value; 0 when it cannot be converted.
int64_t LocalTimeTicks(int year, int month, int day, int hour, int minute, int second);

// The date text the ZIP library gives an entry ("MM-DD-YY HH:MM"): month,
// day, two-digit year, hour and minute read at characters 0, 3, 6, 9 and 12;
// year + 1900, + 100 more below 1950; seconds 0; local time. A FILETIME
// value; 0 when invalid.
int64_t ParseEntryDate(const std::string& dateText);

// The fields of such a date text, each cut to 16 bits as the system's
// calendar record holds them.
struct EntryDateFields {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
EntryDateFields ParseEntryDateFields(std::string_view dateText);
// LocalTimeTicks of the fields, seconds 0.
int64_t EntryDateTicks(const EntryDateFields& local);

// Gives the same times as ParseEntryDate, but asks the system twice per hour
// of the calendar rather than once per entry: an archive's entries share few
// hours, and the conversion is slow under Wine. Within an hour whose minute 0
// and minute 59 lie 59 minutes apart, every minute lies where its count says;
// in an hour that a clock change cuts (or an invalid one), each time is asked
// for by itself.
class CEntryDateParser {
public:
    using Conversion = int64_t (*)(const EntryDateFields& local);
    explicit CEntryDateParser(Conversion convert = EntryDateTicks) : m_convert(convert) {}

    int64_t Parse(std::string_view dateText);
    int64_t Convert(const EntryDateFields& local);

private:
    struct Hour {
        int64_t start = 0;    // minute 0 of the hour
        bool linear = false;  // false: ask the system for each time of this hour
    };
    Conversion m_convert;
    std::unordered_map<uint64_t, Hour> m_hours;
};

}  // namespace tb

// "LastArchiveTime": its text, its fallback, and the progress positions.

#include <windows.h>

#include <ctime>
#include <string>

#include "autoarchive/ChangeListBuilder.h"
#include "doctest/doctest.h"
#include "tests/unit/TestTime.h"
#include "tests/unit/TestIni.h"

using namespace tb;

namespace {

time_t gFixedNow = 0;
time_t FixedClock() { return gFixedNow; }

// The clock stands still at `now` for one test.
class FixedTime {
public:
    explicit FixedTime(time_t now) {
        gFixedNow = now;
        SetClockSeam(&FixedClock);
    }
    ~FixedTime() { SetClockSeam(nullptr); }
};

// The local calendar time of a point in time, through the system's conversion.
SYSTEMTIME LocalCalendar(FileTicks ticks) {
    FILETIME utc{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)}, local{};
    ::FileTimeToLocalFileTime(&utc, &local);
    SYSTEMTIME calendar{};
    ::FileTimeToSystemTime(&local, &calendar);
    return calendar;
}


}  // namespace

TEST_CASE("LastArchiveTime is read as day, month, year, hour, minute, second of local time") {
    TestIni ini("[Settings]\r\nLastArchiveTime=5,3,2001,14,07,09\r\n");
    const SYSTEMTIME read = LocalCalendar(ReadLastArchiveTime());
    CHECK(read.wYear == 2001);
    CHECK(read.wMonth == 3);
    CHECK(read.wDay == 5);
    CHECK(read.wHour == 14);
    CHECK(read.wMinute == 7);
    CHECK(read.wSecond == 9);
    CHECK(read.wMilliseconds == 0);
}

TEST_CASE("a missing or short LastArchiveTime means one day before now") {
    FixedTime now(LocalTime(2026, 6, 15, 12, 0, 0));
    const FileTicks dayBefore = TicksFromTime(gFixedNow - 24 * 60 * 60);
    for (const char* value : {"", "5,3,2001", "5,3,2001,14,07", "garbage"}) {
        TestIni ini(std::string("[Settings]\r\nLastArchiveTime=") + value + "\r\n");
        CHECK_MESSAGE(ReadLastArchiveTime() == dayBefore, "value \"" << value << "\"");
    }
    TestIni none;
    CHECK(ReadLastArchiveTime() == dayBefore);
}

TEST_CASE("LastArchiveTime is written zero-padded and reads back to the same second") {
    TestIni ini;
    const time_t when = LocalTime(2001, 3, 5, 14, 7, 9);
    WriteLastArchiveTime(when);
    CHECK(ini.Value("Settings", "LastArchiveTime") == "05,03,2001,14,07,09");
    CHECK(ReadLastArchiveTime() == TicksFromTime(when));

    FixedTime now(LocalTime(2026, 12, 31, 23, 59, 58));
    WriteLastArchiveTime();
    CHECK(ini.Value("Settings", "LastArchiveTime") == "31,12,2026,23,59,58");
}

TEST_CASE("LastArchiveTime is read with a 200-character buffer") {
    FixedTime now(LocalTime(2026, 6, 15, 12, 0, 0));
    // Whole, the value is 5 March 2001 14:07:09; its fifth comma lies past the buffer.
    const std::string padded = "5,3,2001,14," + std::string(200, '0') + "7,09";
    TestIni cut("[Settings]\r\nLastArchiveTime=" + padded + "\r\n");
    CHECK(ReadLastArchiveTime() == TicksFromTime(gFixedNow - 24 * 60 * 60));
    TestIni fits("[Settings]\r\nLastArchiveTime=5,3,2001,14," + std::string(150, '0') + "7,09\r\n");
    CHECK(LocalCalendar(ReadLastArchiveTime()).wMinute == 7);
}

TEST_CASE("the build runs its bar quickly to 90, then creeps") {
    CHECK(BuildProgressPosition(0) == 0);
    CHECK(BuildProgressPosition(1) == 5);
    CHECK(BuildProgressPosition(18) == 90);
    CHECK(BuildProgressPosition(19) == 90);
    CHECK(BuildProgressPosition(100) == 91);
    CHECK(BuildProgressPosition(999) == 99);
    CHECK(BuildProgressPosition(1000) == 100);
}

TEST_CASE("the search's bar moves by found entries") {
    CHECK(SearchProgressPosition(0) == 0);
    CHECK(SearchProgressPosition(361) == 0);
    CHECK(SearchProgressPosition(362) == 1);
    CHECK(SearchProgressPosition(34751) == 95);
    CHECK(SearchProgressPosition(34752) == 34);  // past 95 it counts thousands
    CHECK(SearchProgressPosition(100000) == 100);
}

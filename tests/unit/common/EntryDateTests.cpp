// Entry dates converted once per hour give the times converted one by one.
// This program runs in a zone whose clock changes at half past the hour.

#include <windows.h>

#include <cstdio>
#include <tuple>

#include "common/Clock.h"
#include "doctest/doctest.h"

using namespace tb;

namespace {
constexpr int64_t kMinute = 60LL * 10000000LL;

EntryDateFields Fields(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute) {
    EntryDateFields f;
    f.year = year;
    f.month = month;
    f.day = day;
    f.hour = hour;
    f.minute = minute;
    return f;
}

// A made-up zone: the clock goes back half an hour at 02:30 on 10 March 2024
// (local times from then on lie 30 minutes later in UTC); days past the 31st
// and hours past 23 are refused.
int g_conversions = 0;
int64_t HalfHourShift(const EntryDateFields& f) {
    ++g_conversions;
    if (f.day > 31 || f.hour > 23 || f.minute > 59) return 0;
    int64_t t = ((((int64_t(f.year) * 13 + f.month) * 32 + f.day) * 24 + f.hour) * 60 + f.minute) * kMinute;
    const bool after = std::make_tuple(f.year, f.month, f.day, f.hour * 60 + f.minute) >=
                       std::make_tuple(2024u, 3u, 10u, 2u * 60 + 30);
    return after ? t + 30 * kMinute : t;
}
}  // namespace

TEST_CASE("dates converted once per hour are the dates converted one by one") {
    SUBCASE("through the system's zone, every night of the months where clocks change, and invalid dates") {
        // The test runs in a zone whose clock changes at half past (CMake sets
        // TZ): such an hour cannot be converted by its minute 0.
        CEntryDateParser dates;
        auto same = [&](const char* text) {
            INFO(text);
            CHECK(dates.Parse(text) == ParseEntryDate(text));
        };
        char text[32];
        for (int month : {3, 4, 10, 11})
            for (int day = 1; day <= 31; ++day)
                for (int hour = 0; hour < 5; ++hour)
                    for (int minute = 0; minute < 60; ++minute) {
                        std::snprintf(text, sizeof text, "%02d-%02d-24 %02d:%02d", month, day, hour, minute);
                        same(text);
                    }
        for (const char* invalid : {"02-30-23 10:15", "13-01-24 10:15", "01-01-24 24:00", "01-01-24 10:60", "", "99"})
            same(invalid);
    }
    SUBCASE("an hour that a clock change cuts is converted minute by minute") {
        CEntryDateParser dates(HalfHourShift);
        for (unsigned day : {9u, 10u, 32u})
            for (unsigned hour = 0; hour < 25; ++hour)
                for (unsigned minute = 0; minute < 61; ++minute) {
                    const EntryDateFields f = Fields(2024, 3, day, hour, minute);
                    INFO(day << " " << hour << ":" << minute);
                    CHECK(dates.Convert(f) == HalfHourShift(f));
                }
    }
    SUBCASE("a whole archive of one hour asks the system twice") {
        g_conversions = 0;
        CEntryDateParser dates(HalfHourShift);
        for (int entry = 0; entry < 1000; ++entry) dates.Convert(Fields(2024, 5, 1, 14, unsigned(entry % 60)));
        CHECK(g_conversions == 2);
    }
}


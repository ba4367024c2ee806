// The clock a test of the whole program sets through TALLYBOX_CLOCK.

#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "common/Clock.h"
#include "doctest/doctest.h"

namespace tb {

TEST_CASE("a set clock starts at the given local time and runs on; bad texts leave the clock alone") {
    struct Restore {
        ~Restore() {
            SetClockSeam(nullptr);
            ::SetEnvironmentVariableA("TALLYBOX_CLOCK", nullptr);
        }
    } restore;

    const char* const bad[] = {"", "2026-11-02", "2026-11-02 25:00:00", "2026-02-30 10:00:00",
                               "2026-11-02 10:00:00x", "02.11.2026 10:00:00", "1960-01-01 00:00:00"};
    for (const char* text : bad) {
        INFO(text);
        CHECK_FALSE(SetClockStart(text));
        CHECK(std::labs(long(CurrentTime() - std::time(nullptr))) <= 1);
    }

    REQUIRE(SetClockStart("2026-11-02 10:30:00"));
    const time_t now = CurrentTime();
    const std::tm local = *std::localtime(&now);
    CHECK(local.tm_year == 2026 - 1900);
    CHECK(local.tm_mon == 10);
    CHECK(local.tm_mday == 2);
    CHECK(local.tm_hour == 10);
    CHECK(local.tm_min == 30);
    CHECK(local.tm_sec <= 2);

    ::SetEnvironmentVariableA("TALLYBOX_CLOCK", "2031-01-05 23:59:59");
    REQUIRE(SetClockFromEnvironment());
    const time_t later = CurrentTime();
    const std::tm set = *std::localtime(&later);
    CHECK(set.tm_year == 2031 - 1900);
    CHECK(set.tm_yday == 4);
    ::Sleep(1100);  // the set clock runs on: past midnight into 6 January
    const time_t after = CurrentTime();
    CHECK(std::localtime(&after)->tm_mday == 6);

    ::SetEnvironmentVariableA("TALLYBOX_CLOCK", nullptr);
    CHECK_FALSE(SetClockFromEnvironment());
}

}  // namespace tb

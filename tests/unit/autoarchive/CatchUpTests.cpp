// Whether a missed automatic archive is caught up when the program starts or
// the machine wakes: the decision on wall-clock times, the facts read from
// "LastArchiveTime", and the controller making the run once.

#include "autoarchive/CatchUp.h"
#include "doctest/doctest.h"
#include "tests/unit/TestTime.h"

using namespace tb;

namespace {

WallTime At(int year, int month, int day, int hour, int minute) { return WallTime{year, month, day, hour, minute, 0}; }

// Archive at 10:30 every day, monitoring on.
SettingsRecord DailyAt(const char* time) {
    SettingsRecord s;
    s.General = kGeneralMonitor | kGeneralTimed | kGeneralSpecificTime;
    s.Time = time;
    return s;
}

CatchUp Decide(const SettingsRecord& s, const WallTime& now, const WallTime& last, long long seconds = 0) {
    CatchUpFacts facts;
    facts.now = now;
    facts.lastArchive = last;
    facts.secondsSinceLastArchive = seconds;
    return DecideCatchUp(s, facts);
}

}  // namespace

TEST_CASE("the set time missed while the machine was off or asleep is caught up; one that ran or is near is not") {
    const SettingsRecord s = DailyAt("10:30:AM");
    const WallTime ranOnThe5th = At(2026, 12, 5, 10, 31);

    // Off all of the 6th: started on the 7th, before and after the time.
    CHECK(Decide(s, At(2026, 12, 7, 8, 0), ranOnThe5th) == CatchUp::SetTime);
    CHECK(Decide(s, At(2026, 12, 7, 15, 0), ranOnThe5th) == CatchUp::SetTime);
    // Started just before the time: today's own run comes soon and covers it.
    CHECK(Decide(s, At(2026, 12, 7, 10, 0), ranOnThe5th) == CatchUp::None);
    CHECK(Decide(s, At(2026, 12, 7, 9, 30), ranOnThe5th) == CatchUp::None);
    CHECK(Decide(s, At(2026, 12, 7, 9, 29), ranOnThe5th) == CatchUp::SetTime);
    // Started after the time on the day of the last run: nothing was missed.
    CHECK(Decide(s, At(2026, 12, 5, 18, 0), ranOnThe5th) == CatchUp::None);
    // The next morning, long before the time: yesterday's ran.
    CHECK(Decide(s, At(2026, 12, 6, 8, 0), ranOnThe5th) == CatchUp::None);
    // Started after the time on the next day, which missed it.
    CHECK(Decide(s, At(2026, 12, 6, 10, 30), ranOnThe5th) == CatchUp::SetTime);

    // Asleep across the time: an archive by command at 09:50, woken at 11:15.
    CHECK(Decide(s, At(2026, 12, 6, 11, 15), At(2026, 12, 6, 9, 50)) == CatchUp::SetTime);
    // Woken in the set hour after the run: nothing to do.
    CHECK(Decide(s, At(2026, 12, 6, 10, 50), At(2026, 12, 6, 10, 31)) == CatchUp::None);
    // A run by command after the missed time archived the changes already.
    CHECK(Decide(s, At(2026, 12, 6, 16, 0), At(2026, 12, 6, 12, 0)) == CatchUp::None);

    // Across a month and a year: the time of December 31 was missed.
    CHECK(Decide(s, At(2027, 1, 1, 8, 0), At(2026, 12, 30, 10, 31)) == CatchUp::SetTime);
    CHECK(Decide(s, At(2027, 1, 1, 8, 0), At(2026, 12, 31, 10, 31)) == CatchUp::None);
    CHECK(Decide(s, At(2028, 3, 1, 8, 0), At(2028, 2, 29, 10, 31)) == CatchUp::None);
    CHECK(Decide(s, At(2028, 3, 1, 8, 0), At(2028, 2, 28, 10, 31)) == CatchUp::SetTime);

    // PM times, and noon written as 12 with AM.
    CHECK(Decide(DailyAt("01:15:PM"), At(2026, 12, 6, 14, 0), At(2026, 12, 6, 12, 0)) == CatchUp::SetTime);
    CHECK(Decide(DailyAt("01:15:PM"), At(2026, 12, 6, 12, 30), At(2026, 12, 5, 13, 20)) == CatchUp::None);
    CHECK(Decide(DailyAt("12:30:AM"), At(2026, 12, 6, 13, 0), At(2026, 12, 6, 9, 0)) == CatchUp::SetTime);
}

TEST_CASE("daylight saving changes: wall-clock times decide, so a skipped or repeated hour neither loses nor doubles") {
    // The night the clocks go forward at 02:00, 02:30 never shows on the
    // clock and no tick of that hour comes: started in the morning, it is
    // caught up.
    const SettingsRecord early = DailyAt("02:30:AM");
    CHECK(Decide(early, At(2026, 3, 29, 9, 0), At(2026, 3, 28, 2, 31)) == CatchUp::SetTime);
    // The night the clocks go back, 02:00-02:59 comes twice: the archive ran
    // in the first pass; waking in the second pass is no reason for another.
    CHECK(Decide(early, At(2026, 10, 25, 2, 45), At(2026, 10, 25, 2, 31)) == CatchUp::None);
    CHECK(Decide(early, At(2026, 10, 25, 2, 10), At(2026, 10, 25, 2, 31)) == CatchUp::None);

    // Every N hours counts real time: 4 hours over the night the clocks
    // go back are 5 hours on the wall, and 4 real hours are enough.
    SettingsRecord hourly;
    hourly.General = kGeneralMonitor | kGeneralTimed | kGeneralEveryHours;
    hourly.Interval = 4;
    CHECK(Decide(hourly, At(2026, 10, 25, 5, 0), At(2026, 10, 25, 0, 0), 4 * 3600) == CatchUp::Interval);
    CHECK(Decide(hourly, At(2026, 3, 29, 4, 0), At(2026, 3, 29, 0, 0), 3 * 3600) == CatchUp::None);
}

TEST_CASE("every N hours: an archive older than N hours is caught up") {
    SettingsRecord s;
    s.General = kGeneralMonitor | kGeneralTimed | kGeneralEveryHours;
    s.Interval = 4;
    const WallTime now = At(2026, 12, 7, 9, 0), last = At(2026, 12, 7, 4, 0);
    CHECK(Decide(s, now, last, 5 * 3600) == CatchUp::Interval);
    CHECK(Decide(s, now, last, 4 * 3600) == CatchUp::Interval);
    CHECK(Decide(s, now, last, 4 * 3600 - 1) == CatchUp::None);
    // A very large interval does not overflow into "always due".
    s.Interval = 2147483647;
    CHECK(Decide(s, now, last, 400LL * 24 * 3600) == CatchUp::None);
    // No interval set: the tick runs it within minutes anyway.
    s.Interval = 0;
    CHECK(Decide(s, now, last, 5 * 3600) == CatchUp::None);
}

TEST_CASE("no catch-up without monitoring, without timed archives, when switched off or never archived") {
    const WallTime now = At(2026, 12, 7, 15, 0), last = At(2026, 12, 1, 10, 31);
    SettingsRecord s = DailyAt("10:30:AM");
    REQUIRE(Decide(s, now, last) == CatchUp::SetTime);
    s.General &= ~kGeneralMonitor;
    CHECK(Decide(s, now, last) == CatchUp::None);
    s = DailyAt("10:30:AM");
    s.General &= ~kGeneralTimed;
    CHECK(Decide(s, now, last) == CatchUp::None);
    s = DailyAt("10:30:AM");
    s.CatchUpMissed = 0;
    CHECK(Decide(s, now, last) == CatchUp::None);
    s = DailyAt("10:30:AM");
    CatchUpFacts never;
    never.now = now;
    CHECK(DecideCatchUp(s, never) == CatchUp::None);
    // A time the page would refuse never fires.
    CHECK(Decide(DailyAt("99:99:AM"), now, last) == CatchUp::None);
}

TEST_CASE("the facts from the settings file's last archive time") {
    const time_t now = LocalTime(2026, 12, 7, 9, 0, 0);
    CatchUpFacts facts = CatchUpFactsAt(now, "05,12,2026,10,31,07");
    REQUIRE(facts.lastArchive);
    CHECK(facts.lastArchive->year == 2026);
    CHECK(facts.lastArchive->month == 12);
    CHECK(facts.lastArchive->day == 5);
    CHECK(facts.lastArchive->hour == 10);
    CHECK(facts.lastArchive->minute == 31);
    CHECK(facts.lastArchive->second == 7);
    CHECK(facts.now.day == 7);
    CHECK(facts.now.hour == 9);
    CHECK(facts.secondsSinceLastArchive == now - LocalTime(2026, 12, 5, 10, 31, 7));
    for (const char* text : {"", "garbage", "05,12,2026", "05,13,2026,10,31,07", "00,12,2026,10,31,07"}) {
        CAPTURE(text);
        CHECK_FALSE(CatchUpFactsAt(now, text).lastArchive);
    }
}

#include "autoarchive/CatchUp.h"

#include <tuple>

#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/Schedule.h"
#include "framework/Text.h"

namespace tb {

namespace {

auto Tie(const WallTime& t) { return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second); }

WallTime WallTimeOf(const std::tm& local) {
    return WallTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool SetTimeDue(const SettingsRecord& settings, const CatchUpFacts& facts) {
    int hour = 0, minute = 0;
    ParseArchiveTime(settings.Time, hour, minute);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return false;
    const int nowMinutes = facts.now.hour * 60 + facts.now.minute;
    const int setMinutes = hour * 60 + minute;
    // The archive of today has not come yet and comes soon: it covers the
    // missed one, as every run takes all changes since the last archive.
    if (nowMinutes < setMinutes && setMinutes - nowMinutes <= kCatchUpLeadMinutes) return false;
    WallTime lastSet = nowMinutes >= setMinutes ? facts.now : DayBefore(facts.now);
    lastSet.hour = hour;
    lastSet.minute = minute;
    lastSet.second = 0;
    return *facts.lastArchive < lastSet;
}

}  // namespace

bool operator<(const WallTime& a, const WallTime& b) { return Tie(a) < Tie(b); }

WallTime DayBefore(const WallTime& day) {
    WallTime before = day;
    if (--before.day >= 1) return before;
    if (--before.month < 1) {
        before.month = 12;
        --before.year;
    }
    before.day = DaysInMonth(before.year, before.month);
    return before;
}

CatchUp DecideCatchUp(const SettingsRecord& settings, const CatchUpFacts& facts) {
    const int needed = kGeneralMonitor | kGeneralTimed;
    if (!settings.CatchUpMissed || (settings.General & needed) != needed) return CatchUp::None;
    // Never archived yet: nothing the schedule promised was missed.
    if (!facts.lastArchive) return CatchUp::None;
    if ((settings.General & kGeneralSpecificTime) && SetTimeDue(settings, facts)) return CatchUp::SetTime;
    if ((settings.General & kGeneralEveryHours) && settings.Interval > 0 &&
        facts.secondsSinceLastArchive >= static_cast<long long>(settings.Interval) * 3600)
        return CatchUp::Interval;
    return CatchUp::None;
}

CatchUpFacts CatchUpFactsAt(time_t now, const std::string& lastArchiveText) {
    CatchUpFacts facts;
    if (const std::tm* local = std::localtime(&now)) facts.now = WallTimeOf(*local);
    std::tm last{};
    if (!ParseLastArchiveTime(lastArchiveText, last)) return facts;
    if (last.tm_mon < 0 || last.tm_mon > 11 || last.tm_mday < 1 || last.tm_mday > 31 || last.tm_year < 70) return facts;
    facts.lastArchive = WallTimeOf(last);
    const time_t then = std::mktime(&last);
    if (then != time_t(-1)) facts.secondsSinceLastArchive = static_cast<long long>(now - then);
    return facts;
}

}  // namespace tb

#include "history/MonthFold.h"

#include <map>
#include <unordered_map>

namespace tb {

namespace {

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
long long DayNumber(int year, int month, int day) {
    const long long y = month <= 2 ? year - 1 : year;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// -1, 0 or 1 as entry a is older than, as old as or newer than entry b.
int CompareTimes(const FoldEntry& a, const FoldEntry& b) {
    if (a.haveUnixTime && b.haveUnixTime) {
        if (a.unixTime != b.unixTime) return a.unixTime < b.unixTime ? -1 : 1;
        return 0;
    }
    if (a.dosTime != b.dosTime) return a.dosTime < b.dosTime ? -1 : 1;
    return 0;
}

}  // namespace

std::string FoldKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c == '\\') c = '/';
        else if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return key;
}

std::vector<FoldPick> PlanMonthFold(const std::vector<FoldSource>& sources) {
    // Whether source a's copies are later than source b's when the times agree.
    const auto laterSource = [&](size_t a, size_t b) {
        const int ka = sources[a].date.SortKey(), kb = sources[b].date.SortKey();
        return ka != kb ? ka > kb : a > b;
    };
    std::vector<FoldPick> picks;
    std::unordered_map<std::string, size_t> pickOf;
    for (size_t s = 0; s < sources.size(); ++s) {
        for (size_t e = 0; e < sources[s].entries.size(); ++e) {
            const auto [at, added] = pickOf.emplace(FoldKey(sources[s].entries[e].name), picks.size());
            if (added) {
                picks.push_back({s, e});
                continue;
            }
            FoldPick& kept = picks[at->second];
            const int order = CompareTimes(sources[s].entries[e], sources[kept.source].entries[kept.entry]);
            const bool newer = order > 0 || (order == 0 && (s == kept.source ? e > kept.entry : laterSource(s, kept.source)));
            if (newer) kept = {s, e};
        }
    }
    return picks;
}

std::vector<MonthToFold> MonthsDueForFolding(const std::vector<DatedArchive>& listing, const std::tm& today, int days) {
    const long long todayNumber = DayNumber(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday);
    std::map<int, MonthToFold> months;  // by yyyymm: oldest first
    std::map<int, std::string> monthArchives;
    for (const DatedArchive& archive : listing) {
        const ArchiveDate& date = archive.date;
        const int key = date.year * 100 + date.month;
        if (date.IsMonth()) {
            monthArchives[key] = archive.path;
            continue;
        }
        if (!date.IsDay() || todayNumber - DayNumber(date.year, date.month, date.day) <= days) continue;
        MonthToFold& month = months[key];
        month.year = date.year;
        month.month = date.month;
        month.days.push_back(archive);
    }
    std::vector<MonthToFold> due;
    for (auto& [key, month] : months) {
        auto found = monthArchives.find(key);
        if (found != monthArchives.end()) month.monthArchive = found->second;
        due.push_back(std::move(month));
    }
    return due;
}

}  // namespace tb

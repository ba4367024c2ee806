#include "history/MonthFold.h"

#include <map>
#include <unordered_map>

namespace tb {

namespace {

constexpr char kFoldedUpTo[] = "Day archives folded up to ";

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

std::string FoldedUpToComment(const ArchiveDate& lastDay) {
    return lastDay.IsDay() ? kFoldedUpTo + lastDay.Text() : std::string();
}

ArchiveDate FoldedUpTo(const std::string& comment) {
    const std::string prefix = kFoldedUpTo;
    if (comment.compare(0, prefix.size(), prefix) != 0) return ArchiveDate();
    const ArchiveDate day = ParseArchiveDate(comment.substr(prefix.size()) + ".zip");
    return day.IsDay() ? day : ArchiveDate();
}

std::string FoldKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c == '\\') c = '/';
        else if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return key;
}

std::vector<FoldPick> PlanMonthFold(const std::vector<FoldSource>& sources) {
    // Whether entry e of source s is a later copy than the one kept.
    const auto later = [&](size_t s, size_t e, const FoldPick& kept) {
        const int day = sources[s].date.SortKey(), keptDay = sources[kept.source].date.SortKey();
        if (day != keptDay) return day > keptDay;
        const int order = CompareTimes(sources[s].entries[e], sources[kept.source].entries[kept.entry]);
        if (order != 0) return order > 0;
        return s == kept.source ? e > kept.entry : s > kept.source;
    };
    std::vector<FoldPick> picks;
    std::unordered_map<std::string, size_t> pickOf;
    for (size_t s = 0; s < sources.size(); ++s) {
        for (size_t e = 0; e < sources[s].entries.size(); ++e) {
            const auto [at, added] = pickOf.emplace(FoldKey(sources[s].entries[e].name), picks.size());
            if (added) picks.push_back({s, e});
            else if (later(s, e, picks[at->second])) picks[at->second] = {s, e};
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

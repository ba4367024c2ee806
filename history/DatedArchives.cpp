#include "history/DatedArchives.h"

#include <algorithm>
#include <cctype>

#include "framework/DirectoryWalker.h"
#include "framework/Path.h"
#include "framework/Text.h"

namespace tb {

namespace {

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool SameLetters(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

// The month 1..12 whose full name `word` is; 0 when none.
int MonthOfName(const std::string& word) {
    for (int m = 0; m < 12; ++m)
        if (SameLetters(word, kMonths[m])) return m + 1;
    return 0;
}

// `count` decimal digits at `at`; -1 when they are not all digits.
int Digits(const std::string& text, size_t at, size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool ValidYear(int year) { return year >= 1601 && year <= 9999; }

}  // namespace

std::string MonthName(int month) { return month >= 1 && month <= 12 ? kMonths[month - 1] : ""; }

ArchiveDate ArchiveDate::DayOf(int year, int month, int day) {
    ArchiveDate date;
    if (!ValidYear(year) || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return date;
    date.kind = Kind::Day;
    date.year = year;
    date.month = month;
    date.day = day;
    return date;
}

ArchiveDate ArchiveDate::MonthOf(int year, int month) {
    ArchiveDate date;
    if (!ValidYear(year) || month < 1 || month > 12) return date;
    date.kind = Kind::Month;
    date.year = year;
    date.month = month;
    return date;
}

ArchiveDate ArchiveDate::DayOf(const std::tm& local) {
    return DayOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string ArchiveDate::Text() const {
    if (IsDay()) return Format("%s %02d %04d", kMonths[month - 1], day, year);
    if (IsMonth()) return Format("%s %04d", kMonths[month - 1], year);
    return "";
}

std::string ArchiveDate::FileName() const { return IsDated() ? Text() + ".zip" : ""; }

bool operator==(const ArchiveDate& a, const ArchiveDate& b) {
    return a.kind == b.kind && a.year == b.year && a.month == b.month && a.day == b.day;
}

std::string DatedArchiveName(const std::tm& local) {
    const int month = local.tm_mon >= 0 && local.tm_mon < 12 ? local.tm_mon : 0;
    return Format("%s %02d %04d.zip", kMonths[month], local.tm_mday, local.tm_year + 1900);
}

std::string MonthArchiveName(int year, int month) { return ArchiveDate::MonthOf(year, month).FileName(); }

ArchiveDate ParseArchiveDate(const std::string& fileName) {
    const size_t blank = fileName.find(' ');
    if (blank == std::string::npos) return {};
    const int month = MonthOfName(fileName.substr(0, blank));
    if (month == 0) return {};
    const std::string rest = fileName.substr(blank + 1);
    // "dd yyyy.zip" (11 characters) or "yyyy.zip" (8).
    if (rest.size() == 11 && rest[2] == ' ' && SameLetters(rest.substr(7), ".zip")) {
        const int day = Digits(rest, 0, 2), year = Digits(rest, 3, 4);
        if (day < 0 || year < 0) return {};
        return ArchiveDate::DayOf(year, month, day);
    }
    if (rest.size() == 8 && SameLetters(rest.substr(4), ".zip")) {
        const int year = Digits(rest, 0, 4);
        if (year < 0) return {};
        return ArchiveDate::MonthOf(year, month);
    }
    return {};
}

std::string ArchivePath(const std::string& folder, const std::string& name) { return JoinPath(folder, name); }

std::vector<DatedArchive> ListDatedArchives(const std::string& folder) {
    std::vector<DatedArchive> found;
    if (folder.empty()) return found;
    CDirectoryWalker walk(folder, CDirectoryWalker::Options(0));
    for (WalkEntry entry; walk.Next(entry);) {
        if (entry.IsDirectory()) continue;
        const ArchiveDate date = ParseArchiveDate(entry.name);
        if (!date.IsDated()) continue;
        found.push_back({entry.path, date, entry.size, TicksOf(entry.lastWrite)});
    }
    std::sort(found.begin(), found.end(), [](const DatedArchive& a, const DatedArchive& b) {
        if (a.date.SortKey() != b.date.SortKey()) return a.date.SortKey() < b.date.SortKey();
        return a.path < b.path;
    });
    return found;
}

}  // namespace tb

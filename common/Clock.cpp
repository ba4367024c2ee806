#include "common/Clock.h"

#include "framework/Text.h"

namespace tb {

namespace {
// Seconds from 1601-01-01 to 1970-01-01.
constexpr FileTicks kEpochDifference = 11644473600ULL;

ClockFunction gClock = nullptr;

// Seconds between the set clock and the system's.
time_t gClockOffset = 0;
time_t OffsetClock() { return std::time(nullptr) + gClockOffset; }
}  // namespace

FileTicks TicksOf(const FILETIME& time) { return (FileTicks(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

FileTicks TicksFromTime(time_t time) { return (FileTicks(time) + kEpochDifference) * kTicksPerSecond; }

time_t TimeFromTicks(FileTicks ticks) { return time_t(ticks / kTicksPerSecond) - time_t(kEpochDifference); }

void SetClockSeam(ClockFunction clock) { gClock = clock; }

time_t CurrentTime() { return gClock ? gClock() : std::time(nullptr); }

bool SetClockStart(const std::string& localTime) {
    // "YYYY-MM-DD HH:MM:SS" and nothing else. Read by hand: sscanf would bring
    // the C library's whole scanner (30 KB) into the program for this line.
    int fields[6] = {};
    const char separators[6] = {'-', '-', ' ', ':', ':', '\0'};
    const int widths[6] = {4, 2, 2, 2, 2, 2};
    const char* at = localTime.c_str();
    for (int i = 0; i < 6; ++i) {
        int digits = 0;
        for (; digits < widths[i] && *at >= '0' && *at <= '9'; ++digits, ++at) fields[i] = fields[i] * 10 + (*at - '0');
        if (digits == 0 || *at != separators[i]) return false;
        if (i < 5) ++at;
    }
    const int year = fields[0], month = fields[1], day = fields[2], hour = fields[3], minute = fields[4],
              second = fields[5];
    if (year < 1971 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return false;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const time_t start = std::mktime(&local);
    if (start == time_t(-1) || local.tm_mday != day) return false;  // 31 April and the like
    gClockOffset = start - std::time(nullptr);
    gClock = &OffsetClock;
    return true;
}

bool SetClockFromEnvironment() {
    char text[64] = {};
    const DWORD length = ::GetEnvironmentVariableA("TALLYBOX_CLOCK", text, sizeof text);
    if (length == 0 || length >= sizeof text) return false;
    return SetClockStart(text);
}

int64_t LocalTimeTicks(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME local{};
    local.wYear = WORD(year);
    local.wMonth = WORD(month);
    local.wDay = WORD(day);
    local.wHour = WORD(hour);
    local.wMinute = WORD(minute);
    local.wSecond = WORD(second);
    SYSTEMTIME utc{};
    FILETIME time{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !::SystemTimeToFileTime(&utc, &time)) return 0;
    return int64_t(TicksOf(time));
}

int64_t ParseEntryDate(const std::string& dateText) { return EntryDateTicks(ParseEntryDateFields(dateText)); }

EntryDateFields ParseEntryDateFields(std::string_view dateText) {
    auto field = [&](size_t at) { return at < dateText.size() ? LeadingInt(dateText.substr(at)) : 0; };
    int year = field(6) + 1900;
    if (year < 1950) year += 100;
    EntryDateFields f;
    f.year = WORD(year);
    f.month = WORD(field(0));
    f.day = WORD(field(3));
    f.hour = WORD(field(9));
    f.minute = WORD(field(12));
    return f;
}

int64_t EntryDateTicks(const EntryDateFields& local) {
    return LocalTimeTicks(int(local.year), int(local.month), int(local.day), int(local.hour), int(local.minute), 0);
}

int64_t CEntryDateParser::Parse(std::string_view dateText) { return Convert(ParseEntryDateFields(dateText)); }

int64_t CEntryDateParser::Convert(const EntryDateFields& local) {
    constexpr int64_t kTicksPerMinute = 60 * int64_t(kTicksPerSecond);
    if (local.minute > 59) return m_convert(local);
    const uint64_t key = (uint64_t(local.year) << 48) | (uint64_t(local.month) << 32) | (uint64_t(local.day) << 16) |
                         uint64_t(local.hour);
    auto found = m_hours.find(key);
    if (found == m_hours.end()) {
        EntryDateFields first = local;
        first.minute = 0;
        EntryDateFields last = local;
        last.minute = 59;
        Hour hour;
        hour.start = m_convert(first);
        hour.linear = hour.start != 0 && m_convert(last) - hour.start == 59 * kTicksPerMinute;
        found = m_hours.emplace(key, hour).first;
    }
    if (!found->second.linear) return m_convert(local);
    return found->second.start + int64_t(local.minute) * kTicksPerMinute;
}

}  // namespace tb

#include "history/EngineArchiveReader.h"

#include <cstring>

#include "common/Clock.h"
#include "zip/ZipEngine.h"

namespace tb {

namespace {
constexpr int64_t kTicksPerMinute = 60 * 10000000LL;

// The two digits at `at` of the date text; -1 when they are not digits.
int TwoDigits(const char* text, size_t at) {
    const char a = text[at], b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}
}  // namespace

int64_t CEngineArchiveReader::EntryTicks(const std::string& dateText) {
    // "MM-DD-YY HH:MM"
    if (dateText.size() < 14) return 0;
    const int minute = TwoDigits(dateText.c_str(), 12);
    if (minute < 0 || minute > 59) return 0;
    const std::string hour = dateText.substr(0, 11);
    auto found = m_hours.find(hour);
    if (found == m_hours.end()) found = m_hours.emplace(hour, ParseEntryDate(hour + ":00")).first;
    return found->second == 0 ? 0 : found->second + minute * kTicksPerMinute;
}

IArchiveReader::Result CEngineArchiveReader::Read(const std::string& path, IndexedArchive& into) {
    CZipEngine engine(nullptr);
    const int count = engine.CountEntries(path);
    const int counted = engine.LastResult();
    if (counted == kZipResultCannotOpen) {
        into.problem = "could not be opened";
        return Result::Unavailable;
    }
    if (counted != kZipResultOk) {
        into.problem = "is damaged or not a ZIP archive";
        return Result::Damaged;
    }
    into.entries.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const ZipEntryInfo& info = engine.NextEntry(path);
        if (engine.LastResult() != kZipResultOk || info.index != unsigned(i)) {
            into.problem = "changed while it was read";
            return Result::Unavailable;
        }
        const size_t nameLength = strnlen(info.path, sizeof info.path);
        if (nameLength == 0 || info.path[nameLength - 1] == '/') continue;  // folders have no versions
        IndexedEntry entry;
        entry.crc = info.crc;
        entry.flags = info.flags;
        entry.position = info.index;
        entry.size = uint64_t(info.size) | (uint64_t(info.sizeHigh) << 32);
        entry.compressedSize = uint64_t(info.compressedSize) | (uint64_t(info.compressedSizeHigh) << 32);
        entry.modified = EntryTicks(std::string(info.dateTime, strnlen(info.dateTime, sizeof info.dateTime)));
        into.AddEntry(std::string(info.path, nameLength), entry);
    }
    return Result::Read;
}

}  // namespace tb

#include "history/EngineArchiveReader.h"

#include <cstring>

#include "zip/ZipEngine.h"

namespace tb {

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
        entry.modified = m_dates.Parse(std::string_view(info.dateTime, strnlen(info.dateTime, sizeof info.dateTime)));
        into.AddEntry(std::string(info.path, nameLength), entry);
    }
    return Result::Read;
}

}  // namespace tb

#pragma once
// Reads an archive's central directory for the index through the program's
// ZIP engine (the library's count and step jobs, which never show a message).

#include <string>
#include <unordered_map>

#include "history/ArchiveIndex.h"

namespace tb {

class CEngineArchiveReader : public IArchiveReader {
public:
    Result Read(const std::string& path, IndexedArchive& into) override;

private:
    // The entry date text's hour ("MM-DD-YY HH") as FILETIME ticks: the local
    // to UTC conversion is made once per hour met, not once per entry.
    int64_t EntryTicks(const std::string& dateText);
    std::unordered_map<std::string, int64_t> m_hours;
};

}  // namespace tb

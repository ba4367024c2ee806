#pragma once
// Reads an archive's central directory for the index through the program's
// ZIP engine (the library's count and step jobs, which never show a message).

#include <string>

#include "common/Clock.h"
#include "history/ArchiveIndex.h"

namespace tb {

class CEngineArchiveReader : public IArchiveReader {
public:
    Result Read(const std::string& path, IndexedArchive& into) override;

private:
    CEntryDateParser m_dates;  // the entries' local times, converted once per hour met
};

}  // namespace tb

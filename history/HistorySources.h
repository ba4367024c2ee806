#pragma once
// The archives the File History looks in: the dated and month archives of
// the two archive folders (`LocationDir`, `LocationDirAlt`) and every archive
// of the known-archive list, each once.

#include <string>
#include <vector>

#include "history/FileVersions.h"

namespace tb {

struct HistoryPlaces {
    std::string locationDir;
    std::string locationDirAlt;
    std::vector<std::string> knownArchives;
};

// Archives that no longer exist are left out; an archive met twice (the same
// path in letters of another case) is taken once.
std::vector<HistorySource> FindHistorySources(const HistoryPlaces& places);

// The keys of the sources, for refreshing the index.
std::vector<ArchiveKey> KeysOf(const std::vector<HistorySource>& sources);

}  // namespace tb

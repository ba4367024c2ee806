#pragma once
// One File History search from start to end, without windows: the archives to
// look in are listed, the index is loaded (the first time), brought up to
// date and written back when it changed, and the versions that fit the
// pattern collected. The File History window runs it on a worker thread; the
// benchmark runs it directly.

#include <string>
#include <vector>

#include "history/ArchiveIndex.h"
#include "history/FileVersions.h"
#include "history/HistorySources.h"

namespace tb {

// The index as the program keeps it between searches: loaded from its file
// at the first search, then kept in memory while the program runs.
struct HistoryIndexStore {
    CArchiveIndex index;
    std::string file = CArchiveIndex::DefaultFile();
    bool loaded = false;
};

struct HistorySearchResult {
    VersionSearch versions;
    std::vector<SkippedArchive> skipped;  // damaged, foreign or unreadable archives
    size_t archives = 0;                  // archives looked in
    size_t read = 0;                      // of them read now (new or changed)
    bool stopped = false;                 // the progress callback asked to stop
    bool failed = false;                  // an unexpected error ended the search
};

HistorySearchResult SearchHistory(HistoryIndexStore& store, const HistoryPlaces& places, const std::string& pattern,
                                  IArchiveReader& reader, const CArchiveIndex::Progress& progress = {});

}  // namespace tb

#include "history/HistorySearch.h"

namespace tb {

HistorySearchResult SearchHistory(HistoryIndexStore& store, const HistoryPlaces& places, const std::string& pattern,
                                  IArchiveReader& reader, const CArchiveIndex::Progress& progress) {
    HistorySearchResult result;
    const std::vector<HistorySource> sources = FindHistorySources(places);
    result.archives = sources.size();
    const std::vector<ArchiveKey> keys = KeysOf(sources);
    if (!store.loaded) {
        // A missing or damaged file, or one larger than these archives can
        // justify, leaves it empty: it is built again.
        store.index.Load(store.file, CArchiveIndex::JustifiedFileSize(keys));
        store.loaded = true;
    }
    CArchiveIndex::RefreshReport report = store.index.Refresh(keys, reader, progress);
    result.read = report.read;
    result.skipped = std::move(report.skipped);
    result.stopped = report.stopped;
    // What was read is kept even when the search was stopped; a file that
    // cannot be written leaves the index in memory for this run.
    if (store.index.Changed() && !store.file.empty()) store.index.Save(store.file);
    if (!result.stopped) result.versions = CollectVersions(store.index, sources, pattern);
    return result;
}

}  // namespace tb

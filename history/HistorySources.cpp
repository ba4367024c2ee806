#include "history/HistorySources.h"

#include <unordered_set>

namespace tb {

std::vector<HistorySource> FindHistorySources(const HistoryPlaces& places) {
    std::vector<HistorySource> sources;
    std::unordered_set<std::string> seen;
    auto take = [&](HistorySource source) {
        if (seen.insert(CArchiveIndex::PathKey(source.key.path)).second) sources.push_back(std::move(source));
    };
    for (const std::string& folder : {places.locationDir, places.locationDirAlt}) {
        for (DatedArchive& dated : ListDatedArchives(folder)) {
            HistorySource source;
            source.key.path = std::move(dated.path);
            source.key.size = dated.size;
            source.key.writeTime = dated.writeTime;
            source.date = dated.date;
            take(std::move(source));
        }
    }
    for (const std::string& known : places.knownArchives) {
        HistorySource source;
        if (known.empty() || !ArchiveKeyOf(known, source.key)) continue;
        const size_t slash = known.find_last_of("\\/");
        source.date = ParseArchiveDate(slash == std::string::npos ? known : known.substr(slash + 1));
        take(std::move(source));
    }
    return sources;
}

std::vector<ArchiveKey> KeysOf(const std::vector<HistorySource>& sources) {
    std::vector<ArchiveKey> keys;
    keys.reserve(sources.size());
    for (const HistorySource& source : sources) keys.push_back(source.key);
    return keys;
}

}  // namespace tb

#pragma once
// What the dated and month archives already hold: every stored name with the
// sizes and times it was archived with. The automatic run asks it whether a
// file on disk, as it is now, is in an archive; a file that is not (renamed,
// moved in, missed by the change monitor) is due even when it is older than
// the last archive.
//
// CArchiveContents keeps the index of the archives' contents for this: it is
// loaded once from the File History's index file (read only; never written
// from here) and brought up to date with the archives of the two locations
// whenever a snapshot is taken. Both the directory-list worker and the
// user-interface thread take snapshots.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/Clock.h"
#include "history/ArchiveIndex.h"

namespace tb {

// The form a stored name is compared in: the name the run stores a file
// under (with folder names: the path without its drive; without them: the
// file name only), '/' as the separator. Letters keep their case: a file
// renamed only in the case of its letters is taken under its new name.
std::string StoredNameKey(const std::string& pathOrName, bool withFolderNames);

class CArchivedVersions {
public:
    // `storedName` as an archive holds it; `modified` as the index keeps it
    // (FILETIME ticks, UTC; the library gives entry times to the minute).
    void Add(const std::string& storedName, uint64_t size, int64_t modified);
    // Whether some archive holds `storedNameKey` with this size and a time
    // that an entry written from a file of `lastWrite` would carry: entry
    // times are local times cut to the minute (and DOS times round to two
    // seconds), so the file's time may lie up to a minute after the entry's,
    // or two seconds before it.
    bool Holds(const std::string& storedNameKey, uint64_t size, FileTicks lastWrite) const;
    size_t Names() const { return m_versions.size(); }

private:
    std::unordered_map<std::string, std::vector<std::pair<uint64_t, int64_t>>> m_versions;
};

// Every entry of the indexed archives of `sources`.
CArchivedVersions VersionsIn(const CArchiveIndex& index, const std::vector<ArchiveKey>& sources);

class CArchiveContents {
public:
    // The index file to start from (the File History's, by default).
    explicit CArchiveContents(std::string indexFile = CArchiveIndex::DefaultFile());

    // What the dated and month archives of the two folders hold now. An
    // archive that cannot be read now holds nothing here.
    std::shared_ptr<const CArchivedVersions> Snapshot(const std::string& locationDir,
                                                      const std::string& locationDirAlt);

private:
    std::mutex m_lock;
    std::string m_file;
    bool m_loaded = false;
    CArchiveIndex m_index;
};

}  // namespace tb

#include "autoarchive/ArchivedVersions.h"

#include "history/EngineArchiveReader.h"
#include "history/HistorySources.h"

namespace tb {

namespace {
constexpr int64_t kBefore = 2 * int64_t(kTicksPerSecond);
constexpr int64_t kAfter = 62 * int64_t(kTicksPerSecond);
}  // namespace

std::string StoredNameKey(const std::string& pathOrName, bool withFolderNames) {
    std::string name = pathOrName;
    for (char& c : name)
        if (c == '\\') c = '/';
    if (withFolderNames) {
        if (name.size() >= 2 && name[1] == ':') name.erase(0, 2);
        const size_t first = name.find_first_not_of('/');
        name.erase(0, first == std::string::npos ? name.size() : first);
    } else {
        const size_t slash = name.find_last_of('/');
        if (slash != std::string::npos) name.erase(0, slash + 1);
    }
    return name;
}

void CArchivedVersions::Add(const std::string& storedName, uint64_t size, int64_t modified) {
    m_versions[StoredNameKey(storedName, true)].emplace_back(size, modified);
}

bool CArchivedVersions::Holds(const std::string& storedNameKey, uint64_t size, FileTicks lastWrite) const {
    const auto found = m_versions.find(storedNameKey);
    if (found == m_versions.end()) return false;
    const int64_t written = int64_t(lastWrite);
    for (const auto& [entrySize, modified] : found->second)
        if (entrySize == size && modified != 0 && written >= modified - kBefore && written <= modified + kAfter)
            return true;
    return false;
}

CArchivedVersions VersionsIn(const CArchiveIndex& index, const std::vector<ArchiveKey>& sources) {
    CArchivedVersions versions;
    for (const ArchiveKey& key : sources) {
        const IndexedArchive* archive = index.Find(key.path);
        if (!archive || archive->state != IndexedArchive::State::Read) continue;
        for (const IndexedEntry& entry : archive->entries) versions.Add(archive->Name(entry), entry.size, entry.modified);
    }
    return versions;
}

CArchiveContents::CArchiveContents(std::string indexFile) : m_file(std::move(indexFile)) {}

std::shared_ptr<const CArchivedVersions> CArchiveContents::Snapshot(const std::string& locationDir,
                                                                    const std::string& locationDirAlt) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_loaded) {
        if (!m_file.empty()) m_index.Load(m_file);  // missing or damaged: the archives are read
        m_loaded = true;
    }
    HistoryPlaces places;
    places.locationDir = locationDir;
    places.locationDirAlt = locationDirAlt;
    const std::vector<ArchiveKey> keys = KeysOf(FindHistorySources(places));
    CEngineArchiveReader reader;
    m_index.Refresh(keys, reader);
    return std::make_shared<const CArchivedVersions>(VersionsIn(m_index, keys));
}

}  // namespace tb

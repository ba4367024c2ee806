#pragma once
// The index of the archives' contents: each archive's central directory read
// once (entry names, CRC, sizes, modified times, encryption) and kept in a
// file beside the settings, so that looking for a file's versions across a
// year of dated archives does not read a year of archives again.
//
// An archive is known by its path, its size and its last write time to the
// file system's full precision; when any of them differs from what the index
// holds, the archive is read again. A missing, foreign or damaged index file,
// or one larger than its archives can justify, is simply built again. Archives that are damaged, truncated or no ZIP files
// at all are kept in the index as such (with the reason), so they are not
// read again and again while they stay as they are.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/Clock.h"

namespace tb {

// What names an archive file as it is now.
struct ArchiveKey {
    std::string path;
    unsigned long long size = 0;
    FileTicks writeTime = 0;
};

// One entry of an archive's central directory.
struct IndexedEntry {
    uint32_t nameOffset = 0;   // into IndexedArchive::names
    uint32_t nameLength = 0;
    uint32_t crc = 0;
    uint32_t flags = 0;        // the library's entry flags (0x8000 encrypted, 0x10000 AES, 0x10 folder, ...)
    uint32_t position = 0;     // the entry's place in the archive, from 0
    uint64_t size = 0;
    uint64_t compressedSize = 0;
    int64_t modified = 0;      // FILETIME ticks (UTC) of the entry's own date; 0 when unknown
};

struct IndexedArchive {
    enum class State : uint8_t { Read = 0, Damaged = 1 };
    ArchiveKey key;
    State state = State::Read;
    std::string problem;           // why a damaged archive could not be read
    std::string names;             // the entries' stored names, one after the other
    std::vector<IndexedEntry> entries;

    std::string Name(const IndexedEntry& entry) const { return names.substr(entry.nameOffset, entry.nameLength); }
    void AddEntry(const std::string& name, IndexedEntry entry);
};

// Reads an archive's central directory.
class IArchiveReader {
public:
    enum class Result {
        Read,         // the archive is read into `into`
        Damaged,      // not a ZIP archive or damaged: kept as such in the index
        Unavailable,  // could not be opened now (gone, locked): not kept
    };
    virtual ~IArchiveReader() = default;
    virtual Result Read(const std::string& path, IndexedArchive& into) = 0;
};

// An archive that could not be used, and why (for the note shown to the user).
struct SkippedArchive {
    std::string path;
    std::string reason;
};

class CArchiveIndex {
public:
    // The index file of the program: beside Vaultly.ini in the Windows folder.
    static std::string DefaultFile();

    // The largest index file that is read at all: well below what a 32-bit
    // process can hold in memory next to the index it describes.
    static constexpr unsigned long long kMaxFileSize = 128ull << 20;
    // How large an index file of these archives can be: an archive's entries
    // take less room in the index than its central directory and local
    // headers take in the archive, so twice the archives' sizes and a little
    // for each archive's own record is plenty (never above kMaxFileSize).
    static unsigned long long JustifiedFileSize(const std::vector<ArchiveKey>& archives);

    // Reads the index file. A missing, foreign or damaged file, or one larger
    // than `largest` bytes, leaves the index empty and returns false; the
    // index is then built again. The file's counts are checked against the
    // bytes that hold them before any room is made for what they count.
    bool Load(const std::string& file, unsigned long long largest = kMaxFileSize);
    // Writes the index file (through a temporary file, so a failed write
    // leaves the old one); false when it could not be written.
    bool Save(const std::string& file) const;

    struct RefreshReport {
        size_t read = 0;     // archives read (new or changed)
        size_t reused = 0;   // archives taken from the index as they were
        std::vector<SkippedArchive> skipped;
        bool stopped = false;
    };
    // Brings the index to the archives named: each one whose key differs from
    // the index's (or that is not in it) is read again, the others are kept;
    // archives not named are dropped. `progress` (may be empty) hears of each
    // archive before it is read and stops the refresh when it returns false.
    using Progress = std::function<bool(size_t done, size_t total, const std::string& path)>;
    RefreshReport Refresh(const std::vector<ArchiveKey>& archives, IArchiveReader& reader,
                          const Progress& progress = {});

    // The archive as indexed; null when it is not in the index.
    const IndexedArchive* Find(const std::string& path) const;
    size_t Size() const { return m_archives.size(); }
    // True when the index changed since it was loaded or saved.
    bool Changed() const { return m_changed; }
    void Clear();

    // The folded form under which an archive path is kept.
    static std::string PathKey(const std::string& path);

private:
    bool LoadFrom(const std::string& file, unsigned long long largest);

    std::unordered_map<std::string, IndexedArchive> m_archives;
    mutable bool m_changed = false;
};

// The check value the index file ends with, over the bytes before it.
uint64_t IndexFileChecksum(const char* data, size_t size);

// The key of an archive file as it is now; false when it cannot be found.
bool ArchiveKeyOf(const std::string& path, ArchiveKey& key);

}  // namespace tb

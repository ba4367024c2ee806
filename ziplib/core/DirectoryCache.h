#pragma once
// Listing support: the central directory of an archive parsed once and kept,
// keyed by path, size, full-precision write time, file identity and the end
// records at the end of the file, with a cursor for
// stepping through the entries one call at a time.

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "Events.h"
#include "Format.h"
#include "Io.h"

namespace zl {

class CDirectoryCache {
public:
    explicit CDirectoryCache(size_t capacity = 4) : m_capacity(capacity) {}

    // Counts the entries (parsing the directory when the file changed) and puts
    // the cursor before the first entry.
    ZipResult Count(IFileSystem& fs, const std::string& archive, uint64_t& count, std::string& why);
    // The entry at the cursor, then moves the cursor on. Uses the directory of the
    // last count of this archive without looking at the file again.
    ZipResult Next(IFileSystem& fs, const std::string& archive, const ZipEntry*& entry, size_t& index, std::string& why);
    // The entry at `index`; the cursor moves behind it.
    ZipResult At(IFileSystem& fs, const std::string& archive, uint64_t index, const ZipEntry*& entry, std::string& why);
    // The directory of the archive as it is now (parsed again when it changed).
    ZipResult Get(IFileSystem& fs, const std::string& archive, std::shared_ptr<const ZipDirectory>& directory, std::string& why);
    void Clear() { m_items.clear(); }
    // How many times a directory was parsed (for tests of the caching).
    unsigned Parses() const { return m_parses; }

private:
    struct Item {
        std::string path;
        FileInfo info;
        std::shared_ptr<ZipDirectory> directory;
        size_t cursor = 0;
    };
    Item* Find(const std::string& path);
    ZipResult Load(IFileSystem& fs, const std::string& archive, bool check, Item*& item, std::string& why);

    size_t m_capacity;
    std::list<Item> m_items;   // most recently used first
    unsigned m_parses = 0;
};

}  // namespace zl

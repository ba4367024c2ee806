#include "DirectoryCache.h"

namespace zl {

namespace {

// Whether the file still ends in the end records the directory was read from.
bool SameEndRecords(IFileSystem& fs, const std::string& archive, const ZipDirectory& dir) {
    std::unique_ptr<IReadFile> file = fs.OpenRead(archive);
    const size_t n = dir.endRecord.size();
    if (!file || file->Size() < n) return false;
    std::string now(n, '\0');
    return file->ReadAt(file->Size() - n, &now[0], n) == int64_t(n) && now == dir.endRecord;
}

}  // namespace

CDirectoryCache::Item* CDirectoryCache::Find(const std::string& path) {
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (it->path == path) {
            if (it != m_items.begin()) m_items.splice(m_items.begin(), m_items, it);
            return &m_items.front();
        }
    }
    return nullptr;
}

ZipResult CDirectoryCache::Load(IFileSystem& fs, const std::string& archive, bool check, Item*& item, std::string& why) {
    item = Find(archive);
    if (item && !check) return kZipOk;
    FileInfo info;
    if (!fs.Stat(archive, info) || info.isDirectory) {
        if (item) m_items.pop_front();
        item = nullptr;
        why = "cannot open the archive: " + fs.LastErrorText();
        return kZipCannotOpen;
    }
    if (item && item->info.size == info.size && item->info.writeTime == info.writeTime &&
        item->info.fileId == info.fileId && SameEndRecords(fs, archive, *item->directory))
        return kZipOk;
    if (item) {
        m_items.pop_front();
        item = nullptr;
    }
    std::unique_ptr<IReadFile> file = fs.OpenRead(archive);
    if (!file) {
        why = "cannot open the archive: " + fs.LastErrorText();
        return kZipCannotOpen;
    }
    auto dir = std::make_shared<ZipDirectory>();
    ++m_parses;
    if (info.size == 0) {
        // An empty file is an archive without entries (a new archive's placeholder).
    } else if (!ReadDirectory(*file, *dir, why)) {
        return kZipBadArchive;
    }
    m_items.push_front(Item{archive, info, dir, 0});
    while (m_items.size() > m_capacity) m_items.pop_back();
    item = &m_items.front();
    return kZipOk;
}

ZipResult CDirectoryCache::Count(IFileSystem& fs, const std::string& archive, uint64_t& count, std::string& why) {
    Item* item = nullptr;
    count = 0;
    ZipResult r = Load(fs, archive, true, item, why);
    if (r != kZipOk) return r;
    item->cursor = 0;
    count = item->directory->entries.size();
    return kZipOk;
}

ZipResult CDirectoryCache::Get(IFileSystem& fs, const std::string& archive, std::shared_ptr<const ZipDirectory>& directory,
                               std::string& why) {
    Item* item = nullptr;
    ZipResult r = Load(fs, archive, true, item, why);
    if (r == kZipOk) directory = item->directory;
    return r;
}

ZipResult CDirectoryCache::Next(IFileSystem& fs, const std::string& archive, const ZipEntry*& entry, size_t& index,
                                std::string& why) {
    Item* item = nullptr;
    ZipResult r = Load(fs, archive, false, item, why);
    if (r != kZipOk) return r;
    if (item->cursor >= item->directory->entries.size()) {
        why = "no more entries";
        return kZipNoMoreEntries;
    }
    index = item->cursor++;
    entry = &item->directory->entries[index];
    return kZipOk;
}

ZipResult CDirectoryCache::At(IFileSystem& fs, const std::string& archive, uint64_t index, const ZipEntry*& entry,
                              std::string& why) {
    Item* item = nullptr;
    ZipResult r = Load(fs, archive, false, item, why);
    if (r != kZipOk) return r;
    if (index >= item->directory->entries.size()) {
        why = "no entry has that index";
        return kZipNoMoreEntries;
    }
    entry = &item->directory->entries[size_t(index)];
    item->cursor = size_t(index) + 1;
    return kZipOk;
}

}  // namespace zl

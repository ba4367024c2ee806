#pragma once
// The ZIP archives the program knows: found by searching drives, made by the
// automatic archive run or opened by the user, kept across sessions in section
// "Zips" of Vaultly.ini. Newest additions come first.

#include <cstdint>
#include <string>
#include <vector>

namespace tb {

struct KnownArchive {
    std::string path;
    int64_t time = 0;  // last-write time, 100-ns units since 1601 (FILETIME)
};

class CKnownArchiveList {
public:
    // Adds `path` at the top unless a known path already contains it (lower-cased
    // containment, not equality) or no such file exists. Returns 1 when added.
    int AddArchive(const std::string& path);
    // Index of the first entry whose path contains `path` (lower-cased); -1 if none.
    int Find(const std::string& path) const;
    void RemoveAt(int index);
    void Clear();

    int Count() const { return int(m_entries.size()); }
    const KnownArchive& At(int index) const { return m_entries[size_t(index)]; }
    const std::vector<KnownArchive>& Entries() const { return m_entries; }

    // 1 after construction and after an add; cleared when the list box is rebuilt.
    int m_listChanged = 1;

    // Section "Zips": Zip1, Zip2, ... ending at the first missing or empty key
    // (or after 10000 keys). Reading hands each value to AddArchive, so the list
    // comes back in reverse key order without files that no longer exist.
    void ReadArchiveList();
    // Writes Zip1... and an empty key after the last, which ends the list for the
    // reader; keys beyond it stay in the file.
    void WriteArchiveList() const;

    // The three sorts; each toggles its direction flag first.
    void SortByName();
    void SortByDate();
    void SortByLocation();

    // The folder (before the last backslash) and the name (after it).
    static std::string FolderOf(const std::string& path);
    static std::string NameOf(const std::string& path);

private:
    std::vector<KnownArchive> m_entries;
    // Sort direction flags, one per kind (the program has one list).
    int m_sortByName = 0;      // the first sort is ascending
    int m_sortByDate = 1;      // the first sort shows the newest first
    int m_sortByLocation = 1;  // the first sort is ascending
};

// The last-write time of a file; 2 November 1990 09:00:00 local when it cannot be read.
int64_t ArchiveFileTime(const std::string& path);

}  // namespace tb

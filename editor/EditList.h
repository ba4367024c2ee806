#pragma once
// The edit list: the items of the archive being edited together with the
// changes asked for (files to add, items to replace, items to delete). Row i
// of the editor's list box shows entry i. Every change enters through
// ApplyEntry; the writer reads the actions back.
//
// A newly added file is matched with what the list already holds by its path:
// an archive item stored as DOCS\A.TXT is the disk file C:\DOCS\A.TXT, matched
// on whole path components (C:\OLDDOCS\A.TXT and C:\DOCS\A.TXT.BAK are other
// files). The match keys are indexed, so adding stays linear however long the
// list grows.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace tb {

enum EditAction : int {
    ActionAdd = 1,     // a file on disk that is not in the archive
    ActionUpdate = 2,  // an archive item that a file on disk will replace
    ActionKeep = 4,    // an archive item that stays unchanged
    ActionRemove = 8,  // an archive item to be deleted
};

enum EditOperation : int {
    OpClear = 0x01,         // 0x01 or 0x02: empty the list
    OpClearToo = 0x02,
    OpToggleRemove = 0x04,  // toggle removal of the entry at the index
    OpAddFile = 0x08,       // add a file from disk
    OpFreshen = 0x10,       // replace a matching archive item only
    OpArchiveItem = 0x20,   // append an item read from the archive
    OpEncrypted = 0x8000,   // with OpArchiveItem: the item is encrypted
};

constexpr int kEntryFlagEncrypted = 0x8000;

struct EditEntry {
    std::string name;        // after the last backslash (the whole path without one)
    std::string matchKey;    // the whole path upper-cased
    std::string path;        // a disk file's full path, or an archive item's stored name with '\'
    std::string folder;      // before the last backslash
    int action = ActionAdd;
    int64_t size = 0;        // bytes, uncompressed
    int64_t compressedSize = 0;  // 0 for files not yet in the archive
    int64_t time = 0;        // FILETIME ticks (100 ns since 1601, UTC), for sorting
    std::string dateText;    // as shown in the Date / Time column
    int flags = 0;           // kEntryFlagEncrypted
    // The item's name in the archive ('\' separators) while it is one: kept
    // when a disk file is to replace it, empty for a file still to be added.
    std::string storedName;

    bool InArchive() const { return !storedName.empty(); }
};

// Name and folder of a path, split at its last backslash; a path without one,
// or whose only backslash is its first character, is all name.
void SplitEntryPath(const std::string& path, std::string& name, std::string& folder);

// The sortable time of an archive item's date text: month, day, two-digit
// year, hour and minute at characters 0, 3, 6, 9 and 12 (years below 50 are
// 20xx), local time, seconds 0.
int64_t EntryDateTime(const std::string& dateText);

// The size column's text of `value`: "%3.0i", with K above a thousand bytes
// and M above a million (integer division, right-aligned in three places).
std::string EditSizeText(int64_t value);

// Column modes of the size column.
enum SizeColumnMode : int { kShowSizes = 0, kShowCompressedSizes = 1 };

// The list-box row of an entry: tab, name, tab, extension and a blank, tab,
// action label, tab, date, tab, size text, tab, folder.
std::string FormatRow(const EditEntry& entry, int sizeMode);

// What the list box does when ApplyEntry toggles an entry: a row redrawn in
// place, or a row gone.
class IEditRows {
public:
    virtual ~IEditRows() = default;
    virtual void RowChanged(int index) = 0;
    virtual void RowRemoved(int index) = 0;
};

// The column buttons over the list, by control id.
enum EditColumn : int {
    kEditColumnName = 1139,
    kEditColumnExt = 1145,
    kEditColumnAction = 1102,
    kEditColumnDate = 1109,
    kEditColumnSize = 1165,
    kEditColumnLocation = 1076,
};

// The sort direction flag of a column (1 = ascending next): process-wide,
// kept across editor dialogs. Cmpr Size starts at 1, the others at 0.
int& EditSortFlag(int column);

// A click on a column button: toggles the direction (the Cmpr Size / Size
// cycle also flips `sizeMode`); returns true for ascending.
bool ToggleEditSort(int column, int& sizeMode);

class CEditList {
public:
    // ApplyEntry, in this order of tests: clear; toggle removal; build the
    // candidate (date from dateText, else from the file on disk, size -1 =
    // the file's length); find a matching entry (adds only); append an add or
    // an archive item that matched nothing; freshen the matching archive item;
    // an add that matches a kept archive item turns it into an update.
    // Returns 1 after an add, freshen or archive item, 0 after a clear, a
    // toggle, or an index beyond the last entry.
    int ApplyEntry(const std::string& path, int operation, int index, const std::string& dateText,
                   int64_t compressedSize, int64_t size);

    // The first entry whose match key is `key` or ends `key` as whole path
    // components; -1 when none.
    int FindSameFile(const std::string& key);
    // The archive item a freshened file replaces: `path` without its drive
    // ("C:\") equals an item's stored path, or its file name equals the name of
    // an item stored without a folder (both ignoring case). -1 when none.
    int FindFreshenTarget(const std::string& path);
    // The first entry whose path is `path`, ignoring case; -1 when none.
    int FindPath(const std::string& path);

    // Sorts by a column button's key, ascending or descending.
    void Sort(int column, bool ascending, int sizeMode);

    void SetRows(IEditRows* rows) { m_rows = rows; }
    const std::vector<EditEntry>& Entries() const { return m_entries; }
    const EditEntry& At(size_t index) const { return m_entries[index]; }
    size_t Size() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    void Clear();
    void Reserve(size_t entries) { m_entries.reserve(entries); }

private:
    EditEntry MakeCandidate(const std::string& path, const std::string& dateText, int64_t compressedSize,
                            int64_t size) const;
    void TakeDiskFile(const EditEntry& candidate, EditEntry& target);
    void Toggle(int index);
    // The key index: every match key with the entries holding it, in order.
    void EnsureIndex();
    void IndexAdd(const std::string& key, int index);
    void IndexRemove(const std::string& key, int index);
    int FirstIndexed(const std::string& key, int folderWanted) const;

    std::vector<EditEntry> m_entries;
    std::unordered_map<std::string, std::vector<int>> m_byKey;
    bool m_indexValid = false;
    IEditRows* m_rows = nullptr;
};

}  // namespace tb

#pragma once
// The entries of the selected archive as the contents pane shows them: one
// record per entry, in display order; line i of the file list shows record i.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "res/resource.h"

namespace tb {

struct FileListRecord {
    std::string fullPath;     // stored path with '\' separators
    std::string name;         // after the last '\' (all of it when there is none)
    std::string folder;       // before the last '\'
    std::string dateText;     // "MM-DD-YY HH:MM" as the library gives it
    int64_t time = 0;         // parsed from dateText: 100-ns units since 1601 (FILETIME)
    int value0 = 0;           // the library's first field; kept, not shown
    unsigned size = 0;
    unsigned compressedSize = 0;
    unsigned flags = 0;       // 0x8000 = encrypted
};

constexpr unsigned kEntryEncrypted = 0x8000;

// The fields of an entry's date text as they are handed to the system: each
// is cut to 16 bits, as the system's calendar record holds them.
struct EntryDateFields {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// Month, day, two-digit year, hour and minute at characters 0, 3, 6, 9 and 12;
// year + 1900, + 100 more below 1950.
EntryDateFields ParseEntryDateFields(std::string_view dateText);

// The local time of the fields (seconds 0, daylight saving as the system
// decides for that day) as a FILETIME value (100-ns units since 1601, UTC);
// 0 when the system refuses the fields.
int64_t LocalToFileTime(const EntryDateFields& local);

// The time of a date text: LocalToFileTime of its fields.
int64_t ParseEntryDate(std::string_view dateText);

// Gives the same times as ParseEntryDate, but asks the system twice per hour
// of the calendar rather than once per entry: an archive's entries share few
// hours, and the conversion is slow under Wine. Within an hour whose minute 0
// and minute 59 lie 59 minutes apart, every minute lies where its count says;
// in an hour that a clock change cuts (or an invalid one), each time is asked
// for by itself.
class CEntryDateParser {
public:
    using Conversion = int64_t (*)(const EntryDateFields& local);
    explicit CEntryDateParser(Conversion convert = LocalToFileTime) : m_convert(convert) {}

    int64_t Parse(std::string_view dateText);
    int64_t Convert(const EntryDateFields& local);

private:
    struct Hour {
        int64_t start = 0;    // minute 0 of the hour
        bool linear = false;  // false: ask the system for each time of this hour
    };
    Conversion m_convert;
    std::unordered_map<uint64_t, Hour> m_hours;
};

// Builds a record from the library's stored path and fields.
FileListRecord MakeFileListRecord(std::string_view storedPath, std::string_view dateText, int value0,
                                  unsigned size, unsigned compressedSize, unsigned flags, CEntryDateParser& dates);
FileListRecord MakeFileListRecord(std::string_view storedPath, std::string_view dateText, int value0,
                                  unsigned size, unsigned compressedSize, unsigned flags);

// "%i", "%iK" above 1000, "%iM" above ten million (unsigned 32-bit sizes).
std::string FormatSize(unsigned size);

// The line of a record: tab, name, tab, extension and a blank, tab, date,
// tab, size, tab, compressed size, tab, folder; "+" marks an encrypted entry,
// and a name without a base shows four blanks in both the Name and Ext columns.
std::string FormatFileLine(const FileListRecord& record);
// The same line, appended to `out` (no temporary strings: a listing formats
// every line of a large archive).
void AppendFileLine(const FileListRecord& record, std::string& out);

// Sort columns: the header ids of the file list.
enum FileColumn {
    kColumnName = IDC_HDR_FILE_NAME,
    kColumnExt = IDC_HDR_FILE_EXT,
    kColumnDate = IDC_HDR_FILE_DATE,
    kColumnLocation = IDC_HDR_FILE_LOCATION,
    kColumnSize = IDC_HDR_FILE_SIZE,
    kColumnCompressed = IDC_HDR_FILE_COMPR,
};

// Sort modes (ascending / descending per column) and the direction flags.
int AscendingMode(int column);
int DescendingMode(int column);
// The process-wide direction flag of a column (1 ascending); start values
// 0 for Name, Ext and Location, 1 for Date / Time, Size and Compr.
int& SortDirectionFlag(int column);

// The Ext key: what follows the first '.' of the name (all of it without one),
// lower-cased; so x.tar.gz sorts under "tar.gz".
std::string ExtSortKey(const FileListRecord& record);

// Sorts records by a column, ascending or descending.
void SortRecords(std::vector<FileListRecord>& records, int column, bool ascending);

// The icon key of a record: from the last '.' of the full path, dot included;
// ".dirfolder" for a folder entry (empty name), "" for a name without a dot.
std::string IconKey(const FileListRecord& record);

}  // namespace tb

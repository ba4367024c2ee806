#pragma once
// The entries of the selected archive as the contents pane shows them: one
// record per entry, in display order; line i of the file list shows record i.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Clock.h"

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

// Builds a record from the library's stored path and fields. The record's
// time is ParseEntryDate (common/Clock.h) of its date text; a listing hands
// in one date parser for all its entries.
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
// The same from a path and its file name (the archive editor's rows).
std::string IconKeyOf(const std::string& fullPath, const std::string& name);

}  // namespace tb

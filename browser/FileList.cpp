#include "browser/FileList.h"

#include <windows.h>

#include <algorithm>

#include "framework/Text.h"

namespace tb {

namespace {

// "%u", "%uK" or "%uM" of a size, appended.
void AppendSize(unsigned size, std::string& out) {
    char unit = 0;
    if (size > 10000000u) {
        size /= 1000000u;
        unit = 'M';
    } else if (size > 1000u) {
        size /= 1000u;
        unit = 'K';
    }
    char digits[12];
    char* end = digits + sizeof digits;
    char* at = end;
    do {
        *--at = char('0' + size % 10u);
        size /= 10u;
    } while (size != 0);
    out.append(at, end);
    if (unit) out += unit;
}

}  // namespace

FileListRecord MakeFileListRecord(std::string_view storedPath, std::string_view dateText, int value0,
                                  unsigned size, unsigned compressedSize, unsigned flags, CEntryDateParser& dates) {
    FileListRecord r;
    r.fullPath.assign(storedPath);
    std::replace(r.fullPath.begin(), r.fullPath.end(), '/', '\\');
    const size_t slash = r.fullPath.find_last_of('\\');
    if (slash == std::string::npos) {
        r.name = r.fullPath;
    } else {
        r.name.assign(r.fullPath, slash + 1, std::string::npos);
        r.folder.assign(r.fullPath, 0, slash);
    }
    r.dateText.assign(dateText);
    r.time = dates.Parse(dateText);
    r.value0 = value0;
    r.size = size;
    r.compressedSize = compressedSize;
    r.flags = flags;
    return r;
}

FileListRecord MakeFileListRecord(std::string_view storedPath, std::string_view dateText, int value0,
                                  unsigned size, unsigned compressedSize, unsigned flags) {
    CEntryDateParser dates;
    return MakeFileListRecord(storedPath, dateText, value0, size, compressedSize, flags, dates);
}

std::string FormatSize(unsigned size) {
    std::string text;
    AppendSize(size, text);
    return text;
}

std::string FormatFileLine(const FileListRecord& record) {
    std::string line;
    AppendFileLine(record, line);
    return line;
}

void AppendFileLine(const FileListRecord& record, std::string& out) {
    // The name is split at its last '.'; the encrypted mark "+" ends the
    // extension, or the name when it has no extension.
    const std::string_view name = record.name;
    const bool encrypted = (record.flags & kEntryEncrypted) != 0;
    const size_t dot = name.find_last_of('.');
    const bool hasExtension = dot != std::string_view::npos;
    const std::string_view base = hasExtension ? name.substr(0, dot) : name;
    const bool blank = base.empty() && !(encrypted && !hasExtension);
    out += '\t';
    if (blank) {
        out += "    \t    ";
    } else {
        out += base;
        if (encrypted && !hasExtension) out += '+';
        out += '\t';
        if (hasExtension) {
            out += name.substr(dot + 1);
            if (encrypted) out += '+';
            out += ' ';
        }
    }
    out += '\t';
    out += record.dateText;
    out += '\t';
    AppendSize(record.size, out);
    out += '\t';
    AppendSize(record.compressedSize, out);
    out += '\t';
    out += record.folder;
}

namespace {
struct ColumnInfo {
    int column;
    int ascending;
    int descending;
    int startFlag;
};
constexpr ColumnInfo kColumns[] = {
    {kColumnName, 1, 2, 0},        {kColumnExt, 4, 8, 0},         {kColumnDate, 16, 32, 1},
    {kColumnLocation, 64, 128, 0}, {kColumnSize, 256, 512, 1},   {kColumnCompressed, 1024, 2048, 1},
};
int g_directionFlags[6] = {0, 0, 1, 0, 1, 1};

int ColumnIndex(int column) {
    for (size_t i = 0; i < 6; ++i)
        if (kColumns[i].column == column) return int(i);
    return 0;
}
}  // namespace

int AscendingMode(int column) { return kColumns[ColumnIndex(column)].ascending; }
int DescendingMode(int column) { return kColumns[ColumnIndex(column)].descending; }
int& SortDirectionFlag(int column) { return g_directionFlags[ColumnIndex(column)]; }

std::string ExtSortKey(const FileListRecord& record) {
    size_t dot = record.name.find('.');
    return ToLower(dot == std::string::npos ? record.name : record.name.substr(dot + 1));
}

void SortRecords(std::vector<FileListRecord>& records, int column, bool ascending) {
    // Keys are computed once; the comparison is a plain three-way one.
    std::vector<size_t> order(records.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    auto sortBy = [&](auto key) {
        using Key = decltype(key(records[0]));
        std::vector<Key> keys;
        keys.reserve(records.size());
        for (const auto& r : records) keys.push_back(key(r));
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    };
    if (records.empty()) return;
    switch (column) {
    case kColumnName: sortBy([](const FileListRecord& r) { return ToLower(r.name); }); break;
    case kColumnExt: sortBy([](const FileListRecord& r) { return ExtSortKey(r); }); break;
    case kColumnDate: sortBy([](const FileListRecord& r) { return r.time; }); break;
    case kColumnLocation: sortBy([](const FileListRecord& r) { return ToLower(r.folder); }); break;
    // Sizes compare as signed numbers.
    case kColumnSize: sortBy([](const FileListRecord& r) { return int(r.size); }); break;
    case kColumnCompressed: sortBy([](const FileListRecord& r) { return int(r.compressedSize); }); break;
    default: return;
    }
    if (!ascending) std::reverse(order.begin(), order.end());
    std::vector<FileListRecord> sorted;
    sorted.reserve(records.size());
    for (size_t i : order) sorted.push_back(std::move(records[i]));
    records.swap(sorted);
}

std::string IconKey(const FileListRecord& record) { return IconKeyOf(record.fullPath, record.name); }

std::string IconKeyOf(const std::string& fullPath, const std::string& name) {
    size_t dot = fullPath.find_last_of('.');
    size_t slash = fullPath.find_last_of('\\');
    // A dot inside a folder name does not make an extension of the entry.
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return fullPath.substr(dot);
    return name.empty() ? ".dirfolder" : std::string();
}

}  // namespace tb

#include "browser/FileList.h"

#include <windows.h>

#include <algorithm>

#include "framework/Text.h"

namespace tb {

FileListRecord MakeFileListRecord(const std::string& storedPath, const std::string& dateText, int value0,
                                  unsigned size, unsigned compressedSize, unsigned flags) {
    FileListRecord r;
    r.fullPath = ReplaceAll(storedPath, "/", "\\");
    size_t slash = r.fullPath.find_last_of('\\');
    r.name = slash == std::string::npos ? r.fullPath : r.fullPath.substr(slash + 1);
    r.folder = slash == std::string::npos ? std::string() : r.fullPath.substr(0, slash);
    r.dateText = dateText;
    r.time = ParseEntryDate(dateText);
    r.value0 = value0;
    r.size = size;
    r.compressedSize = compressedSize;
    r.flags = flags;
    return r;
}

std::string FormatSize(unsigned size) {
    if (size > 10000000u) return Format("%uM", size / 1000000u);
    if (size > 1000u) return Format("%uK", size / 1000u);
    return Format("%u", size);
}

std::string FormatFileLine(const FileListRecord& record) {
    std::string n = record.name;
    if (record.flags & kEntryEncrypted) n += "+";
    std::string extension;
    size_t dot = n.find_last_of('.');
    if (dot != std::string::npos) {
        extension = n.substr(dot + 1) + " ";
        n = n.substr(0, dot);
    }
    if (n.empty()) {
        n = "    ";
        extension = "    ";
    }
    return "\t" + n + "\t" + extension + "\t" + record.dateText + "\t" + FormatSize(record.size) + "\t" +
           FormatSize(record.compressedSize) + "\t" + record.folder;
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

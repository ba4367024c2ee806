#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "browser/FileList.h"
#include "browser/PaneLayout.h"
#include "doctest/doctest.h"

using namespace tb;

namespace {
FileListRecord Entry(const std::string& path, unsigned size = 0, unsigned compressed = 0, unsigned flags = 0,
                     const std::string& date = "01-02-03 04:05") {
    return MakeFileListRecord(path, date, 8, size, compressed, flags);
}
struct LocalTime {
    int tm_year, tm_mon, tm_mday, tm_hour, tm_min;
};
LocalTime Local(int64_t t) {
    FILETIME utc{DWORD(t), DWORD(t >> 32)};
    SYSTEMTIME u{}, l{};
    FileTimeToSystemTime(&utc, &u);
    SystemTimeToTzSpecificLocalTime(nullptr, &u, &l);
    return LocalTime{l.wYear - 1900, l.wMonth - 1, l.wDay, l.wHour, l.wMinute};
}
}  // namespace

TEST_CASE("records split the stored path into name and folder") {
    auto r = Entry("docs/sub/readme.txt");
    CHECK(r.fullPath == "docs\\sub\\readme.txt");
    CHECK(r.name == "readme.txt");
    CHECK(r.folder == "docs\\sub");
    auto noExtension = Entry("docs/readme");
    CHECK(noExtension.name == "readme");
    CHECK(IconKey(noExtension).empty());
    auto folder = Entry("docs/");
    CHECK(folder.name.empty());
    CHECK(folder.folder == "docs");
    CHECK(IconKey(folder) == ".dirfolder");
    CHECK(IconKey(Entry("a/b.TXT")) == ".TXT");
    CHECK(IconKey(Entry("my.folder/readme")).empty());  // a dot in a folder name is no extension
}

TEST_CASE("sizes show as K above a thousand and M above ten million") {
    CHECK(FormatSize(1000) == "1000");
    CHECK(FormatSize(1500) == "1K");
    CHECK(FormatSize(10000000) == "10000K");
    CHECK(FormatSize(10000001) == "10M");
    CHECK(FormatSize(4294967295u) == "4294M");  // unsigned, never negative
}

TEST_CASE("file lines: columns, encrypted mark and folder entries") {
    CHECK(FormatFileLine(Entry("docs/report.doc", 5000, 1500)) ==
          "\treport\tdoc \t01-02-03 04:05\t5K\t1K\tdocs");
    CHECK(FormatFileLine(Entry("a.txt", 10, 12, kEntryEncrypted)) == "\ta\ttxt+ \t01-02-03 04:05\t10\t12\t");
    CHECK(FormatFileLine(Entry("docs/", 0, 0)) == "\t    \t    \t01-02-03 04:05\t0\t0\tdocs");
    CHECK(FormatFileLine(Entry("readme", 1, 1)) == "\treadme\t\t01-02-03 04:05\t1\t1\t");
    CHECK(FormatFileLine(Entry(".profile", 1, 1)) == "\t    \t    \t01-02-03 04:05\t1\t1\t");
}

TEST_CASE("two-digit years: below 50 are this century") {
    LocalTime nineteen = Local(ParseEntryDate("12-31-99 23:59"));
    CHECK(nineteen.tm_year + 1900 == 1999);
    CHECK(nineteen.tm_mon == 11);
    CHECK(nineteen.tm_mday == 31);
    CHECK(nineteen.tm_hour == 23);
    CHECK(nineteen.tm_min == 59);
    CHECK(Local(ParseEntryDate("06-15-03 10:00")).tm_year + 1900 == 2003);
    CHECK(Local(ParseEntryDate("06-15-49 10:00")).tm_year + 1900 == 2049);
    CHECK(Local(ParseEntryDate("06-15-50 10:00")).tm_year + 1900 == 1950);
}

// The line as the pane formatted it before lines were formatted in place:
// pieces joined with temporary strings, sizes through sprintf.
std::string LineAsBefore(const FileListRecord& r) {
    auto size = [](unsigned v) {
        char text[32];
        if (v > 10000000u) std::snprintf(text, sizeof text, "%uM", v / 1000000u);
        else if (v > 1000u) std::snprintf(text, sizeof text, "%uK", v / 1000u);
        else std::snprintf(text, sizeof text, "%u", v);
        return std::string(text);
    };
    std::string n = r.name;
    if (r.flags & kEntryEncrypted) n += "+";
    std::string extension;
    size_t dot = n.find_last_of('.');
    if (dot != std::string::npos) {
        extension = n.substr(dot + 1) + " ";
        n = n.substr(0, dot);
    }
    if (n.empty()) n = extension = "    ";
    return "\t" + n + "\t" + extension + "\t" + r.dateText + "\t" + size(r.size) + "\t" + size(r.compressedSize) +
           "\t" + r.folder;
}

TEST_CASE("lines formatted in place are the lines formatted before, for every shape of name and size") {
    const char* paths[] = {"a.txt", "docs/report.doc", "docs/", "readme", "docs/readme", ".profile", "x/.hidden.txt",
                           "tools/pack.tar.gz", "trailing.", "a/b/c/deep name with blanks.TXT", "", "..",
                           "my.folder/readme", "\xc3\xa9t\xc3\xa9.doc"};
    const unsigned sizes[] = {0, 1, 999, 1000, 1001, 1500, 9999999, 10000000, 10000001, 123456789, 4294967295u};
    std::string appended = "kept:";
    size_t lines = 0;
    for (const char* path : paths)
        for (unsigned flags : {0u, kEntryEncrypted})
            for (unsigned size : sizes) {
                const FileListRecord r = Entry(path, size, sizes[(size + 3) % 11], flags);
                INFO("path " << path << " flags " << flags << " size " << size);
                CHECK(FormatFileLine(r) == LineAsBefore(r));
                AppendFileLine(r, appended);
                ++lines;
            }
    // Appending adds to what is there.
    CHECK(appended.compare(0, 5, "kept:") == 0);
    CHECK(size_t(std::count(appended.begin(), appended.end(), '\t')) == 6 * lines);
}

TEST_CASE("sort keys and directions of the file columns") {
    std::vector<FileListRecord> records = {Entry("b/x.tar.gz", 5, 1), Entry("a/y.zip", 50, 40),
                                           Entry("c/w.gz", 500, 0x80000000u)};
    CHECK(ExtSortKey(records[0]) == "tar.gz");
    SortRecords(records, kColumnExt, true);
    CHECK(records[0].name == "w.gz");
    CHECK(records[1].name == "x.tar.gz");
    SortRecords(records, kColumnLocation, true);
    CHECK(records[0].folder == "a");
    SortRecords(records, kColumnSize, false);
    CHECK(records[0].size == 500);
    // Compressed sizes compare as signed numbers: 0x80000000 sorts lowest.
    SortRecords(records, kColumnCompressed, true);
    CHECK(records[0].name == "w.gz");
    CHECK(SortDirectionFlag(kColumnName) == 0);
    CHECK(SortDirectionFlag(kColumnDate) == 1);
    CHECK(SortDirectionFlag(kColumnSize) == 1);
    CHECK(AscendingMode(kColumnDate) == 16);
    CHECK(DescendingMode(kColumnCompressed) == 2048);
}

TEST_CASE("layout clamps and places the columns") {
    SUBCASE("a narrow window and small stored values") {
        LayoutValues v;
        v.divPoint = 400;
        PaneGeometry g = ComputePaneLayout(v, 300, 200, 0, 16);
        CHECK(v.divPoint == 275);
        LayoutValues small;
        small.arcLocation = 90;
        small.divPoint = 100;
        small.fileSize = 50;
        small.fileExt = 60;
        ComputePaneLayout(small, 800, 400, 0, 16);
        CHECK(small.arcLocation == 130);
        CHECK(small.divPoint == 135);
        CHECK(small.fileSize == 92);
        CHECK(small.fileExt == 110);
        (void)g;
    }
    SUBCASE("the default values") {
        LayoutValues v;
        PaneGeometry g = ComputePaneLayout(v, 900, 500, 600, 16);
        CHECK(g.archiveTabs[0] == 20);
        CHECK(g.archiveTabs[1] == 134);
        CHECK(g.archiveList.left == -2);
        CHECK(g.archiveList.right == 250);   // width
        CHECK(g.archiveList.bottom == 488);  // height
        // Name 110 (clamped), Ext 30, Date 92 (clamped), Size 45, Compr 45.
        CHECK(g.fileTabs[1] == 110);
        CHECK(g.fileTabs[2] == 140);
        CHECK(g.fileTabs[3] == 232);
        CHECK(g.fileTabs[4] == 277);
        CHECK(g.fileTabs[5] == 326);
        CHECK(g.fileTabs[6] == 4000);
        CHECK(g.fileList.left == 253);
        CHECK(g.fileList.right == 900 - 253 + 2);
        CHECK(g.headers[1].left == 130);
        CHECK(g.headers[1].right == 250 - 130 - 3);
        CHECK(g.headers[4].left == 253 + 140 + 1);  // Date / Time
        CHECK(g.headers[7].left == 253 + 277 + 45 + 1);  // Location
        CHECK(g.headers[7].right == 600 + 16 - (110 + 30 + 92 + 45 + 45) + 2);
    }
}

// The edit list: how additions meet the archive's items, the toggle, the row
// texts and the column sorts.
#include <windows.h>

#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "editor/EditList.h"
#include "framework/Text.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestTime.h"

using namespace tb;

namespace {

constexpr char kNoDisk[] = "Q:\\no such folder\\";

// Archive items as LoadArchive hands them over.
void AddItem(CEditList& list, const std::string& stored, int64_t size = 200, int64_t compressed = 100,
             bool encrypted = false, const std::string& date = "01-02-03 04:05") {
    list.ApplyEntry(stored, OpArchiveItem | (encrypted ? OpEncrypted : 0), 0, date, compressed, size);
}

std::vector<int> Actions(const CEditList& list) {
    std::vector<int> actions;
    for (const EditEntry& e : list.Entries()) actions.push_back(e.action);
    return actions;
}

std::vector<std::string> Names(const CEditList& list) {
    std::vector<std::string> names;
    for (const EditEntry& e : list.Entries()) names.push_back(e.name);
    return names;
}

int64_t Ticks(time_t t) { return (int64_t(t) + 11644473600LL) * 10000000LL; }

// Year, month, day, hour and minute of a time in local time ("1950-01-01 00:00").
std::string LocalFields(int64_t ticks) {
    FILETIME time{DWORD(ticks), DWORD(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&time, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return "";
    return Format("%04u-%02u-%02u %02u:%02u", unsigned(local.wYear), unsigned(local.wMonth), unsigned(local.wDay),
                  unsigned(local.wHour), unsigned(local.wMinute));
}

struct RowLog : IEditRows {
    std::vector<int> changed, removed;
    void RowChanged(int index) override { changed.push_back(index); }
    void RowRemoved(int index) override { removed.push_back(index); }
};

}  // namespace

TEST_CASE("a disk file added over its archive item turns the item into an update, once") {
    TestFolder folder("editlist-update");
    const std::string disk = folder.File("docs\\a.txt", "new content", 2020);
    CEditList list;
    AddItem(list, "docs\\a.txt", 200, 100, true);
    AddItem(list, "docs\\b.txt");
    REQUIRE(list.Size() == 2);
    CHECK(list.At(0).action == ActionKeep);
    CHECK(list.At(0).flags == kEntryFlagEncrypted);

    CHECK(list.ApplyEntry(disk, OpAddFile, 0, "", 0, -1) == 1);
    REQUIRE(list.Size() == 2);
    const EditEntry& updated = list.At(0);
    CHECK(updated.action == ActionUpdate);
    CHECK(updated.path == disk);
    CHECK(updated.name == "a.txt");
    CHECK(updated.folder == folder.Path("docs"));
    CHECK(updated.matchKey == ToUpper(disk));
    CHECK(updated.flags == 0);
    CHECK(updated.storedName == "docs\\a.txt");  // still the item it replaces
    // Size, compressed size and time stay the archive item's; the date text is the file's.
    CHECK(updated.size == 200);
    CHECK(updated.compressedSize == 100);
    CHECK(updated.time == EntryDateTime("01-02-03 04:05"));
    CHECK(updated.dateText == "06/01/20  12:00");

    // Adding it again changes nothing.
    CHECK(list.ApplyEntry(disk, OpAddFile, 0, "", 0, -1) == 1);
    CHECK(list.Size() == 2);
    CHECK(Actions(list) == std::vector<int>{ActionUpdate, ActionKeep});
    // An archive item is never matched: appending it again lists it twice.
    AddItem(list, "docs\\b.txt");
    CHECK(list.Size() == 3);
}

TEST_CASE("matches are whole path components at the end of the new path") {
    CEditList list;
    AddItem(list, "DOCS\\A.TXT");
    list.ApplyEntry("C:\\A.TXT", OpAddFile, 0, "01-01-20 10:00", 0, 5);
    AddItem(list, "NOTES.TXT");
    REQUIRE(Actions(list) == std::vector<int>{ActionKeep, ActionAdd, ActionKeep});

    SUBCASE("a longer name is another file") {
        list.ApplyEntry("C:\\A.TXT.BAK", OpAddFile, 0, "01-01-20 10:00", 0, 5);
        CHECK(list.Size() == 4);
        CHECK(list.At(3).action == ActionAdd);
        CHECK(list.At(3).path == "C:\\A.TXT.BAK");
    }
    SUBCASE("a folder whose name ends like the item's is another folder") {
        list.ApplyEntry("C:\\OLDDOCS\\A.TXT", OpAddFile, 0, "01-01-20 10:00", 0, 5);
        CHECK(Actions(list) == std::vector<int>{ActionKeep, ActionAdd, ActionKeep, ActionAdd});
    }
    SUBCASE("the same folder in any case, below any drive folder, is the item") {
        list.ApplyEntry("D:\\Work\\docs\\a.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
        CHECK(Actions(list) == std::vector<int>{ActionUpdate, ActionAdd, ActionKeep});
    }
    SUBCASE("an item stored without folders is matched by its name") {
        list.ApplyEntry("E:\\anywhere\\notes.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
        CHECK(Actions(list) == std::vector<int>{ActionKeep, ActionAdd, ActionUpdate});
        list.ApplyEntry("E:\\anywhere\\mynotes.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
        CHECK(list.Size() == 4);
    }
    SUBCASE("the same disk file twice is listed once") {
        list.ApplyEntry("c:\\a.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
        CHECK(list.Size() == 3);
    }
}

TEST_CASE("a long list still finds its duplicates, and the index follows sorts and removals") {
    CEditList list;
    for (int i = 0; i < 2500; ++i) AddItem(list, Format("folder%d\\file%05d.txt", i % 7, i));
    // Beyond 2000 entries an addition is still matched with its item.
    list.ApplyEntry("C:\\folder5\\file02497.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
    CHECK(list.Size() == 2500);
    CHECK(list.At(2497).action == ActionUpdate);
    list.ApplyEntry("C:\\folder5\\file02497.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
    CHECK(list.Size() == 2500);

    list.Sort(kEditColumnName, false, kShowCompressedSizes);
    CHECK(list.At(0).name == "file02499.txt");
    CHECK(list.FindSameFile("C:\\FOLDER0\\FILE02499.TXT") == 0);
    CHECK(list.FindPath("folder0\\file02499.TXT") == 0);

    list.ApplyEntry("", OpToggleRemove, 2, "", 0, 0);  // file02497.txt, the update: dropped
    CHECK(list.Size() == 2499);
    CHECK(list.FindPath("C:\\folder5\\file02497.txt") == -1);
    CHECK(list.FindSameFile("C:\\FOLDER6\\FILE02498.TXT") == 1);
    CHECK(list.FindSameFile("C:\\FOLDER4\\FILE02496.TXT") == 2);
}

TEST_CASE("freshening replaces matching archive items only") {
    CEditList list;
    AddItem(list, "docs\\a.txt.bak");
    AddItem(list, "docs\\a.txt", 300, 150);
    AddItem(list, "report.doc");
    AddItem(list, "docs\\ba.txt");
    const auto before = Names(list);

    // Three files: two have items, one has none and is not added.
    CHECK(list.ApplyEntry("C:\\docs\\A.TXT", OpFreshen, 0, "02-03-21 08:00", 7, 70) == 1);
    CHECK(list.ApplyEntry("D:\\letters\\report.doc", OpFreshen, 0, "02-03-21 08:00", 7, 70) == 1);
    CHECK(list.ApplyEntry("C:\\docs\\new.txt", OpFreshen, 0, "02-03-21 08:00", 7, 70) == 1);
    CHECK(list.Size() == 4);
    CHECK(Actions(list) == std::vector<int>{ActionKeep, ActionUpdate, ActionUpdate, ActionKeep});
    // The item takes the disk file's path and date; its size and time stay,
    // the compressed size is the one handed in.
    CHECK(list.At(1).path == "C:\\docs\\A.TXT");
    CHECK(list.At(1).dateText == "02-03-21 08:00");
    CHECK(list.At(1).size == 300);
    CHECK(list.At(1).compressedSize == 7);
    CHECK(list.At(1).time == EntryDateTime("01-02-03 04:05"));
    // A name that merely contains an item's name is no match.
    CHECK(list.FindFreshenTarget("C:\\docs\\B.TXT") == -1);
    CHECK(list.FindFreshenTarget("C:\\x\\breport.doc") == -1);
    CHECK(list.FindFreshenTarget("docs\\ba.txt") == 3);
}

TEST_CASE("removal toggles archive items and drops additions") {
    CEditList list;
    RowLog rows;
    list.SetRows(&rows);
    AddItem(list, "keep.txt");
    list.ApplyEntry("C:\\new.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
    AddItem(list, "docs\\old.txt");
    list.ApplyEntry("C:\\docs\\old.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
    REQUIRE(Actions(list) == std::vector<int>{ActionKeep, ActionAdd, ActionUpdate});

    CHECK(list.ApplyEntry("", OpToggleRemove, 0, "", 0, 0) == 0);
    CHECK(list.At(0).action == ActionRemove);
    CHECK(list.ApplyEntry("", OpToggleRemove, 0, "", 0, 0) == 0);
    CHECK(list.At(0).action == ActionKeep);
    CHECK(rows.changed == std::vector<int>{0, 0});

    CHECK(list.ApplyEntry("", OpToggleRemove, 2, "", 0, 0) == 0);  // the update leaves the list
    CHECK(list.ApplyEntry("", OpToggleRemove, 1, "", 0, 0) == 0);  // so does the addition
    CHECK(Names(list) == std::vector<std::string>{"keep.txt"});
    CHECK(rows.removed == std::vector<int>{2, 1});
    CHECK(list.ApplyEntry("", OpToggleRemove, 1, "", 0, 0) == 0);  // beyond the last entry
    CHECK(list.Size() == 1);

    CHECK(list.ApplyEntry("", OpClear, 0, "", 0, 0) == 0);
    CHECK(list.Empty());
    AddItem(list, "a.txt");
    CHECK(list.ApplyEntry("", OpClearToo, 0, "", 0, 0) == 0);
    CHECK(list.Empty());
}

TEST_CASE("dates: the archive's two-digit years, files on disk, and paths that name no single file") {
    CHECK(EntryDateTime("12-31-99 23:59") == Ticks(LocalTime(1999, 12, 31, 23, 59, 0)));
    CHECK(EntryDateTime("07-04-03 09:05") == Ticks(LocalTime(2003, 7, 4, 9, 5, 0)));
    CHECK(LocalFields(EntryDateTime("01-01-49 00:00")) == "2049-01-01 00:00");
    CHECK(LocalFields(EntryDateTime("01-01-50 00:00")) == "1950-01-01 00:00");
    CHECK(LocalFields(EntryDateTime("11/30/07 18:45")) == "2007-11-30 18:45");  // any separators

    TestFolder folder("editlist-dates");
    const std::string one = folder.File("one.txt", "12345", 2019);
    folder.File("two.txt", "1");
    CEditList list;
    list.ApplyEntry(one, OpAddFile, 0, "", 0, -1);
    CHECK(list.At(0).size == 5);
    CHECK(list.At(0).dateText == "06/01/19  12:00");
    CHECK(list.At(0).time == Ticks(LocalTime(2019, 6, 1, 12, 0, 0)));
    // A size handed in is kept.
    list.ApplyEntry(folder.Path("two.txt"), OpAddFile, 0, "", 0, 99);
    CHECK(list.At(1).size == 99);
    // A path that names several files.
    list.ApplyEntry(folder.Path("*.txt"), OpAddFile, 0, "", 0, 42);
    CHECK(LocalFields(list.At(2).time) == "1970-01-01 12:00");
    CHECK(list.At(2).dateText.empty());
    CHECK(list.At(2).size == 42);
    // A file that is gone counts as empty.
    list.ApplyEntry(std::string(kNoDisk) + "gone.txt", OpAddFile, 0, "", 0, -1);
    CHECK(list.At(3).size == 0);
    CHECK(list.At(3).dateText.empty());
}

TEST_CASE("row texts: sizes, the encrypted mark, names without a base, actions") {
    CHECK(EditSizeText(0) == "   ");
    CHECK(EditSizeText(7) == "  7");
    CHECK(EditSizeText(1000) == "1000");
    CHECK(EditSizeText(1001) == "  1K");
    CHECK(EditSizeText(999999) == "999K");
    CHECK(EditSizeText(1500000) == "  1M");
    CHECK(EditSizeText(2500000) == "  2M");
    CHECK(EditSizeText(5LL << 30) == "5368M");  // sizes past 4 GiB stay whole

    CEditList list;
    AddItem(list, "docs\\report.doc", 5000, 1500, true, "03-04-05 06:07");
    AddItem(list, ".profile", 12, 10);
    AddItem(list, "docs\\", 0, 0);
    list.ApplyEntry("C:\\new\\readme", OpAddFile, 0, "01-01-20 10:00", 0, 3000);
    CHECK(FormatRow(list.At(0), kShowCompressedSizes) == "\treport\tdoc+ \t----- \t03-04-05 06:07\t  1K\tdocs");
    CHECK(FormatRow(list.At(0), kShowSizes) == "\treport\tdoc+ \t----- \t03-04-05 06:07\t  5K\tdocs");
    CHECK(FormatRow(list.At(1), kShowCompressedSizes) == "\t    \t    \t----- \t01-02-03 04:05\t 10\t");
    CHECK(FormatRow(list.At(2), kShowSizes) == "\t    \t    \t----- \t01-02-03 04:05\t   \tdocs");
    // Additions have no compressed size yet.
    CHECK(FormatRow(list.At(3), kShowCompressedSizes) == "\treadme\t\tADD\t01-01-20 10:00\t-------\tC:\\new");
    CHECK(FormatRow(list.At(3), kShowSizes) == "\treadme\t\tADD\t01-01-20 10:00\t  3K\tC:\\new");
    list.ApplyEntry("", OpToggleRemove, 0, "", 0, 0);
    CHECK(FormatRow(list.At(0), kShowCompressedSizes).find("\tREMOVE\t") != std::string::npos);
    EditEntry odd = list.At(1);
    odd.action = 3;
    CHECK(FormatRow(odd, kShowSizes) == "\t    \t    \t       \t01-02-03 04:05\t 12\t");
}

TEST_CASE("column sorts: the direction flags, the Cmpr Size / Size cycle, and the keys") {
    for (int column : {kEditColumnName, kEditColumnExt, kEditColumnAction, kEditColumnDate, kEditColumnLocation})
        EditSortFlag(column) = 0;
    EditSortFlag(kEditColumnSize) = 1;

    int mode = kShowCompressedSizes;
    CHECK(ToggleEditSort(kEditColumnName, mode));         // first click: ascending
    CHECK_FALSE(ToggleEditSort(kEditColumnName, mode));   // then descending
    // Sizes descending, sizes ascending, compressed descending, compressed ascending.
    CHECK_FALSE(ToggleEditSort(kEditColumnSize, mode));
    CHECK(mode == kShowSizes);
    CHECK(ToggleEditSort(kEditColumnSize, mode));
    CHECK(mode == kShowSizes);
    CHECK_FALSE(ToggleEditSort(kEditColumnSize, mode));
    CHECK(mode == kShowCompressedSizes);
    CHECK(ToggleEditSort(kEditColumnSize, mode));
    CHECK(mode == kShowCompressedSizes);
    CHECK(EditSortFlag(kEditColumnName) == 0);  // each column has its own flag

    CEditList list;
    list.Sort(kEditColumnName, true, kShowSizes);  // nothing to sort
    CHECK(list.Empty());
    AddItem(list, "b\\x.tar.gz", 10, 900, false, "05-05-05 05:05");
    AddItem(list, "a\\Y.doc", 30, 100, false, "01-01-01 01:01");
    AddItem(list, "c\\w.Txt", 20, 500, false, "09-09-99 09:09");
    list.ApplyEntry("", OpToggleRemove, 2, "", 0, 0);

    list.Sort(kEditColumnName, true, kShowSizes);
    CHECK(Names(list) == std::vector<std::string>{"w.Txt", "x.tar.gz", "Y.doc"});
    list.Sort(kEditColumnExt, true, kShowSizes);  // DOC, TAR.GZ, TXT
    CHECK(Names(list) == std::vector<std::string>{"Y.doc", "x.tar.gz", "w.Txt"});
    list.Sort(kEditColumnAction, false, kShowSizes);
    CHECK(list.At(0).name == "w.Txt");
    list.Sort(kEditColumnDate, true, kShowSizes);
    CHECK(Names(list) == std::vector<std::string>{"w.Txt", "Y.doc", "x.tar.gz"});
    list.Sort(kEditColumnSize, false, kShowSizes);
    CHECK(Names(list) == std::vector<std::string>{"Y.doc", "w.Txt", "x.tar.gz"});
    list.Sort(kEditColumnSize, false, kShowCompressedSizes);
    CHECK(Names(list) == std::vector<std::string>{"x.tar.gz", "w.Txt", "Y.doc"});
    list.Sort(kEditColumnLocation, false, kShowSizes);
    CHECK(Names(list) == std::vector<std::string>{"w.Txt", "x.tar.gz", "Y.doc"});
}

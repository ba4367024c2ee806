// The dated archive names: what the automatic run writes, what the folding of
// old days writes, and which files of a folder count as either.

#include "doctest/doctest.h"
#include "history/DatedArchives.h"
#include "tests/unit/TestFolder.h"

namespace tb {

TEST_CASE("day and month archive names are written and read back alike") {
    std::tm t{};
    t.tm_year = 2001 - 1900;
    t.tm_mon = 3;
    t.tm_mday = 1;
    CHECK(DatedArchiveName(t) == "April 01 2001.zip");
    CHECK(ArchiveDate::DayOf(t).FileName() == "April 01 2001.zip");
    CHECK(MonthArchiveName(2026, 11) == "November 2026.zip");
    CHECK(ArchiveDate::MonthOf(2026, 11).Text() == "November 2026");

    // Every day of a leap year and every month survive the round trip.
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= 31; ++day) {
            const ArchiveDate date = ArchiveDate::DayOf(2024, month, day);
            if (!date.IsDated()) continue;
            CHECK(ParseArchiveDate(date.FileName()) == date);
        }
        CHECK(ParseArchiveDate(MonthArchiveName(2026, month)) == ArchiveDate::MonthOf(2026, month));
    }
    const ArchiveDate day = ParseArchiveDate("September 30 1999.zip");
    CHECK(day.IsDay());
    CHECK((day.year == 1999 && day.month == 9 && day.day == 30));
    const ArchiveDate month = ParseArchiveDate("February 2000.zip");
    CHECK(month.IsMonth());
    CHECK((month.year == 2000 && month.month == 2 && month.day == 0));
    // The file system does not tell letter cases apart.
    CHECK(ParseArchiveDate("april 01 2001.ZIP") == ArchiveDate::DayOf(2001, 4, 1));
}

TEST_CASE("names that only look dated are not taken for the program's archives") {
    const char* const notDated[] = {
        "April 1 2001.zip",      // one-digit day
        "April 01 01.zip",       // two-digit year
        "Apr 01 2001.zip",       // short month name
        "April 01 2001.zip.bak", "April 01 2001.zip ", " April 01 2001.zip",
        "April  01 2001.zip",    // two blanks
        "April 01 2001 (2).zip", "April 01 2001.7z", "April 01 2001", "April 31 2001.zip",
        "February 29 2023.zip",  // no such day
        "April 00 2001.zip",     "Smarch 01 2001.zip", "April 2001 01.zip", "2001.zip",
        "April 0x 2001.zip",     "Month 2026.zip",     "November 26.zip",   "November 0000.zip",
        "",                      "report.doc",
    };
    for (const char* name : notDated) {
        INFO(name);
        CHECK_FALSE(ParseArchiveDate(name).IsDated());
    }
    CHECK(ParseArchiveDate("February 29 2024.zip").IsDay());
    CHECK(ArchiveDate().Text().empty());
    CHECK(ArchiveDate().FileName().empty());
    CHECK_FALSE(ArchiveDate::DayOf(2023, 2, 29).IsDated());
    CHECK_FALSE(ArchiveDate::MonthOf(2023, 13).IsDated());
}

TEST_CASE("a month archive orders before the days of its month that are kept on their own") {
    CHECK(ArchiveDate::DayOf(2026, 10, 31).SortKey() < ArchiveDate::MonthOf(2026, 11).SortKey());
    CHECK(ArchiveDate::MonthOf(2026, 11).SortKey() < ArchiveDate::DayOf(2026, 11, 1).SortKey());
    CHECK(ArchiveDate::DayOf(2026, 11, 30).SortKey() < ArchiveDate::MonthOf(2026, 12).SortKey());
    CHECK(ArchiveDate::DayOf(2025, 12, 31).SortKey() < ArchiveDate::DayOf(2026, 1, 1).SortKey());
}

TEST_CASE("a folder's dated and month archives are listed oldest first, nothing else") {
    TestFolder folder("dated");
    folder.File("March 02 2026.zip", "two");
    folder.File("February 2026.zip", "month");
    folder.File("February 27 2026.zip", "feb27");
    folder.File("March 01 2026.zip", "one");
    folder.File("January 05 2025.zip", "old");
    folder.File("notes.zip", "not dated");
    folder.File("March 03 2026.zip.tmp", "half written");
    folder.Folder("March 04 2026.zip");           // a folder, not an archive
    folder.File("sub\\March 05 2026.zip", "deeper");  // not in the folder itself

    const std::vector<DatedArchive> found = ListDatedArchives(folder.Root());
    REQUIRE(found.size() == 5);
    CHECK(found[0].path == folder.Path("January 05 2025.zip"));
    CHECK(found[1].path == folder.Path("February 2026.zip"));
    CHECK(found[1].date.IsMonth());
    CHECK(found[2].path == folder.Path("February 27 2026.zip"));
    CHECK(found[3].path == folder.Path("March 01 2026.zip"));
    CHECK(found[4].path == folder.Path("March 02 2026.zip"));
    CHECK(found[4].date == ArchiveDate::DayOf(2026, 3, 2));
    CHECK(found[4].size == 3);
    CHECK(found[4].writeTime != 0);

    // A folder given with its trailing backslash lists the same paths.
    CHECK(ListDatedArchives(folder.Root() + "\\")[0].path == found[0].path);
    CHECK(ListDatedArchives(folder.Path("missing")).empty());
    CHECK(ListDatedArchives("").empty());
}

}  // namespace tb

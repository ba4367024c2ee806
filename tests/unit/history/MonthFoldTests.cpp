// Folding old day archives into month archives: the plan (which copy of each
// file is kept, which days are due) and the folding of a real folder.

#include <windows.h>

#include <atomic>
#include <fstream>
#include <map>

#include "doctest/doctest.h"
#include "history/Consolidation.h"
#include "history/MonthFold.h"
#include "tests/unit/TestFolder.h"
#include "ziplib/core/Crypto.h"
#include "ziplib/core/ExtractJob.h"
#include "ziplib/core/UpdateJob.h"

using namespace tb;

namespace {

FoldEntry Entry(const std::string& name, unsigned dosTime) { return FoldEntry{name, dosTime, false, 0}; }

FoldSource Day(int day, std::vector<FoldEntry> entries) {
    return FoldSource{ArchiveDate::DayOf(2026, 11, day), std::move(entries)};
}

// "name <- source:entry" for each pick, for readable failures.
std::vector<std::string> Describe(const std::vector<FoldSource>& sources, const std::vector<FoldPick>& picks) {
    std::vector<std::string> lines;
    for (const FoldPick& p : picks)
        lines.push_back(sources[p.source].entries[p.entry].name + " <- " + std::to_string(p.source) + ":" +
                        std::to_string(p.entry));
    return lines;
}

std::tm Day(int year, int month, int day) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = 12;
    return t;
}

DatedArchive Listed(const std::string& name) {
    DatedArchive a;
    a.path = "C:\\Auto Archives\\" + name;
    a.date = ParseArchiveDate(name);
    return a;
}

}  // namespace

TEST_CASE("the plan keeps the newest copy of every file and drops only copies a newer one replaced") {
    // Day 1: a, b. Day 2: c, and a again (changed). Day 3: a again, d.
    const std::vector<FoldSource> days = {
        Day(1, {Entry("docs/a.txt", 100), Entry("docs/b.txt", 100)}),
        Day(2, {Entry("c.txt", 200), Entry("docs/a.txt", 200)}),
        Day(3, {Entry("docs/a.txt", 300), Entry("d/", 300), Entry("d/e.txt", 300)}),
    };
    CHECK(Describe(days, PlanMonthFold(days)) ==
          std::vector<std::string>{"docs/a.txt <- 2:0", "docs/b.txt <- 0:1", "c.txt <- 1:0", "d/ <- 2:1",
                                   "d/e.txt <- 2:2"});

    // Windows names: case and separators do not make another file.
    const std::vector<FoldSource> mixed = {Day(1, {Entry("Docs\\A.TXT", 100)}), Day(2, {Entry("docs/a.txt", 200)})};
    CHECK(Describe(mixed, PlanMonthFold(mixed)) == std::vector<std::string>{"docs/a.txt <- 1:0"});

    // Within one archive a name twice: the later entry.
    const std::vector<FoldSource> twice = {Day(1, {Entry("a.txt", 100), Entry("a.txt", 100)})};
    CHECK(PlanMonthFold(twice) == std::vector<FoldPick>{{0, 1}});
    CHECK(PlanMonthFold({}).empty());
}

TEST_CASE("the copy of the latest day is kept whatever its own time; the time only breaks ties within one day") {
    // A file put back from a backup on the 2nd: its copy is older than the 1st's.
    const std::vector<FoldSource> restored = {Day(1, {Entry("a.txt", 500)}), Day(2, {Entry("a.txt", 400)})};
    CHECK(PlanMonthFold(restored) == std::vector<FoldPick>{{1, 0}});
    // Given newest first, the answer is the same.
    CHECK(PlanMonthFold({restored[1], restored[0]}) == std::vector<FoldPick>{{0, 0}});

    // A month archive stands for the last day folded into it: a day left
    // over from before (it could not be removed then) loses to it even with
    // a newer time; a later day wins.
    const FoldSource upTo20{ArchiveDate::DayOf(2026, 11, 20), {Entry("a.txt", 400), Entry("b.txt", 400)}};
    const std::vector<FoldSource> leftOver = {upTo20, Day(10, {Entry("a.txt", 900)}), Day(21, {Entry("b.txt", 100)})};
    CHECK(PlanMonthFold(leftOver) == std::vector<FoldPick>{{0, 0}, {2, 0}});
    // Whose last day is not known: it holds older days than any day kept on its own.
    const FoldSource unknown{ArchiveDate::MonthOf(2026, 11), {Entry("a.txt", 900)}};
    CHECK(PlanMonthFold({unknown, Day(1, {Entry("a.txt", 100)})}) == std::vector<FoldPick>{{1, 0}});

    // Within one day: the newer time, then the later archive, then the later entry.
    CHECK(PlanMonthFold({upTo20, Day(20, {Entry("a.txt", 300), Entry("b.txt", 400)})}) ==
          std::vector<FoldPick>{{0, 0}, {1, 1}});
    // Unix times (one second) decide when both copies carry one, even within
    // the two seconds of one MS-DOS time; otherwise the MS-DOS times do.
    FoldEntry early{"x.txt", 700, true, 1000}, later{"x.txt", 700, true, 1001}, noUnix{"x.txt", 698, false, 0};
    CHECK(PlanMonthFold({Day(2, {later, early})}) == std::vector<FoldPick>{{0, 0}});
    CHECK(PlanMonthFold({Day(2, {early, noUnix})}) == std::vector<FoldPick>{{0, 0}});
}

TEST_CASE("the month archive's comment records the last day folded into it") {
    const ArchiveDate day = ArchiveDate::DayOf(2026, 11, 4);
    CHECK(FoldedUpToComment(day) == "Day archives folded up to November 04 2026");
    CHECK(FoldedUpTo(FoldedUpToComment(day)) == day);
    CHECK_FALSE(FoldedUpTo("").IsDated());
    CHECK_FALSE(FoldedUpTo("Made by hand").IsDated());
    CHECK_FALSE(FoldedUpTo("Day archives folded up to November 2026").IsDated());
    CHECK(FoldedUpToComment(ArchiveDate::MonthOf(2026, 11)).empty());
}

TEST_CASE("the days due are those more than N days old, grouped by month, with the month archive already there") {
    const std::vector<DatedArchive> listing = {
        Listed("October 31 2026.zip"), Listed("November 2026.zip"), Listed("November 06 2026.zip"),
        Listed("November 07 2026.zip"), Listed("December 01 2026.zip"), Listed("December 07 2026.zip")};
    const std::vector<MonthToFold> due = MonthsDueForFolding(listing, Day(2026, 12, 7), 30);
    REQUIRE(due.size() == 2);
    CHECK(due[0].year == 2026);
    CHECK(due[0].month == 10);
    REQUIRE(due[0].days.size() == 1);
    CHECK(due[0].days[0].path == "C:\\Auto Archives\\October 31 2026.zip");
    CHECK(due[0].monthArchive.empty());
    CHECK(due[1].month == 11);
    REQUIRE(due[1].days.size() == 1);  // November 7 is exactly 30 days old: not yet
    CHECK(due[1].days[0].path == "C:\\Auto Archives\\November 06 2026.zip");
    CHECK(due[1].monthArchive == "C:\\Auto Archives\\November 2026.zip");

    // Across the year; one day: only yesterday's and older.
    const std::vector<DatedArchive> turn = {Listed("December 31 2026.zip"), Listed("January 02 2027.zip"),
                                            Listed("January 04 2027.zip")};
    const std::vector<MonthToFold> newYear = MonthsDueForFolding(turn, Day(2027, 1, 5), 3);
    REQUIRE(newYear.size() == 1);
    CHECK(newYear[0].year == 2026);
    CHECK(newYear[0].month == 12);
    CHECK(MonthsDueForFolding(turn, Day(2027, 1, 5), 1).size() == 2);
    CHECK(MonthsDueForFolding(turn, Day(2027, 1, 5), 1)[1].days.size() == 1);
    // A month archive alone is nothing to do.
    CHECK(MonthsDueForFolding({Listed("November 2026.zip")}, Day(2027, 1, 5), 1).empty());
}

namespace {

// Archives written by the ZIP core, as the program's dated archives are.
void AddFiles(const std::string& archive, const std::vector<std::string>& files, const std::string& password = "") {
    zl::UpdateOptions o;
    o.archive = archive;
    o.names = files;
    o.keepFolders = false;
    o.encrypt = !password.empty();
    o.password = password;
    zl::CSilentEvents events;
    zl::CUpdateJob job(zl::PlatformFileSystem(), &zl::PlatformCrypto(), events);
    REQUIRE(job.Run(o) == zl::kZipOk);
}

std::map<std::string, std::string> Unpacked(const TestFolder& folder, const std::string& archive,
                                            const std::string& password = "") {
    static int count = 0;
    const std::string to = folder.Folder("unpacked" + std::to_string(++count));
    zl::ExtractOptions o;
    o.archive = archive;
    o.destination = to;
    o.quiet = true;
    o.havePassword = !password.empty();
    o.password = password;
    zl::CSilentEvents events;
    zl::CExtractJob job(zl::PlatformFileSystem(), &zl::PlatformCrypto(), events);
    REQUIRE(job.Run(o) == zl::kZipOk);
    std::map<std::string, std::string> files;
    for (const std::string& name : TestFolder::Listing(to)) files[name] = TestFolder::Read(to + "\\" + name);
    return files;
}

// Three November days, each written at its own time: a.txt changes on the
// 2nd and the 4th, b.txt is only in the 2nd, c.txt only in the 3rd, and the
// 4th also holds a protected d.txt.
struct NovemberDays {
    TestFolder folder{"month-fold"};
    std::string archives = folder.Folder("archives");
    std::string day2 = archives + "\\November 02 2026.zip", day3 = archives + "\\November 03 2026.zip",
                day4 = archives + "\\November 04 2026.zip";
    NovemberDays() {
        TestFolder::SetTime(folder.File("in2\\a.txt", "a, first"), 2026, 11, 2);
        TestFolder::SetTime(folder.File("in2\\b.txt", "b, only"), 2026, 11, 2);
        AddFiles(day2, {folder.Path("in2\\a.txt"), folder.Path("in2\\b.txt")});
        TestFolder::SetTime(folder.File("in3\\c.txt", "c, only"), 2026, 11, 3);
        AddFiles(day3, {folder.Path("in3\\c.txt")});
        TestFolder::SetTime(folder.File("in4\\a.txt", "a, last"), 2026, 11, 4);
        TestFolder::SetTime(folder.File("in4\\d.txt", "d, protected"), 2026, 11, 4);
        AddFiles(day4, {folder.Path("in4\\a.txt")});
        AddFiles(day4, {folder.Path("in4\\d.txt")}, "pw");
    }
};

// Flips one byte of the first entry's stored data: its records stay sound,
// its CRC fails.
void DamageFirstEntryData(const std::string& archive) {
    std::string bytes = TestFolder::Read(archive);
    REQUIRE(bytes.compare(0, 4, "PK\x03\x04") == 0);
    const size_t nameLength = uint8_t(bytes[26]) | uint8_t(bytes[27]) << 8;
    const size_t extraLength = uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8;
    bytes[30 + nameLength + extraLength] ^= 0x55;
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace

TEST_CASE("folding a folder: one month archive with the newest copies, the days gone, everything else untouched") {
    NovemberDays t;
    const std::string recent = t.folder.File("archives\\December 06 2026.zip", "not read: too recent");
    const std::string foreign = t.folder.File("archives\\Notes.zip", "not a dated name");
    const std::string invalid = t.folder.File("archives\\November 31 2026.zip", "no such day");
    const std::string nested = t.folder.File("archives\\old\\November 05 2026.zip", "in a subfolder");
    std::atomic<bool> stop{false};
    ConsolidationResult result;
    ConsolidateFolder(t.archives, Day(2026, 12, 7), 30, stop, result);

    const std::string month = t.archives + "\\November 2026.zip";
    CHECK(result.written == std::vector<std::string>{month});
    CHECK(result.removed == std::vector<std::string>{t.day2, t.day3, t.day4});
    CHECK(result.problems.empty());
    CHECK(TestFolder::Listing(t.archives) == std::vector<std::string>{"December 06 2026.zip", "Notes.zip",
                                                                       "November 2026.zip", "November 31 2026.zip",
                                                                       "old"});
    CHECK(TestFolder::Read(recent) == "not read: too recent");
    CHECK(TestFolder::Read(foreign) == "not a dated name");
    CHECK(TestFolder::Read(invalid) == "no such day");
    CHECK(TestFolder::Read(nested) == "in a subfolder");
    const std::map<std::string, std::string> files = Unpacked(t.folder, month, "pw");
    CHECK(files == std::map<std::string, std::string>{
                       {"a.txt", "a, last"}, {"b.txt", "b, only"}, {"c.txt", "c, only"}, {"d.txt", "d, protected"}});

    SUBCASE("a later day's copy is kept even when the file's own time is older") {
        // a.txt put back from a backup on the 9th: its time is the 1st's.
        TestFolder::SetTime(t.folder.File("in9\\a.txt", "a, put back"), 2026, 11, 1);
        const std::string day9 = t.archives + "\\November 09 2026.zip";
        AddFiles(day9, {t.folder.Path("in9\\a.txt")});
        ConsolidationResult again;
        ConsolidateFolder(t.archives, Day(2026, 12, 12), 30, stop, again);
        CHECK(again.removed == std::vector<std::string>{day9});
        CHECK(Unpacked(t.folder, month, "pw").at("a.txt") == "a, put back");
    }
    SUBCASE("a later day folds into the month archive, whose own copies count") {
        TestFolder::SetTime(t.folder.File("in9\\b.txt", "b, changed"), 2026, 11, 9);
        const std::string day9 = t.archives + "\\November 09 2026.zip";
        AddFiles(day9, {t.folder.Path("in9\\b.txt")});
        ConsolidationResult again;
        ConsolidateFolder(t.archives, Day(2026, 12, 12), 30, stop, again);
        CHECK(again.written == std::vector<std::string>{month});
        CHECK(again.removed == std::vector<std::string>{day9});
        CHECK(Unpacked(t.folder, month, "pw") ==
              std::map<std::string, std::string>{
                  {"a.txt", "a, last"}, {"b.txt", "b, changed"}, {"c.txt", "c, only"}, {"d.txt", "d, protected"}});
    }
}

TEST_CASE("a damaged or locked day archive stays, and the others fold; a stop leaves everything as it was") {
    NovemberDays t;
    std::atomic<bool> stop{false};
    ConsolidationResult result;

    SUBCASE("damaged") {
        const std::string damaged = t.folder.File("archives\\November 05 2026.zip", "PK\x03\x04 cut short");
        ConsolidateFolder(t.archives, Day(2026, 12, 7), 30, stop, result);
        CHECK(result.removed.size() == 3);
        REQUIRE(result.problems.size() == 1);
        CHECK(result.problems[0].find(damaged) == 0);
        CHECK(TestFolder::Read(damaged) == "PK\x03\x04 cut short");
    }
    SUBCASE("a record damaged behind a sound directory") {
        std::string bytes = TestFolder::Read(t.day3);
        bytes[0] = 'X';  // c.txt's local header
        {
            std::ofstream out(t.day3, std::ios::binary);
            out << bytes;
        }
        ConsolidateFolder(t.archives, Day(2026, 12, 7), 30, stop, result);
        CHECK(result.written.size() == 1);
        CHECK(result.removed == std::vector<std::string>{t.day2, t.day4});
        REQUIRE(result.problems.size() == 1);
        CHECK(result.problems[0].find(t.day3) == 0);
        CHECK(TestFolder::Read(t.day3) == bytes);
        CHECK(Unpacked(t.folder, t.archives + "\\November 2026.zip", "pw").count("c.txt") == 0);
    }
    SUBCASE("an entry whose data fails its CRC") {
        DamageFirstEntryData(t.day3);
        const std::string damaged = TestFolder::Read(t.day3);
        ConsolidateFolder(t.archives, Day(2026, 12, 7), 30, stop, result);
        CHECK(result.written.size() == 1);
        CHECK(result.removed == std::vector<std::string>{t.day2, t.day4});
        REQUIRE(result.problems.size() == 1);
        CHECK(result.problems[0].find(t.day3) == 0);
        CHECK(TestFolder::Read(t.day3) == damaged);
        // The month archive holds no damaged copy: it unpacks whole.
        CHECK(Unpacked(t.folder, t.archives + "\\November 2026.zip", "pw") ==
              std::map<std::string, std::string>{{"a.txt", "a, last"}, {"b.txt", "b, only"}, {"d.txt", "d, protected"}});
    }
    SUBCASE("a damaged copy that a later day replaced does not hold its day back") {
        DamageFirstEntryData(t.day2);  // a.txt, replaced on the 4th
        ConsolidateFolder(t.archives, Day(2026, 12, 7), 30, stop, result);
        CHECK(result.removed == std::vector<std::string>{t.day2, t.day3, t.day4});
        CHECK(result.problems.empty());
    }
    SUBCASE("locked by another program") {
        // Open without sharing deletion, as a program that holds it would:
        // it can be read and folded, but not removed.
        HANDLE held = ::CreateFileA(t.day3.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        REQUIRE(held != INVALID_HANDLE_VALUE);
        ConsolidateFolder(t.archives, Day(2026, 12, 7), 30, stop, result);
        ::CloseHandle(held);
        CHECK(result.written.size() == 1);
        CHECK(result.removed == std::vector<std::string>{t.day2, t.day4});
        REQUIRE(result.problems.size() == 1);
        CHECK(result.problems[0].find(t.day3) == 0);
        CHECK(TestFolder::Listing(t.archives) ==
              std::vector<std::string>{"November 03 2026.zip", "November 2026.zip"});
        CHECK(Unpacked(t.folder, t.archives + "\\November 2026.zip", "pw").at("c.txt") == "c, only");

        // The day left over is folded later; the month archive stands for the
        // 4th, so a copy of the 3rd does not replace the 4th's, whatever its time.
        TestFolder::SetTime(t.folder.File("in3\\a.txt", "a, of the 3rd"), 2026, 11, 30);
        AddFiles(t.day3, {t.folder.Path("in3\\a.txt")});
        ConsolidationResult later;
        ConsolidateFolder(t.archives, Day(2026, 12, 8), 30, stop, later);
        CHECK(later.removed == std::vector<std::string>{t.day3});
        CHECK(Unpacked(t.folder, t.archives + "\\November 2026.zip", "pw").at("a.txt") == "a, last");
    }
    SUBCASE("stopped") {
        const std::string before2 = TestFolder::Read(t.day2);
        stop = true;
        ConsolidateFolder(t.archives, Day(2026, 12, 7), 30, stop, result);
        CHECK(result.written.empty());
        CHECK(result.removed.empty());
        CHECK(TestFolder::Listing(t.archives) ==
              std::vector<std::string>{"November 02 2026.zip", "November 03 2026.zip", "November 04 2026.zip"});
        CHECK(TestFolder::Read(t.day2) == before2);
    }
}

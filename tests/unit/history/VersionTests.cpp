// A file's versions: which entries fit the typed name, how copies group by
// path, and which copies count as one version.

#include "doctest/doctest.h"
#include "history/FileVersions.h"
#include "tests/unit/history/HistoryTestUtil.h"
#include "ziplib/dll/ZipRecords.h"

namespace tb {

namespace {

const FileTicks kTime = 134000000000000000ull;

// Archives of a few days made up in an index, with their sources.
struct Days {
    CMadeUpReader reader;
    CArchiveIndex index;
    std::vector<HistorySource> sources;

    void Add(const std::string& path, const std::vector<MadeEntry>& entries, FileTicks time = kTime) {
        reader.Put(path, entries);
        HistorySource source;
        source.key = KeyOf(path, 100 + sources.size(), time);
        const size_t slash = path.find_last_of('\\');
        source.date = ParseArchiveDate(path.substr(slash + 1));
        sources.push_back(source);
    }
    VersionSearch Find(const std::string& pattern, size_t maxGroups = 2000) {
        std::vector<ArchiveKey> keys;
        for (const HistorySource& source : sources) keys.push_back(source.key);
        index.Refresh(keys, reader);
        return CollectVersions(index, sources, pattern, maxGroups);
    }
};

}  // namespace

TEST_CASE("copies with the same content are one version with its first and last day, newest version first") {
    Days days;
    // Listed out of order: the days order the copies, not the listing.
    days.Add("A:\\March 03 2026.zip", {{"DOCS/report.doc", 0xBBBB, 120, 0, 3}});
    days.Add("A:\\March 01 2026.zip", {{"DOCS/report.doc", 0xAAAA, 100, 0, 1}, {"other.txt", 1, 1}});
    days.Add("A:\\March 02 2026.zip", {{"DOCS/report.doc", 0xAAAA, 100, 0, 2}});
    days.Add("A:\\March 04 2026.zip", {{"DOCS/report.doc", 0xAAAA, 101, 0, 4}});  // same CRC, other size

    const VersionSearch search = days.Find("report.doc");
    REQUIRE(search.groups.size() == 1);
    CHECK(search.matchedEntries == 4);
    const FileVersionGroup& group = search.groups[0];
    CHECK(group.path == "DOCS\\report.doc");
    REQUIRE(group.versions.size() == 3);
    CHECK(group.versions[0].DaysText() == "March 04 2026");
    CHECK(group.versions[1].DaysText() == "March 03 2026");
    CHECK(group.versions[1].size == 120);
    const FileVersion& first = group.versions[2];
    CHECK(first.DaysText() == "March 01 2026 - March 02 2026");
    REQUIRE(first.copies.size() == 2);
    CHECK(first.First().archive == "A:\\March 01 2026.zip");
    CHECK(first.Last().archive == "A:\\March 02 2026.zip");
    CHECK(first.Last().modified == 2);
    CHECK(first.Last().entryName == "DOCS/report.doc");

    SUBCASE("content that comes back joins its earlier version, which then spans the days") {
        days.Add("A:\\March 05 2026.zip", {{"DOCS/report.doc", 0xAAAA, 100, 0, 5}});
        const VersionSearch again = days.Find("report.doc");
        REQUIRE(again.groups[0].versions.size() == 3);
        CHECK(again.groups[0].versions[0].DaysText() == "March 01 2026 - March 05 2026");
        CHECK(again.groups[0].versions[0].copies.size() == 3);
    }
}

TEST_CASE("AES entries without a stored CRC are never taken for one another") {
    Days days;
    days.Add("A:\\May 01 2026.zip", {{"s.txt", 0, 50, kZipInfoEncrypted | kZipInfoAes}});
    days.Add("A:\\May 02 2026.zip", {{"s.txt", 0, 50, kZipInfoEncrypted | kZipInfoAes}});
    days.Add("A:\\May 03 2026.zip", {{"z.txt", 0, 0, kZipInfoEncrypted | kZipInfoAes},
                                     {"k.txt", 0x77, 50, kZipInfoEncrypted}});
    days.Add("A:\\May 04 2026.zip", {{"z.txt", 0, 0, kZipInfoEncrypted | kZipInfoAes},
                                     {"k.txt", 0x77, 50, kZipInfoEncrypted}});
    const VersionSearch search = days.Find("*.txt");
    REQUIRE(search.groups.size() == 3);
    CHECK(search.groups[0].path == "k.txt");
    CHECK(search.groups[0].versions.size() == 1);  // ZipCrypto keeps the CRC
    CHECK(search.groups[0].versions[0].Last().Encrypted());
    CHECK(search.groups[1].path == "s.txt");
    CHECK(search.groups[1].versions.size() == 2);
    CHECK(search.groups[2].versions.size() == 1);  // empty files are alike
}

TEST_CASE("month archives, archives of other names and damaged archives") {
    Days days;
    days.Add("A:\\November 03 2026.zip", {{"a.txt", 3, 3}});
    days.Add("A:\\November 2026.zip", {{"a.txt", 2, 2}});  // folded days, before the days still kept
    days.Add("A:\\October 30 2026.zip", {{"a.txt", 1, 1}});
    days.Add("A:\\Backups\\handmade.zip", {{"a.txt", 9, 9}}, kTime);  // a known archive of another name
    days.Add("A:\\December 01 2026.zip", {{"a.txt", 3, 3}});
    days.reader.Fail("A:\\December 01 2026.zip", IArchiveReader::Result::Damaged, "is damaged or not a ZIP archive");

    const VersionSearch search = days.Find("A.TXT");
    REQUIRE(search.groups.size() == 1);
    const std::vector<FileVersion>& versions = search.groups[0].versions;
    REQUIRE(versions.size() == 4);
    CHECK(versions[0].DaysText() == "November 03 2026");
    CHECK(versions[0].copies.size() == 1);  // the damaged day is left out
    CHECK(versions[1].DaysText() == "November 2026");
    CHECK(versions[1].Last().date.IsMonth());
    CHECK(versions[2].DaysText() == "October 30 2026");
    // kTime is in August 2025: the archive of another name is ordered by its
    // write time and named by its file.
    CHECK(versions[3].DaysText() == "handmade.zip");
    CHECK(versions[3].Last().SortKey() / 100 == 202508);
}

TEST_CASE("the typed name or pattern picks the entries: by file name, or by path when it holds a folder") {
    Days days;
    days.Add("A:\\March 01 2026.zip", {{"DOCS/report.doc", 1, 1},
                                       {"DOCS/OLD/Report.DOC", 2, 2},
                                       {"DOCS/report1.doc", 3, 3},
                                       {"DOCS/report.docx", 4, 4},
                                       {"report.doc.bak", 5, 5},
                                       {"DOCS/myreport.doc", 6, 6},
                                       {"reports/notes.txt", 7, 7}});
    auto paths = [&](const std::string& pattern) {
        std::vector<std::string> found;
        for (const FileVersionGroup& group : days.Find(pattern).groups) found.push_back(group.path);
        return found;
    };
    using Paths = std::vector<std::string>;
    CHECK(paths("report.doc") == Paths{"DOCS\\OLD\\Report.DOC", "DOCS\\report.doc"});
    CHECK(paths("  \"report.doc\" ") == Paths{"DOCS\\OLD\\Report.DOC", "DOCS\\report.doc"});
    CHECK(paths("report*.doc") == Paths{"DOCS\\OLD\\Report.DOC", "DOCS\\report.doc", "DOCS\\report1.doc"});
    CHECK(paths("report?.doc") == Paths{"DOCS\\report1.doc"});
    CHECK(paths("*report*") == Paths{"DOCS\\myreport.doc", "DOCS\\OLD\\Report.DOC", "DOCS\\report.doc",
                                     "DOCS\\report.docx", "DOCS\\report1.doc", "report.doc.bak"});
    CHECK(paths("docs\\report.doc") == Paths{"DOCS\\report.doc"});
    CHECK(paths("T:\\DOCS\\report.doc") == Paths{"DOCS\\report.doc"});
    CHECK(paths("docs/*/report.doc") == Paths{"DOCS\\OLD\\Report.DOC"});
    CHECK(paths("docs\\*.doc") == Paths{"DOCS\\myreport.doc", "DOCS\\OLD\\Report.DOC", "DOCS\\report.doc",
                                        "DOCS\\report1.doc"});
    CHECK(paths("notes").empty());
    CHECK(paths("").empty());
    CHECK(paths("   ").empty());

    SUBCASE("a pattern that fits too many files keeps the first ones and says so") {
        const VersionSearch search = days.Find("*", 3);
        CHECK(search.groups.size() == 3);
        CHECK(search.truncated);
        CHECK_FALSE(days.Find("*", 7).truncated);
    }
}

TEST_CASE("wildcards: a star takes any run of characters, a question mark one, letters in any case") {
    CHECK(MatchesFilePattern("a*b*c", "aXXbYYc"));
    CHECK(MatchesFilePattern("a*b*c", "abc"));
    CHECK_FALSE(MatchesFilePattern("a*b*c", "abcd"));
    CHECK(MatchesFilePattern("*.*", "x.y"));
    CHECK_FALSE(MatchesFilePattern("*.*", "noext"));
    CHECK(MatchesFilePattern("**a", "bba"));
    CHECK(MatchesFilePattern("?", "x"));
    CHECK_FALSE(MatchesFilePattern("?", ""));
    CHECK_FALSE(MatchesFilePattern("?", "xy"));
    CHECK(MatchesFilePattern("R*.DOC", "dir/sub/report.doc"));
    CHECK_FALSE(MatchesFilePattern("R*.DOC", "report/x.doc"));  // the folder is not the file name
    CHECK(MatchesFilePattern("*aaa*b", std::string(2000, 'a') + "b"));
    CHECK_FALSE(MatchesFilePattern("*aaa*b", std::string(2000, 'a')));
}

}  // namespace tb

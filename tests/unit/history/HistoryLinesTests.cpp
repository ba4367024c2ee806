// The window's texts: sizes, archive names, what the search found and which
// archives it had to leave out.

#include "doctest/doctest.h"
#include "history/HistoryLines.h"

namespace tb {

TEST_CASE("sizes, archive names and the status and note lines") {
    CHECK(SizeText(0) == "0");
    CHECK(SizeText(999) == "999");
    CHECK(SizeText(1000) == "1,000");
    CHECK(SizeText(1234567) == "1,234,567");
    CHECK(SizeText(5000000000ull) == "5,000,000,000");
    CHECK(ArchiveText("D:\\Archives\\May 01 2026.zip") == "May 01 2026.zip in D:\\Archives");
    CHECK(ArchiveText("D:\\May 01 2026.zip") == "May 01 2026.zip in D:\\");
    CHECK(ArchiveText("loose.zip") == "loose.zip");
    CHECK(ModifiedText(0).empty());

    HistorySearchResult result;
    result.archives = 365;
    CHECK(SearchSummary("x.doc", result) == "No versions of x.doc were found in 365 archives.");
    FileVersionGroup group;
    group.versions.resize(2);
    result.versions.groups = {group, group};
    CHECK(SearchSummary("*.doc", result) == "2 files, 4 versions in 365 archives.");
    result.versions.groups.resize(1);
    result.versions.groups[0].versions.resize(1);
    result.archives = 1;
    result.versions.truncated = true;
    CHECK(SearchSummary("*", result) == "1 file, 1 version in 1 archive. Only the first 1 files are shown.");
    result.stopped = true;
    CHECK(SearchSummary("*", result) == "The search was stopped.");

    CHECK(SkippedNote({}).empty());
    CHECK(SkippedNote({{"D:\\A\\bad.zip", "is damaged or not a ZIP archive"}}) ==
          "Skipped 1 archive: bad.zip is damaged or not a ZIP archive.");
    CHECK(SkippedNote({{"a.zip", "x"}, {"b.zip", "y"}, {"c.zip", "z"}, {"d.zip", "w"}, {"e.zip", "v"}}) ==
          "Skipped 5 archives: a.zip x; b.zip y; c.zip z; and 2 more.");
}

}  // namespace tb

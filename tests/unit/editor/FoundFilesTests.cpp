// Found files on their way into the edit list: the type filters of the
// editor's searches, and the filter-then-merge pass with its progress.
#include <windows.h>

#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "editor/EditList.h"
#include "editor/FoundFiles.h"
#include "framework/Text.h"
#include "tests/unit/TestTime.h"

using namespace tb;

namespace {

struct ScriptedProgress : IPassProgress {
    int stopAtUpdate = -1;  // the update (counted from 0) that reports a stop
    bool stopped = false;
    std::vector<std::string> texts;
    std::vector<int> percents;
    bool Update(const std::string& text, int percent) override {
        if (int(texts.size()) == stopAtUpdate) stopped = true;
        texts.push_back(text);
        percents.push_back(percent);
        return !stopped;
    }
    bool Aborted() const override { return stopped; }
};

std::vector<std::string> FoundPaths(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) paths.push_back(Format("Q:\\found\\file%03d.%s", i, i % 2 ? "txt" : "doc"));
    return paths;
}

time_t FixedNow() { return LocalTime(2026, 3, 10, 12, 0, 0); }

}  // namespace

TEST_CASE("type filters: extension followed by ; or , and never a path without a dot") {
    const TypeFilter monitored{".DOC;.TXT,.XLS;", false};
    CHECK(monitored.Accepts("C:\\work\\Report.Doc"));
    CHECK(monitored.Accepts("C:\\a.txt"));
    CHECK(monitored.Accepts("C:\\b.XLS"));
    CHECK_FALSE(monitored.Accepts("C:\\a.do"));
    CHECK_FALSE(monitored.Accepts("C:\\a.docx"));
    CHECK_FALSE(monitored.Accepts("C:\\my.doc\\readme"));  // the dot of a folder makes no .DOC file
    const TypeFilter all{"", true};
    CHECK(all.Accepts("C:\\x.anything"));
    CHECK_FALSE(all.Accepts("C:\\folder\\README"));

    // "Types From:": the selected lines, then the typed text, upper-cased.
    CHECK(TypesFromListLines({"DOC\t(Word Document)", "  TXT\t(Text Document)", "ZIP"}) == ".DOC;.TXT;.ZIP;");
    const TypeFilter typed = TypesFromFilter({}, ".txt");
    CHECK(typed.types == ".TXT;");
    CHECK(typed.Accepts("C:\\notes.TXT"));
    CHECK(TypesFromFilter({"DOC\t(Word)"}, "*.txt;.log").types == ".DOC;*.TXT;.LOG;");
    CHECK(TypesFromFilter({}, "").types.empty());
    CHECK_FALSE(TypesFromFilter({}, "").Accepts("C:\\a.txt"));
    // A typed text in another form asks first; going on leaves it out.
    CHECK(TypeEditWellFormed(""));
    CHECK(TypeEditWellFormed(".TXT;.DOC"));
    CHECK(TypeEditWellFormed("*.txt"));
    CHECK_FALSE(TypeEditWellFormed("txt"));
    CHECK(TypesFromFilter({"DOC\t(Word)"}, "txt").types == ".DOC;");

    // The add-files dialog's wildcards.
    const TypeFilter wild = WildcardFilter("*.doc;*.txt");
    CHECK(wild.types == "*.DOC;*.TXT;");
    CHECK(wild.Accepts("C:\\work\\Report.Doc"));
    CHECK_FALSE(wild.Accepts("C:\\work\\Report.rtf"));
    CHECK(WildcardFilter("a*.*").allTypes);
    CHECK_FALSE(WildcardFilter("*").Accepts("C:\\a.txt"));
}

TEST_CASE("search dates: the earliest start, and days before now") {
    SYSTEMTIME utc{};
    const FileTicks earliest = EarliestChange();
    FILETIME asFileTime{DWORD(earliest), DWORD(earliest >> 32)};
    SYSTEMTIME local{};
    REQUIRE(::FileTimeToSystemTime(&asFileTime, &utc));
    REQUIRE(::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    CHECK(local.wYear == 1970);
    CHECK(local.wMonth == 1);
    CHECK(local.wDay == 1);
    CHECK(local.wHour == 1);
    CHECK(local.wMinute == 1);
    CHECK(local.wSecond == 1);

    SetClockSeam(&FixedNow);
    CHECK(DaysBeforeNow(7) == TicksFromTime(FixedNow() - 7 * 24 * 3600));
    CHECK(DaysBeforeNow(0) == TicksFromTime(FixedNow()));
    CHECK(DaysBeforeNow(-1) == TicksFromTime(FixedNow() + 24 * 3600));
    SetClockSeam(nullptr);
}

TEST_CASE("merging found files: the filter, the progress of long passes, and a stop") {
    const TypeFilter txt{".TXT;", false};

    SUBCASE("a short pass shows no progress") {
        CEditList list;
        ScriptedProgress progress;
        const MergeOutcome outcome = MergeFoundFiles(list, FoundPaths(50), 50, txt, OpAddFile, &progress);
        CHECK(outcome.kept == 25);
        CHECK(outcome.merged == 25);
        CHECK(list.Size() == 25);
        CHECK(progress.texts.empty());
        CHECK(list.At(0).path == "Q:\\found\\file001.txt");
        CHECK(list.At(0).action == ActionAdd);
    }
    SUBCASE("a long pass reports every fourth path, filtering in the first half of the bar") {
        CEditList list;
        ScriptedProgress progress;
        const MergeOutcome outcome = MergeFoundFiles(list, FoundPaths(100), 100, txt, OpAddFile, &progress);
        CHECK(outcome.merged == 50);
        // 25 filtering updates (0, 4, ... 96), then 13 merging ones (0, 4, ... 48).
        REQUIRE(progress.texts.size() == 38);
        CHECK(progress.texts[0] == "Searching List of Files: Q:\\found\\file000.doc");
        CHECK(progress.percents[24] == 48);
        CHECK(progress.texts[25] == "Integrating Files: Q:\\found\\file001.txt");
        CHECK(progress.percents[25] == 50);
        CHECK(progress.percents[37] == 74);
    }
    SUBCASE("a stop while filtering merges nothing") {
        CEditList list;
        ScriptedProgress progress;
        progress.stopAtUpdate = 3;
        const MergeOutcome outcome = MergeFoundFiles(list, FoundPaths(100), 100, txt, OpAddFile, &progress);
        CHECK(outcome.merged == 0);
        CHECK(outcome.aborted);
        CHECK(list.Empty());
    }
    SUBCASE("a stop while merging keeps what was merged") {
        CEditList list;
        ScriptedProgress progress;
        progress.stopAtUpdate = 27;  // the third merging update, before path 8
        const MergeOutcome outcome = MergeFoundFiles(list, FoundPaths(100), 100, txt, OpAddFile, &progress);
        CHECK(outcome.aborted);
        CHECK(outcome.merged == 8);
        CHECK(list.Size() == 8);
    }
    SUBCASE("freshening adds nothing new, and only the counted paths are taken") {
        CEditList list;
        list.ApplyEntry("found\\file001.txt", OpArchiveItem, 0, "01-01-20 10:00", 1, 2);
        MergeFoundFiles(list, FoundPaths(100), 10, txt, OpFreshen, nullptr);
        CHECK(list.Size() == 1);
        CHECK(list.At(0).action == ActionUpdate);
        MergeFoundFiles(list, FoundPaths(100), 10, TypeFilter{"", true}, OpAddFile, nullptr);
        CHECK(list.Size() == 10);
    }
}

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "autoarchive/RunLog.h"
#include "autoarchive/RunSummary.h"
#include "doctest/doctest.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestTime.h"

using namespace tb;

namespace {
RunSummary Ran() {
    RunSummary s;
    s.ran = true;
    return s;
}
}  // namespace

TEST_CASE("the status line of a run that wrote an archive counts the files, with plurals") {
    RunSummary s = Ran();
    s.archive = "C:\\Auto Archives\\December 07 2026.zip";
    s.taken = 3;
    CHECK(RunStatusLine(s) == "3 files archived in C:\\Auto Archives\\December 07 2026.zip");
    s.taken = 1;
    CHECK(RunStatusLine(s) == "1 file archived in C:\\Auto Archives\\December 07 2026.zip");
    CHECK_FALSE(RunNeedsAttention(s));
}

TEST_CASE("the status line names what was left out and why") {
    RunSummary s = Ran();
    CHECK(RunStatusLine(s) == "Nothing to archive");

    s.untyped = 4;
    s.untypedTypes = {".XYZ", ".ABC"};
    CHECK(RunStatusLine(s) == "Nothing archived: 4 changed files were left out: types not in the list (.XYZ, .ABC)");
    s.untyped = 1;
    s.untypedTypes = {".XYZ"};
    CHECK(RunStatusLine(s) == "Nothing archived: 1 changed file was left out: type not in the list (.XYZ)");

    s.archive = "X:\\a.zip";
    s.taken = 2;
    s.inUse = 2;
    s.excluded = 1;
    CHECK(RunStatusLine(s) ==
          "2 files archived in X:\\a.zip; 1 changed file was left out: type not in the list (.XYZ); "
          "1 file was left out by the exclusions or the size limit; "
          "2 files were in use and wait for the next archive");
    s.inUse = 1;
    CHECK(RunStatusLine(s).find("1 file was in use and waits for the next archive") != std::string::npos);
}

TEST_CASE("a long list of left-out types is cut short") {
    RunSummary s = Ran();
    s.untyped = 9;
    s.untypedTypes = {".A", ".B", ".C", ".D", ".E", ".F", ".G", ".H"};
    CHECK(RunStatusLine(s) ==
          "Nothing archived: 9 changed files were left out: types not in the list (.A, .B, .C, .D, .E, .F, ...)");
}

TEST_CASE("with no type chosen the line says so, and the user is told") {
    RunSummary s = Ran();
    s.noTypesChosen = true;
    s.untyped = 2;
    s.untypedTypes = {".DOCX"};
    CHECK(RunStatusLine(s) ==
          "Nothing archived: 2 changed files wait until file types are chosen in Archive Settings (.DOCX)");
    CHECK(RunNeedsAttention(s));
    s.untyped = 0;  // nothing changed at all: nothing to tell loudly
    CHECK_FALSE(RunNeedsAttention(s));
}

TEST_CASE("failed, stopped, put off and reset runs") {
    RunSummary s = Ran();
    s.taken = 3;
    s.failed = true;
    s.failure = "C:\\Auto Archives\\x.zip: the disk is full";
    CHECK(RunStatusLine(s) == "The archive could not be written: C:\\Auto Archives\\x.zip: the disk is full; "
                              "3 changed files wait for the next archive");
    CHECK(RunNeedsAttention(s));

    // Written to the alternate folder: the archive is named, and what failed.
    s.archive = "D:\\Alt\\x.zip";
    CHECK(RunStatusLine(s) == "3 files archived in D:\\Alt\\x.zip (C:\\Auto Archives\\x.zip: the disk is full)");
    CHECK(RunNeedsAttention(s));

    RunSummary stopped = Ran();
    stopped.stopped = true;
    stopped.taken = 1;
    CHECK(RunStatusLine(stopped) == "The archive was stopped: 1 changed file waits for the next archive");
    CHECK(RunNeedsAttention(stopped));

    RunSummary later = Ran();
    later.postponed = true;
    CHECK(RunStatusLine(later) == "The archive was put off: the changed files wait for the next archive");
    CHECK_FALSE(RunNeedsAttention(later));
    later.reset = true;
    CHECK(RunStatusLine(later) == "The pending list was reset: the files listed will not be archived");
}

TEST_CASE("the log line: time, what started the run, the status line") {
    RunSummary s = Ran();
    s.when = LocalTime(2026, 12, 7, 22, 5, 9);
    s.trigger = ArchiveTrigger::Shutdown;
    CHECK(RunLogLine(s) == "2026-12-07 22:05:09  Shut down  Nothing to archive");
    s.trigger = ArchiveTrigger::Schedule;
    CHECK(RunLogLine(s) == "2026-12-07 22:05:09  Timed  Nothing to archive");
    s.trigger = ArchiveTrigger::Command;
    CHECK(RunLogLine(s) == "2026-12-07 22:05:09  Archive Now  Nothing to archive");
}

TEST_CASE("the run log keeps the newest lines, oldest first") {
    TestFolder folder("runlog");
    const std::string path = folder.Path("Vaultly.log");
    CHECK(ReadRunLog(path).empty());
    for (int i = 1; i <= 3; ++i) CHECK(AppendRunLog(path, "run " + std::to_string(i), 10));
    CHECK(ReadRunLog(path) == std::vector<std::string>{"run 1", "run 2", "run 3"});

    // Up to a tenth more than it keeps, the log only grows; then the oldest go.
    for (int i = 4; i <= 11; ++i) CHECK(AppendRunLog(path, "run " + std::to_string(i), 10));
    CHECK(ReadRunLog(path).size() == 11);
    CHECK(AppendRunLog(path, "run 12", 10));
    const std::vector<std::string> kept = ReadRunLog(path);
    REQUIRE(kept.size() == 10);
    CHECK(kept.front() == "run 3");
    CHECK(kept.back() == "run 12");
    CHECK(::GetFileAttributesA((path + ".new").c_str()) == INVALID_FILE_ATTRIBUTES);
}

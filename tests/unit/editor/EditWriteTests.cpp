// Writing an edited archive without the dialog: the jobs' file lists and
// option bits, what a failed job leaves to write, and the placeholder rule.
#include <windows.h>

#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "app/OpenNamedArchive.h"
#include "editor/EditList.h"
#include "editor/EditWrite.h"
#include "tests/unit/TestFolder.h"

using namespace tb;

namespace {

struct Job {
    std::string list;
    int operation;
};

// The library as the writer sees it: results scripted per job.
struct ScriptedJobs : IZipJobs {
    std::vector<int> results;
    std::vector<std::string> unreadable;
    std::vector<Job> jobs;
    int Run(const std::string& fileList, int operation) override {
        jobs.push_back({fileList, operation});
        return jobs.size() <= results.size() ? results[jobs.size() - 1] : 0;
    }
    std::vector<std::string> UnreadableFiles() const override { return unreadable; }
};

// An archive's items, one added file, one update, one removal.
CEditList EditedList() {
    CEditList list;
    for (const char* stored : {"docs\\keep.txt", "docs\\y.txt", "docs\\a.txt"})
        list.ApplyEntry(stored, OpArchiveItem, 0, "01-01-20 10:00", 10, 20);
    list.ApplyEntry("C:\\x.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
    list.ApplyEntry("C:\\docs\\a.txt", OpAddFile, 0, "01-01-20 10:00", 0, 5);
    list.ApplyEntry("", OpToggleRemove, 1, "", 0, 0);
    return list;
}

std::vector<int> Actions(const CEditList& list) {
    std::vector<int> actions;
    for (const EditEntry& e : list.Entries()) actions.push_back(e.action);
    return actions;
}

}  // namespace

TEST_CASE("the write plan: quoted lists in list order and the add job's option bits") {
    const CEditList list = EditedList();
    REQUIRE(Actions(list) == std::vector<int>{ActionKeep, ActionRemove, ActionUpdate, ActionAdd});
    const WritePlan plan = PlanWrite(list, true, false);
    CHECK(plan.addPaths == std::vector<std::string>{"C:\\docs\\a.txt", "C:\\x.txt"});
    CHECK(plan.deleteNames == std::vector<std::string>{"docs\\y.txt"});
    CHECK(plan.addOperation == 0x220);
    CHECK(PlanWrite(list, false, true).addOperation == 0x420);
    CHECK(PlanWrite(list, true, true).addOperation == 0x620);

    ScriptedJobs jobs;
    const WriteOutcome outcome = RunWriteJobs(list, plan, jobs);
    REQUIRE(jobs.jobs.size() == 2);
    CHECK(jobs.jobs[0].list == "\"C:\\docs\\a.txt\" \"C:\\x.txt\"");
    CHECK(jobs.jobs[0].operation == 0x220);
    CHECK(jobs.jobs[1].list == "\"docs\\y.txt\"");
    CHECK(jobs.jobs[1].operation == 0x80);
    CHECK(outcome.Complete());
    CHECK(outcome.AddsWritten());

    // Only kept items: no job at all, and nothing counts as unwritten.
    CEditList kept;
    kept.ApplyEntry("a.txt", OpArchiveItem, 0, "01-01-20 10:00", 1, 1);
    ScriptedJobs none;
    const WriteOutcome nothing = RunWriteJobs(kept, PlanWrite(kept, true, true), none);
    CHECK(none.jobs.empty());
    CHECK(nothing.Complete());
    CHECK(nothing.AddsWritten());
}

TEST_CASE("a failed job leaves its rows to write again; the other job still runs") {
    const CEditList list = EditedList();
    const WritePlan plan = PlanWrite(list, true, true);

    SUBCASE("the add job wrote nothing") {
        ScriptedJobs jobs;
        jobs.results = {6, 0};  // e.g. an empty password refused
        const WriteOutcome outcome = RunWriteJobs(list, plan, jobs);
        CHECK(jobs.jobs.size() == 2);
        CHECK_FALSE(outcome.AddsWritten());
        REQUIRE(outcome.unwritten.size() == 2);
        CHECK(outcome.unwritten[0].path == "C:\\docs\\a.txt");
        CHECK(outcome.unwritten[1].path == "C:\\x.txt");
    }
    SUBCASE("the add job could not read one file") {
        ScriptedJobs jobs;
        jobs.results = {1, 0};
        jobs.unreadable = {"c:\\X.TXT"};
        const WriteOutcome outcome = RunWriteJobs(list, plan, jobs);
        CHECK_FALSE(outcome.AddsWritten());
        REQUIRE(outcome.unwritten.size() == 1);
        CHECK(outcome.unwritten[0].path == "C:\\x.txt");
    }
    SUBCASE("the delete job failed") {
        ScriptedJobs jobs;
        jobs.results = {0, 3};
        const WriteOutcome outcome = RunWriteJobs(list, plan, jobs);
        CHECK(outcome.AddsWritten());
        CHECK(outcome.deleteFailed);
        REQUIRE(outcome.unwritten.size() == 1);
        CHECK(outcome.unwritten[0].storedName == "docs\\y.txt");

        // After the reload the archive's items are kept again; the removal
        // is asked for once more.
        CEditList reloaded;
        for (const char* stored : {"docs\\a.txt", "docs\\keep.txt", "DOCS\\Y.TXT", "x.txt"})
            reloaded.ApplyEntry(stored, OpArchiveItem, 0, "01-01-20 10:00", 10, 20);
        RestoreUnwritten(reloaded, outcome.unwritten);
        CHECK(Actions(reloaded) == std::vector<int>{ActionKeep, ActionKeep, ActionRemove, ActionKeep});
    }
    SUBCASE("additions come back as additions or updates after the reload") {
        ScriptedJobs jobs;
        jobs.results = {5, 0};
        const WriteOutcome outcome = RunWriteJobs(list, plan, jobs);
        CEditList reloaded;
        for (const char* stored : {"docs\\a.txt", "docs\\keep.txt"})
            reloaded.ApplyEntry(stored, OpArchiveItem, 0, "01-01-20 10:00", 10, 20);
        RestoreUnwritten(reloaded, outcome.unwritten);
        CHECK(Actions(reloaded) == std::vector<int>{ActionUpdate, ActionKeep, ActionAdd});
        CHECK(reloaded.At(2).path == "C:\\x.txt");
    }
}

TEST_CASE("a new archive's placeholder is empty only when it has no byte at all") {
    TestFolder folder("editwrite-placeholder");
    CHECK(FileLength(folder.Path("missing.zip")) == -1);
    CHECK(PlaceholderIsEmpty(folder.Path("missing.zip")));
    CHECK(PlaceholderIsEmpty(folder.File("empty.zip", "")));
    CHECK_FALSE(PlaceholderIsEmpty(folder.File("one.zip", "P")));

    // Exactly 4 GiB: the low 32 bits of the length are 0 (a sparse file).
    const std::string big = folder.Path("big.zip");
    {
        HANDLE file = ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(file != INVALID_HANDLE_VALUE);
        LARGE_INTEGER end{};
        end.QuadPart = 4LL << 30;
        CHECK(::SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
        CHECK(::SetEndOfFile(file));
        ::CloseHandle(file);
    }
    CHECK(FileLength(big) == (4LL << 30));
    CHECK_FALSE(PlaceholderIsEmpty(big));
    // Named on the command line, it is an archive to list, not an empty one to create.
    CHECK(FindFileSize(big) == (4ULL << 30));
    CHECK_FALSE(PlanOpenNamed(big, FindFileSize(big), 0, false).openEditor);
    ::DeleteFileA(big.c_str());
}

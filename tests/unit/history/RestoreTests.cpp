// Restoring a version: the name it gets, where it may go, what happens to a
// file of the same name, and protected entries.

#include <windows.h>

#include <set>

#include "doctest/doctest.h"
#include "framework/Path.h"
#include "history/VersionRestore.h"
#include "tests/unit/TestArchive.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/history/RawZip.h"

namespace tb {

namespace {

class CAnswer : public IRestorePrompts {
public:
    explicit CAnswer(ExistingAnswer answer) : m_answer(answer) {}
    ExistingAnswer AskExisting(const std::string& target, const std::string& alternative) override {
        asked.push_back({target, alternative});
        return m_answer;
    }
    std::vector<std::pair<std::string, std::string>> asked;

private:
    ExistingAnswer m_answer;
};

VersionCopy CopyOf(const std::string& archive, const std::string& entry, uint32_t flags = 0) {
    VersionCopy copy;
    copy.archive = archive;
    copy.entryName = entry;
    copy.date = ArchiveDate::DayOf(2026, 3, 1);
    copy.flags = flags;
    return copy;
}

RestoreOutcome Restore(const VersionCopy& copy, const std::string& folder, IRestorePrompts& prompts,
                       const std::string& password = "") {
    RestoreRequest request;
    request.copy = copy;
    request.folder = folder;
    request.password = password;
    return RestoreVersion(request, prompts, nullptr);
}

}  // namespace

TEST_CASE("a restored file's name: the stored name's last part, made a name Windows takes") {
    CHECK(RestoreFileName("DOCS/REPORT/report.doc") == "report.doc");
    CHECK(RestoreFileName("DOCS\\report.doc") == "report.doc");
    CHECK(RestoreFileName("../../evil.txt") == "evil.txt");
    CHECK(RestoreFileName("a:b?c*.txt") == "a_b_c_.txt");
    CHECK(RestoreFileName("C:") == "C_");
    CHECK(RestoreFileName("name. ") == "name._");
    CHECK(RestoreFileName("..") == "_");
    CHECK(RestoreFileName("docs/") == "_");
    CHECK(RestoreFileName("NUL.txt") == "_NUL.txt");
    CHECK(RestoreFileName("com3") == "_com3");
    CHECK(RestoreFileName("console.txt") == "console.txt");
    CHECK(RestoreFileName(std::string("tab\there")) == "tab_here");

    CHECK(NameWithDay("report.doc", "April 01 2001") == "report (April 01 2001).doc");
    CHECK(NameWithDay("Makefile", "April 01 2001") == "Makefile (April 01 2001)");
    CHECK(NameWithDay(".profile", "May 2026") == ".profile (May 2026)");
    CHECK(NameWithDay("a.tar.gz", "May 2026") == "a.tar (May 2026).gz");

    std::set<std::string> taken = {"C:\\F\\a.txt", "C:\\F\\a (2).txt"};
    auto exists = [&](const std::string& p) { return taken.count(p) != 0; };
    CHECK(FreeName("C:\\F", "b.txt", exists) == "b.txt");
    CHECK(FreeName("C:\\F", "a.txt", exists) == "a (3).txt");
}

TEST_CASE("inside the folder means a file right in it, whatever the path says") {
    CHECK(InsideFolder("C:\\Restore", "C:\\Restore\\a.txt"));
    CHECK(InsideFolder("C:\\Restore\\", "c:\\restore\\a.txt"));
    CHECK_FALSE(InsideFolder("C:\\Restore", "C:\\Restore"));
    CHECK_FALSE(InsideFolder("C:\\Restore", "C:\\RestoreX\\a.txt"));
    CHECK_FALSE(InsideFolder("C:\\Restore", "C:\\Restore\\..\\a.txt"));
    CHECK_FALSE(InsideFolder("C:\\Restore", "C:\\Restore\\sub\\a.txt"));
    CHECK_FALSE(InsideFolder("C:\\Restore", "D:\\Restore\\a.txt"));
}

TEST_CASE("the original folder is found on the drive that has the file, else the one that has the folders") {
    std::set<std::string> files = {"D:\\DOCS\\REPORT\\report.doc"};
    std::set<std::string> folders = {"C:\\DOCS\\REPORT", "D:\\DOCS\\REPORT", "E:\\DOCS\\OLD"};
    auto fileExists = [&](const std::string& p) { return files.count(p) != 0; };
    auto folderExists = [&](const std::string& p) { return folders.count(p) != 0; };
    CHECK(OriginalFolder("DOCS/REPORT/report.doc", "CDE", fileExists, folderExists) == "D:\\DOCS\\REPORT");
    CHECK(OriginalFolder("DOCS/REPORT/gone.doc", "CDE", fileExists, folderExists) == "C:\\DOCS\\REPORT");
    CHECK(OriginalFolder("DOCS/REPORT/gone.doc", "EDC", fileExists, folderExists) == "D:\\DOCS\\REPORT");
    CHECK(OriginalFolder("DOCS/OLD/x.doc", "CDE", fileExists, folderExists) == "E:\\DOCS\\OLD");
    CHECK(OriginalFolder("NOWHERE/x.doc", "CDE", fileExists, folderExists).empty());
    CHECK(OriginalFolder("report.doc", "CDE", fileExists, folderExists).empty());  // stored without folders
    CHECK(OriginalFolder("../DOCS/REPORT/report.doc", "CDE", fileExists, folderExists).empty());
    CHECK(OriginalFolder("DOCS/../REPORT/x.doc", "CDE", fileExists, folderExists).empty());

    const std::string drives = RestoreDrives("t;x");
    CHECK(drives.substr(0, 2) == "TX");
    CHECK(drives.find('C') != std::string::npos);
}

TEST_CASE("restoring beside a file of the same name asks: replace, keep both under the day's name, or stop") {
    TestFolder folder("restore");
    const std::string archive = MakeTestArchive(folder, "March 01 2026.zip", {{"DOCS\\report.doc", "day one"}});
    const std::string into = folder.Folder("into");
    const VersionCopy copy = CopyOf(archive, "DOCS/report.doc");

    CAnswer never(ExistingAnswer::Cancel);
    RestoreOutcome first = Restore(copy, into, never);
    REQUIRE(first.status == RestoreOutcome::Status::Restored);
    CHECK(first.path == JoinPath(into, "report.doc"));
    CHECK(TestFolder::Read(first.path) == "day one");
    CHECK(never.asked.empty());

    folder.File("into\\report.doc", "today's work");
    RestoreOutcome stopped = Restore(copy, into, never);
    CHECK(stopped.status == RestoreOutcome::Status::Cancelled);
    REQUIRE(never.asked.size() == 1);
    CHECK(never.asked[0].first == JoinPath(into, "report.doc"));
    CHECK(never.asked[0].second == JoinPath(into, "report (March 01 2026).doc"));
    CHECK(TestFolder::Read(JoinPath(into, "report.doc")) == "today's work");

    CAnswer both(ExistingAnswer::KeepBoth);
    RestoreOutcome kept = Restore(copy, into, both);
    REQUIRE(kept.status == RestoreOutcome::Status::Restored);
    CHECK(kept.path == JoinPath(into, "report (March 01 2026).doc"));
    CHECK(TestFolder::Read(kept.path) == "day one");
    CHECK(TestFolder::Read(JoinPath(into, "report.doc")) == "today's work");
    // Again: the day's name is taken too, so it is numbered.
    RestoreOutcome again = Restore(copy, into, both);
    CHECK(again.path == JoinPath(into, "report (March 01 2026) (2).doc"));

    CAnswer replace(ExistingAnswer::Replace);
    RestoreOutcome replaced = Restore(copy, into, replace);
    REQUIRE(replaced.status == RestoreOutcome::Status::Restored);
    CHECK(replaced.path == JoinPath(into, "report.doc"));
    CHECK(TestFolder::Read(JoinPath(into, "report.doc")) == "day one");

    // Nothing but the restored files: no scratch folder stays behind.
    CHECK(TestFolder::Listing(into) == std::vector<std::string>{"report (March 01 2026) (2).doc",
                                                                  "report (March 01 2026).doc", "report.doc"});

    RestoreOutcome nowhere = Restore(copy, folder.Path("missing"), replace);
    CHECK(nowhere.status == RestoreOutcome::Status::Failed);
    CHECK(nowhere.problem == "The folder " + folder.Path("missing") + " does not exist.");
}

TEST_CASE("entries whose names climb out of the folder never land outside it") {
    TestFolder folder("restore-climb");
    const std::string archive = folder.File("climb.zip", RawStoredZip({{"../../evil.txt", "one"},
                                                                        {"..\\..\\evil2.txt", "two"},
                                                                        {"/abs/evil3.txt", "three"},
                                                                        {"a/../../con", "four"}}));
    const std::string into = folder.Folder("deep\\into");
    CAnswer replace(ExistingAnswer::Replace);
    // The library refuses names that climb (and says so); a leading slash is
    // dropped and the file lands in the folder.
    const char* const climbing[] = {"../../evil.txt", "..\\..\\evil2.txt", "a/../../con"};
    for (const char* name : climbing) {
        const std::string shown = name;
        CAPTURE(shown);
        const RestoreOutcome outcome = Restore(CopyOf(archive, name), into, replace);
        CHECK(outcome.status == RestoreOutcome::Status::Failed);
        CHECK(outcome.problem == "The file could not be taken from " + archive + ".");
    }
    const RestoreOutcome rooted = Restore(CopyOf(archive, "/abs/evil3.txt"), into, replace);
    REQUIRE(rooted.status == RestoreOutcome::Status::Restored);
    CHECK(rooted.path == JoinPath(into, "evil3.txt"));
    CHECK(TestFolder::Read(rooted.path) == "three");

    CHECK(TestFolder::Listing(into) == std::vector<std::string>{"evil3.txt"});
    CHECK(TestFolder::Listing(folder.Path("deep")) == std::vector<std::string>{"into"});
    CHECK(TestFolder::Listing(folder.Root()) == std::vector<std::string>{"climb.zip", "deep"});
}

TEST_CASE("a protected entry needs its password; a wrong one is told apart and leaves nothing") {
    TestFolder folder("restore-secret");
    const std::string archive = MakeTestArchive(folder, "secret.zip", {{"s.txt", "secret text"}}, "right");
    const std::string into = folder.Folder("into");
    const VersionCopy copy = CopyOf(archive, "s.txt", kZipInfoEncrypted);
    CAnswer replace(ExistingAnswer::Replace);

    CHECK(Restore(copy, into, replace).status == RestoreOutcome::Status::NeedsPassword);
    CHECK(Restore(copy, into, replace, "wrong").status == RestoreOutcome::Status::WrongPassword);
    CHECK(TestFolder::Listing(into).empty());
    const RestoreOutcome right = Restore(copy, into, replace, "right");
    REQUIRE(right.status == RestoreOutcome::Status::Restored);
    CHECK(TestFolder::Read(right.path) == "secret text");
}

}  // namespace tb

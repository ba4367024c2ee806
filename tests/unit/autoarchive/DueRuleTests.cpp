// When a file is due: newer than the last archive, or of a chosen type and
// not held by the archives under its name with its size and time.

#include <memory>
#include <string>

#include "autoarchive/DueRule.h"
#include "common/Clock.h"
#include "doctest/doctest.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestIni.h"

using namespace tb;

namespace {

constexpr FileTicks kSecond = kTicksPerSecond;
// A whole minute, as the archives' entry times are kept.
const FileTicks kLast = TicksFromTime(1750000020);      // the last archive
const FileTicks kTracked = kLast - 3600 * kSecond;      // change tracking began an hour before
const FileTicks kOld = kLast - 600 * kSecond;           // before the last archive, after the floor

TypeChoice Choice(int general = 0) {
    return TypeChoice::From(".DOC;.TXT;", ".TMP;", "SECRET.DOC;", general, 100);
}

CDueRule Rule(std::shared_ptr<const CArchivedVersions> archived, std::shared_ptr<const CDeclinedFiles> declined = {},
              TypeChoice choice = Choice(), bool withFolders = true) {
    return CDueRule(kLast, kTracked, withFolders, std::move(choice), std::move(archived), std::move(declined));
}

std::shared_ptr<CArchivedVersions> Holding(const std::string& storedName, uint64_t size, FileTicks modified) {
    auto archived = std::make_shared<CArchivedVersions>();
    archived->Add(storedName, size, int64_t(modified));
    return archived;
}

}  // namespace

TEST_CASE("stored names compare by the run's own form") {
    CHECK(StoredNameKey("C:\\Docs\\Report\\a.doc", true) == "Docs/Report/a.doc");
    CHECK(StoredNameKey("Docs/Report/a.doc", true) == "Docs/Report/a.doc");
    CHECK(StoredNameKey("C:\\Docs\\Report\\a.doc", false) == "a.doc");
    CHECK(StoredNameKey("X:\\a.doc", true) == "a.doc");
}

TEST_CASE("a file written after the last archive is due, whatever the archives hold") {
    const CDueRule rule = Rule(Holding("DOCS/A.DOC", 5, kLast + kSecond));
    CHECK(rule.Due({"X:\\DOCS\\A.DOC", 5, kLast + 1}));
    CHECK(rule.Due({"X:\\DOCS\\A.TMP", 5, kLast + 1}));  // any type: the run sorts it out
    CHECK_FALSE(rule.Due({"X:\\DOCS\\B.TMP", 5, kLast}));  // equal is not later
}

TEST_CASE("an older file is due only when the archives do not hold it as it is") {
    const auto archived = Holding("DOCS/A.DOC", 5, kOld);
    const CDueRule rule = Rule(archived);
    SUBCASE("held under its name, size and time: not due") { CHECK_FALSE(rule.Due({"X:\\DOCS\\A.DOC", 5, kOld})); }
    SUBCASE("renamed: the new name is not held") { CHECK(rule.Due({"X:\\DOCS\\B.DOC", 5, kOld})); }
    SUBCASE("moved to another folder") { CHECK(rule.Due({"X:\\OTHER\\A.DOC", 5, kOld})); }
    SUBCASE("renamed in the case of its letters") { CHECK(rule.Due({"X:\\DOCS\\a.doc", 5, kOld})); }
    SUBCASE("the same name with another size") { CHECK(rule.Due({"X:\\DOCS\\A.DOC", 6, kOld})); }
    SUBCASE("the same name with another time") { CHECK(rule.Due({"X:\\DOCS\\A.DOC", 5, kOld - 120 * kSecond})); }
    SUBCASE("without folder names the file name alone is compared") {
        const CDueRule flat = Rule(Holding("A.DOC", 5, kOld), {}, Choice(), false);
        CHECK_FALSE(flat.Due({"X:\\ELSEWHERE\\A.DOC", 5, kOld}));
        CHECK(flat.Due({"X:\\ELSEWHERE\\B.DOC", 5, kOld}));
    }
}

TEST_CASE("the walk leaves a file of the last archive's own second to what the archives hold") {
    const auto archived = Holding("A.DOC", 5, kLast);
    const CDueRule rule = Rule(archived);
    const FileTicks sameSecond = kLast + kSecond / 2;
    CHECK(rule.Due({"X:\\A.DOC", 5, sameSecond}));             // the run lists it
    CHECK_FALSE(rule.DueForWalk({"X:\\A.DOC", 5, sameSecond}));  // held: the walk does not record it
    CHECK(rule.DueForWalk({"X:\\B.DOC", 5, sameSecond}));        // not held
    CHECK(rule.DueForWalk({"X:\\A.DOC", 5, kLast + kSecond}));   // a later second
}

TEST_CASE("entry times are minutes of local time: a file's time within that minute matches") {
    const CDueRule rule = Rule(Holding("A.DOC", 5, kOld));
    CHECK_FALSE(rule.Due({"X:\\A.DOC", 5, kOld + 59 * kSecond}));
    CHECK_FALSE(rule.Due({"X:\\A.DOC", 5, kOld - 2 * kSecond}));  // a DOS time rounded up
    CHECK(rule.Due({"X:\\A.DOC", 5, kOld + 63 * kSecond}));
    CHECK(rule.Due({"X:\\A.DOC", 5, kOld - 3 * kSecond}));
    // An entry whose time is unknown never stands for a file.
    CHECK(Rule(Holding("A.DOC", 5, 0)).Due({"X:\\A.DOC", 5, kOld}));
}

TEST_CASE("what the archives do not hold counts only for chosen files written after tracking began") {
    const auto none = std::make_shared<CArchivedVersions>();
    CHECK_FALSE(Rule(none).Due({"X:\\OLD.DOC", 5, kTracked}));  // the floor itself is not later
    CHECK(Rule(none).Due({"X:\\NEW.DOC", 5, kTracked + kSecond}));
    CHECK_FALSE(Rule(none).Due({"X:\\A.TMP", 5, kOld}));        // excluded type
    CHECK_FALSE(Rule(none).Due({"X:\\A.XYZ", 5, kOld}));        // a type in neither list
    CHECK(Rule(none, {}, Choice(kGeneralLearnMode)).Due({"X:\\A.XYZ", 5, kOld}));  // learned, asked about
    CHECK_FALSE(Rule(none, {}, Choice(kGeneralLearnMode)).Due({"X:\\A.TMP", 5, kOld}));
    CHECK_FALSE(Rule(none).Due({"X:\\SECRET.DOC", 5, kOld}));   // an excluded name
    CHECK_FALSE(Rule(none).Due({"X:\\NOTES.BACKUP", 5, kOld})); // no type the run knows
    // Above the size limit the run leaves it out again: not offered for that.
    CHECK(Rule(none, {}, Choice(kGeneralSizeLimit)).Due({"X:\\BIG.DOC", 100000, kOld}));
    CHECK_FALSE(Rule(none, {}, Choice(kGeneralSizeLimit)).Due({"X:\\BIG.DOC", 100001, kOld}));
}

TEST_CASE("a declined file stays declined until it changes") {
    TestFolder folder("declined");
    const std::string file = folder.File("a.doc", "declined", 2030);
    const std::string record = folder.Path("declined.txt");
    {
        CDeclinedFiles declined(record);
        declined.Decline({file, folder.Path("gone.doc")});
        CHECK(declined.Size() == 1);  // a file that is not there is not recorded
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    REQUIRE(::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data));
    const FileState state{file, data.nFileSizeLow, TicksOf(data.ftLastWriteTime)};
    auto loaded = std::make_shared<CDeclinedFiles>(record);
    loaded->Load();
    const auto none = std::make_shared<CArchivedVersions>();
    const CDueRule rule(0, 0, true, Choice(), none, loaded);
    CHECK(loaded->Holds(state));
    CHECK_FALSE(rule.NotArchived(state));
    // Changed since (other size or time): offered again.
    CHECK(rule.NotArchived({file, state.size + 1, state.lastWrite}));
    CHECK(rule.NotArchived({file, state.size, state.lastWrite + kSecond}));
    // Declining again drops the lines of files that are no longer as declined.
    TestFolder::SetTime(file, 2031);
    CDeclinedFiles again(record);
    again.Decline({});
    CHECK(again.Size() == 0);
}

TEST_CASE("change tracking's start is written once, from the first last archive time") {
    SUBCASE("taken from LastArchiveTime, then kept") {
        TestIni ini("[Settings]\r\nLastArchiveTime=01,06,2025,12,00,00\r\n");
        const FileTicks first = EnsureTrackedSince();
        CHECK(ini.Value("Settings", "TrackedSince") == "01,06,2025,12,00,00");
        ::WritePrivateProfileStringA("Settings", "LastArchiveTime", "01,07,2025,12,00,00", kSettingsFile);
        CHECK(EnsureTrackedSince() == first);
        CHECK(ini.Value("Settings", "TrackedSince") == "01,06,2025,12,00,00");
    }
    SUBCASE("without a last archive time: a day before now") {
        TestIni ini;
        const FileTicks since = EnsureTrackedSince();
        const FileTicks dayAgo = TicksFromTime(CurrentTime() - 24 * 3600);
        CHECK(since <= dayAgo);
        CHECK(since + 5 * kSecond >= dayAgo);
    }
}

#include <windows.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "autoarchive/ArchiveRun.h"
#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/PendingArchiveDlg.h"
#include "common/Profile.h"
#include "doctest/doctest.h"
#include "framework/Text.h"
#include "monitor/ChangeMonitor.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/TestIni.h"
#include "tests/unit/TestTime.h"

using namespace tb;

namespace {

struct ZipCall {
    std::string archive;
    std::string list;
    int operation;
};

// Stands in for the view: records what the run asks of it.
class FakeHost : public IArchiveRunHost {
public:
    time_t now = 0;
    std::vector<std::string> pending;
    std::vector<int> zipResults;  // per call; missing = success
    std::vector<ZipCall> zips;
    std::vector<PendingAnswer> pendingAnswers;
    int learnCalls = 0;
    int learnChangesOnce = 0;
    int pauses = 0, resumes = 0, rebuilds = 0, settingsOpened = 0, editors = 0, mainShown = 0, dialogs = 0;
    bool directoryChanged = false;
    std::vector<std::string> errors;
    std::vector<std::string> shown;
    int modeSeen = -1;

    // Per pause, whether the monitor stopped in time; missing = it did.
    std::vector<bool> pauseResults;
    // The recorded directories the build scanned in full; unset = all of them.
    std::optional<std::vector<std::string>> covered;
    time_t listedSince = 0;
    // What the monitor records while the list is built.
    std::vector<std::string> recordedDuringBuild;

    time_t Now() override { return now; }
    unsigned long long NowTicks() override { return TicksFromTime(now) + 5000000ULL; }
    bool PauseMonitor() override {
        const size_t index = size_t(pauses++);
        return index < pauseResults.size() ? bool(pauseResults[index]) : true;
    }
    void ResumeMonitor() override { ++resumes; }
    BuiltChangeList BuildChangeList() override {
        BuiltChangeList built{pending, covered ? *covered : ReadChangeRecordList(), TicksFromTime(listedSince)};
        for (const std::string& directory : recordedDuringBuild) RecordChangedDirectory(directory);
        now += 5;  // listing takes a while
        return built;
    }
    bool DirectoryChanged() override { return directoryChanged; }
    void ClearDirectoryChanged() override { directoryChanged = false; }
    void RequestRebuildAndRestart() override { ++rebuilds; }
    void OpenSettings() override { ++settingsOpened; }
    int LearnNewFileTypes(const std::vector<std::string>& types, SettingsRecord& s) override {
        ++learnCalls;
        if (learnChangesOnce && !types.empty()) {
            learnChangesOnce = 0;
            s.FileTypes += types[0] + ";";
            return 1;
        }
        return 0;
    }
    OversizeAnswer AskOversize(const std::string&, unsigned long long) override { return {}; }
    PendingAnswer ShowPendingDialog(const std::vector<std::string>&, const std::vector<std::string>&,
                                    int mode) override {
        modeSeen = mode;
        return pendingAnswers.empty() ? kPendingArchiveNow : pendingAnswers[size_t(dialogs++)];
    }
    void OpenEditorWithPending() override { ++editors; }
    void ShowMainWindow() override { ++mainShown; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    unsigned long long FileSize(const std::string&) override { return 10; }
    // Folders that cannot be made; every other is made (and noted).
    std::vector<std::string> unmakeable;
    std::vector<std::string> foldersMade;
    bool MakeFolder(const std::string& folder) override {
        if (std::find(unmakeable.begin(), unmakeable.end(), folder) != unmakeable.end()) return false;
        foldersMade.push_back(folder);
        return true;
    }
    ZipOutcome ZipFiles(const std::string& archive, const std::string& list, int operation) override {
        // The archive's folder was made first.
        const size_t cut = archive.find_last_of('\\');
        const std::string folder = cut == std::string::npos ? std::string() : archive.substr(0, cut);
        CHECK_MESSAGE((folder.empty() || std::find(foldersMade.begin(), foldersMade.end(), folder) != foldersMade.end() ||
                       std::find(foldersMade.begin(), foldersMade.end(), folder + "\\") != foldersMade.end()),
                      archive);
        ZipOutcome outcome;
        outcome.written = (zips.size() < zipResults.size() ? zipResults[zips.size()] : 1) != 0;
        outcome.notArchived = notArchived;
        zips.push_back({archive, list, operation});
        now += 60;  // writing the archive takes a while too
        return outcome;
    }
    std::vector<std::string> notArchived;
    void ShowArchive(const std::string& archive) override { shown.push_back(archive); }
};


SettingsRecord Monitoring() {
    SettingsRecord s;
    s.General = kGeneralMonitor;
    s.Prompts = kPromptSilent;
    s.FileTypes = ".TXT;";
    s.LocationDir = "C:\\Auto Archives";
    s.LocationDirAlt = "D:\\Alt\\";
    return s;
}

}  // namespace

TEST_CASE("archive names and locations") {
    std::tm t{};
    t.tm_year = 2001 - 1900;
    t.tm_mon = 3;
    t.tm_mday = 1;
    CHECK(DatedArchiveName(t) == "April 01 2001.zip");
    t.tm_mon = 11;
    t.tm_mday = 25;
    t.tm_year = 2026 - 1900;
    CHECK(DatedArchiveName(t) == "December 25 2026.zip");
    CHECK(ArchivePath("C:\\Auto Archives", "x.zip") == "C:\\Auto Archives\\x.zip");
    CHECK(ArchivePath("D:\\", "x.zip") == "D:\\x.zip");
    CHECK(ArchivePath("", "x.zip") == "x.zip");
    CHECK(QuotedFileList({"C:\\a b.txt", "C:\\c.txt"}) == "\"C:\\a b.txt\" \"C:\\c.txt\"");
    CHECK(QuotedFileList({}).empty());
}

TEST_CASE("a timed or shut-down run does nothing while monitoring is off") {
    TestIni ini;
    FakeHost host;
    SettingsRecord s = Monitoring();
    s.General = 0;
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Schedule, s) == 1);
    CHECK(host.pauses == 0);
    CHECK(host.zips.empty());
    host.pending = {"C:\\x.txt"};
    CHECK(run.Run(ArchiveTrigger::Command, s) == 1);  // the toolbar command still runs
    CHECK(host.zips.size() == 1);
}

TEST_CASE("a run archives into the dated archive and records when the list was taken") {
    TestIni ini;
    TestFolder folder("run");
    const std::string quiet = folder.Folder("quiet");
    const std::string busy = folder.Folder("busy");
    WriteIniString("Changes", "Dir1", quiet);
    WriteIniString("Changes", "Dir2", busy);
    FakeHost host;
    host.now = LocalTime(2026, 12, 7, 10, 30, 15);
    host.pending = {"C:\\docs\\a.txt", "C:\\docs\\b.txt", "C:\\docs\\c.bak"};
    SettingsRecord s = Monitoring();
    // A file saved in "busy" while the run was listing, after the list was taken.
    TestFolder::SetTime(folder.File("busy\\new.txt", "x"), 2030);

    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
    REQUIRE(host.zips.size() == 1);
    CHECK(host.zips[0].archive == "C:\\Auto Archives\\December 07 2026.zip");
    CHECK(host.zips[0].list == "\"C:\\docs\\a.txt\" \"C:\\docs\\b.txt\"");
    CHECK(host.zips[0].operation == (0x20 | 0x200 | 0x800));
    // The time written is the moment the list was taken, not the end of the run.
    CHECK(ini.Value("Settings", "LastArchiveTime") == "07,12,2026,10,30,15");
    // The directory with nothing newer is done with; the one changed since stays.
    CHECK(ini.Value("Changes", "Dir1") == busy);
    CHECK(ini.Value("Changes", "Dir2").empty());
    CHECK(host.shown == std::vector<std::string>{"C:\\Auto Archives\\December 07 2026.zip"});
    CHECK(host.rebuilds == 1);
    CHECK(host.errors.empty());
    // The settings were written (the record upper-cases the type lists).
    CHECK(ini.Value("Settings", "FileTypes") == ".TXT;");
}

TEST_CASE("options: folder names from the pending dialog's setting, quiet without the prompt") {
    TestIni ini;
    FakeHost host;
    host.pending = {"C:\\a.txt"};
    SettingsRecord s = Monitoring();
    s.Prompts = kPromptPending;
    WriteIntKey(kSettingsSection, "PendSaveFolderNames", 0);
    CAutoArchiveRun run(host);
    run.Run(ArchiveTrigger::Command, s);
    REQUIRE(host.zips.size() == 1);
    CHECK(host.zips[0].operation == 0x20);
}

TEST_CASE("a failed primary location falls back to the alternate") {
    TestIni ini;
    TestFolder folder("fallback");
    WriteIniString("Changes", "Dir1", folder.Folder("d"));
    FakeHost host;
    host.now = LocalTime(2026, 1, 2, 3, 4, 5);
    host.pending = {"C:\\a.txt"};
    host.zipResults = {0, 1};
    SettingsRecord s = Monitoring();
    s.Prompts = kPromptPending;
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
    REQUIRE(host.zips.size() == 2);
    CHECK(host.zips[1].archive == "D:\\Alt\\January 02 2026.zip");
    CHECK(host.errors == std::vector<std::string>{"An error occured during this operation."});
    CHECK(ini.Value("Settings", "LastArchiveTime") == "02,01,2026,03,04,05");
    // Marked failed: the change records stay.
    CHECK(ini.Value("Changes", "Dir1") == folder.Path("d"));
    CHECK(host.shown == std::vector<std::string>{"D:\\Alt\\January 02 2026.zip"});
}

TEST_CASE("a missing location is made first; the alternate only when that fails") {
    TestIni ini;
    FakeHost host;
    host.now = LocalTime(2026, 1, 2, 3, 4, 5);
    host.pending = {"C:\\a.txt"};
    SettingsRecord s = Monitoring();
    s.Prompts = kPromptPending;
    CAutoArchiveRun run(host);
    SUBCASE("made") {
        CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
        CHECK(host.foldersMade == std::vector<std::string>{"C:\\Auto Archives"});
        REQUIRE(host.zips.size() == 1);
        CHECK(host.zips[0].archive == "C:\\Auto Archives\\January 02 2026.zip");
        CHECK(host.errors.empty());
    }
    SUBCASE("cannot be made") {
        host.unmakeable = {"C:\\Auto Archives"};
        CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
        REQUIRE(host.zips.size() == 1);
        CHECK(host.zips[0].archive == "D:\\Alt\\January 02 2026.zip");
        CHECK(host.errors == std::vector<std::string>{"An error occured during this operation."});
    }
    SUBCASE("an empty location is the current folder: nothing to make") {
        s.LocationDir.clear();
        CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
        CHECK(host.foldersMade.empty());
        REQUIRE(host.zips.size() == 1);
        CHECK(host.zips[0].archive == "January 02 2026.zip");
    }
}

TEST_CASE("with neither location written the files stay due") {
    TestIni ini;
    WriteIniString(kSettingsSection, "LastArchiveTime", "01,01,2026,00,00,00");
    WriteIniString("Changes", "Dir1", "C:\\docs");
    FakeHost host;
    host.pending = {"C:\\docs\\a.txt"};
    host.zipResults = {0, 0};
    SettingsRecord s = Monitoring();  // silent: no message
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Schedule, s) == 1);
    CHECK(host.zips.size() == 2);
    CHECK(host.errors.empty());
    CHECK(ini.Value("Settings", "LastArchiveTime") == "01,01,2026,00,00,00");
    CHECK(ini.Value("Changes", "Dir1") == "C:\\docs");
}

TEST_CASE("a file that could not be read stays due for the next run") {
    TestIni ini;
    TestFolder folder("locked");
    const std::string docs = folder.Folder("docs");
    const std::string deep = folder.Folder("a\\b");
    WriteIniString("Changes", "Dir1", docs);
    WriteIniString("Changes", "Dir2", deep);
    const std::string locked = folder.File("docs\\locked.txt", "x", 2020);
    FakeHost host;
    host.now = LocalTime(2026, 3, 3, 9, 0, 0);
    host.pending = {locked, folder.Path("docs\\fine.txt")};
    host.notArchived = {locked, folder.Path("docs\\vanished.txt")};
    SettingsRecord s = Monitoring();
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
    CHECK(host.zips.size() == 1);  // written: no second location
    // A second before the locked file was written (1 June 2020, noon).
    CHECK(ini.Value("Settings", "LastArchiveTime") == "01,06,2020,11,59,59");
    // Its folder stays in the change records; the other is done with.
    CHECK(ini.Value("Changes", "Dir1") == docs);
    CHECK(ini.Value("Changes", "Dir2").empty());
}

TEST_CASE("the pending dialog's answers") {
    TestIni ini;
    FakeHost host;
    host.now = LocalTime(2026, 5, 6, 7, 8, 9);
    host.pending = {"C:\\a.txt"};
    SettingsRecord s = Monitoring();
    s.Prompts = kPromptPending;
    CAutoArchiveRun run(host);
    SUBCASE("Later archives nothing and reports 0") {
        host.pendingAnswers = {kPendingLater};
        CHECK(run.Run(ArchiveTrigger::Schedule, s) == 0);
        CHECK(host.zips.empty());
        CHECK(ini.Value("Settings", "LastArchiveTime").empty());
    }
    SUBCASE("Shutdown Without Archiving reports 1") {
        host.pendingAnswers = {kPendingShutdownWithoutArchiving};
        CHECK(run.Run(ArchiveTrigger::Shutdown, s) == 1);
        CHECK(host.modeSeen == CPendingArchiveDlg::kShutdownMode);
        CHECK(host.zips.empty());
    }
    SUBCASE("Run Archiver shows the main window") {
        host.pendingAnswers = {kPendingRunArchiver};
        CHECK(run.Run(ArchiveTrigger::Command, s) == 0);
        CHECK(host.mainShown == 1);
        CHECK(host.modeSeen == 0);
    }
    SUBCASE("Custom Archive opens the editor with the pending files") {
        host.pendingAnswers = {kPendingCustomArchive};
        CHECK(run.Run(ArchiveTrigger::Command, s) == 0);
        CHECK(host.editors == 1);
    }
    SUBCASE("Edit Settings shows the settings and asks again") {
        host.pendingAnswers = {kPendingEditSettings, kPendingArchiveNow};
        CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
        CHECK(host.settingsOpened == 1);
        CHECK(host.dialogs == 2);
        CHECK(host.zips.size() == 1);
    }
    SUBCASE("Exit and Reset Pending List records the time the list was taken") {
        host.pendingAnswers = {kPendingExitAndReset};
        CHECK(run.Run(ArchiveTrigger::Command, s) == 0);
        CHECK(host.zips.empty());
        CHECK(ini.Value("Settings", "LastArchiveTime") == "06,05,2026,07,08,09");
    }
}

TEST_CASE("Exit and Reset Pending List drops the records the list covered, and only those") {
    TestIni ini;
    TestFolder folder("reset");
    const std::string quiet = folder.Folder("quiet");
    const std::string busy = folder.Folder("busy");
    const std::string later = folder.Folder("later");
    WriteIniString("Changes", "Dir1", quiet);
    WriteIniString("Changes", "Dir2", busy);
    FakeHost host;
    host.now = LocalTime(2026, 5, 6, 7, 8, 9);
    host.pending = {quiet + "\\a.txt", busy + "\\b.txt"};
    host.pendingAnswers = {kPendingExitAndReset};
    // Recorded by the monitor while the list was built, and a file saved in
    // "busy" while the dialog was open.
    host.recordedDuringBuild = {later};
    TestFolder::SetTime(folder.File("busy\\saved-meanwhile.txt", "x"), 2030);
    SettingsRecord s = Monitoring();
    s.Prompts = kPromptPending;
    CAutoArchiveRun run(host);
    SUBCASE("the monitor stopped: the records are pruned while it is") {
        CHECK(run.Run(ArchiveTrigger::Command, s) == 0);
        CHECK(host.pauses == 2);
        CHECK(host.resumes == 2);
        CHECK(ReadChangeRecordList() == std::vector<std::string>{busy, later});
    }
    SUBCASE("the monitor did not stop in time: the records stay as they are") {
        host.pauseResults = {true, false};
        CHECK(run.Run(ArchiveTrigger::Command, s) == 0);
        CHECK(host.resumes == 2);  // it is let go all the same
        CHECK(ReadChangeRecordList() == std::vector<std::string>{quiet, busy, later});
    }
    CHECK(host.zips.empty());
    CHECK(ini.Value("Settings", "LastArchiveTime") == "06,05,2026,07,08,09");
}

TEST_CASE("a list that did not cover every record keeps the others and the last archive time") {
    TestIni ini;
    TestFolder folder("partial");
    const std::string done = folder.Folder("done");
    const std::string aborted = folder.Folder("aborted");
    const std::string cut = folder.Folder("cut");
    WriteIniString("Changes", "Dir1", done);
    WriteIniString("Changes", "Dir2", aborted);
    WriteIniString("Changes", "Dir3", cut);
    FakeHost host;
    host.now = LocalTime(2026, 8, 9, 10, 11, 12);
    host.listedSince = LocalTime(2026, 8, 1, 18, 0, 0);
    host.pending = {done + "\\a.txt"};
    host.covered = std::vector<std::string>{done};
    SettingsRecord s = Monitoring();
    CAutoArchiveRun run(host);
    SUBCASE("archived") {
        CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
        CHECK(host.zips.size() == 1);
    }
    SUBCASE("Exit and Reset Pending List") {
        s.Prompts = kPromptPending;
        host.pendingAnswers = {kPendingExitAndReset};
        CHECK(run.Run(ArchiveTrigger::Command, s) == 0);
        CHECK(host.zips.empty());
    }
    // The directories it never finished are listed again, from the same time.
    CHECK(ReadChangeRecordList() == std::vector<std::string>{aborted, cut});
    CHECK(ini.Value("Settings", "LastArchiveTime") == "01,08,2026,18,00,00");
}

TEST_CASE("after an archive, a monitor that did not stop in time leaves the records as they are") {
    TestIni ini;
    TestFolder folder("no-pause");
    const std::string quiet = folder.Folder("quiet");
    WriteIniString("Changes", "Dir1", quiet);
    FakeHost host;
    host.now = LocalTime(2026, 2, 3, 4, 5, 6);
    host.pending = {quiet + "\\a.txt"};
    host.pauseResults = {true, false};
    SettingsRecord s = Monitoring();
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
    CHECK(host.zips.size() == 1);
    CHECK(ReadChangeRecordList() == std::vector<std::string>{quiet});
    CHECK(host.resumes == 2);
    CHECK(ini.Value("Settings", "LastArchiveTime") == "03,02,2026,04,05,06");
}

TEST_CASE("a learned type sorts the pending files again") {
    TestIni ini;
    FakeHost host;
    host.pending = {"C:\\a.txt", "C:\\b.xyz"};
    host.learnChangesOnce = 1;
    SettingsRecord s = Monitoring();
    CAutoArchiveRun run(host);
    run.Run(ArchiveTrigger::Command, s);
    CHECK(host.learnCalls == 2);
    REQUIRE(host.zips.size() == 1);
    CHECK(host.zips[0].list == "\"C:\\a.txt\" \"C:\\b.xyz\"");
}

TEST_CASE("after a shut-down run without changed folders the directory list is not rebuilt") {
    TestIni ini;
    FakeHost host;
    SettingsRecord s = Monitoring();
    CAutoArchiveRun run(host);
    run.Run(ArchiveTrigger::Shutdown, s);
    CHECK(host.rebuilds == 0);
    host.directoryChanged = true;
    run.Run(ArchiveTrigger::Shutdown, s);
    CHECK(host.rebuilds == 1);
    CHECK_FALSE(host.directoryChanged);
}

TEST_CASE("a run that takes nothing while files of unchosen types changed keeps them due, and says why") {
    TestIni ini;
    WriteIniString(kSettingsSection, "LastArchiveTime", "01,01,2026,00,00,00");
    WriteIniString("Changes", "Dir1", "C:\\docs");
    FakeHost host;
    host.now = LocalTime(2026, 3, 3, 9, 0, 0);
    host.pending = {"C:\\docs\\a.docx", "C:\\docs\\b.docx", "C:\\docs\\c.xyz"};
    SettingsRecord s = Monitoring();
    s.FileTypes.clear();  // no type chosen, as a settings file without types leaves it
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
    CHECK(host.zips.empty());
    // Once the types are chosen, the next run still finds these changes.
    CHECK(ini.Value("Settings", "LastArchiveTime") == "01,01,2026,00,00,00");
    CHECK(ini.Value("Changes", "Dir1") == "C:\\docs");
    CHECK(run.m_summary.ran);
    CHECK(run.m_summary.noTypesChosen);
    CHECK(run.m_summary.untyped == 3);
    CHECK(run.m_summary.untypedTypes == std::vector<std::string>{".DOCX", ".XYZ"});
    CHECK(RunStatusLine(run.m_summary) ==
          "Nothing archived: 3 changed files wait until file types are chosen in Archive Settings (.DOCX, .XYZ)");
    CHECK(RunNeedsAttention(run.m_summary));
}

TEST_CASE("a run with nothing changed moves the last archive time and says there was nothing") {
    TestIni ini;
    WriteIniString(kSettingsSection, "LastArchiveTime", "01,01,2026,00,00,00");
    FakeHost host;
    host.now = LocalTime(2026, 3, 3, 9, 0, 0);
    SettingsRecord s = Monitoring();
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
    CHECK(ini.Value("Settings", "LastArchiveTime") == "03,03,2026,09,00,00");
    CHECK(RunStatusLine(run.m_summary) == "Nothing to archive");
}

TEST_CASE("the summary of a run that archived some files and left others out") {
    TestIni ini;
    FakeHost host;
    host.now = LocalTime(2026, 3, 3, 9, 0, 0);
    host.pending = {"C:\\d\\a.txt", "C:\\d\\b.txt", "C:\\d\\c.xyz", "C:\\d\\d.abc", "C:\\d\\e.xyz", "C:\\d\\f.tmp"};
    SettingsRecord s = Monitoring();
    s.ExcludeTypes = ".TMP;";
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Schedule, s) == 1);
    const RunSummary& summary = run.m_summary;
    CHECK(summary.trigger == ArchiveTrigger::Schedule);
    CHECK(summary.archive == "C:\\Auto Archives\\March 03 2026.zip");
    CHECK(summary.taken == 2);
    CHECK(summary.untyped == 3);
    CHECK(summary.excluded == 1);
    CHECK(RunStatusLine(summary) ==
          "2 files archived in C:\\Auto Archives\\March 03 2026.zip; "
          "3 changed files were left out: types not in the list (.XYZ, .ABC); "
          "1 file was left out by the exclusions or the size limit");
    CHECK_FALSE(RunNeedsAttention(summary));
}

TEST_CASE("the summary of a run whose archive could not be written names the place and the reason") {
    TestIni ini;
    FakeHost host;
    host.now = LocalTime(2026, 3, 3, 9, 0, 0);
    host.pending = {"C:\\d\\a.txt"};
    SettingsRecord s = Monitoring();
    s.LocationDirAlt.clear();
    host.unmakeable = {"C:\\Auto Archives"};
    CAutoArchiveRun run(host);
    CHECK(run.Run(ArchiveTrigger::Command, s) == 1);
    CHECK(run.m_summary.failed);
    CHECK(run.m_summary.archive.empty());
    CHECK(RunStatusLine(run.m_summary) == "The archive could not be written: C:\\Auto Archives: the folder could "
                                          "not be made; 1 changed file waits for the next archive");

    FakeHost full;
    full.now = host.now;
    full.pending = {"C:\\d\\a.txt", "C:\\d\\b.txt"};
    full.zipResults = {0};
    CAutoArchiveRun second(full);
    CHECK(second.Run(ArchiveTrigger::Command, s) == 1);
    CHECK(RunStatusLine(second.m_summary) ==
          "The archive could not be written: C:\\Auto Archives\\March 03 2026.zip: the archive could not be "
          "written; 2 changed files wait for the next archive");
}

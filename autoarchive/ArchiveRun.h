#pragma once
// The automatic archive run: the files changed since the last automatic
// archive are listed, sorted by type, new types learned, oversize files asked
// about, the pending list confirmed where the settings say so, and the chosen
// files added to the ZIP archive named after the day.
//
// Everything the run needs from the rest of the program comes through
// IArchiveRunHost, so the run itself can be tested without windows.

#include <ctime>
#include <string>
#include <vector>

#include "autoarchive/ArchiveControl.h"
#include "autoarchive/Classification.h"
#include "autoarchive/PendingArchiveDlg.h"
#include "autoarchive/RunSummary.h"
#include "common/Clock.h"
#include "common/Settings.h"
#include "history/DatedArchives.h"

namespace tb {

// What adding the files to an archive came to.
struct ZipOutcome {
    bool written = false;                 // the archive holds the files (all, or all but notArchived)
    std::vector<std::string> notArchived;  // files that could not be read (locked, vanished)
    bool stopped = false;                  // the user pressed "Abort Operation"
    std::string problem;                   // why nothing was written, in words
};

// What a build of the change list came to.
struct BuiltChangeList {
    std::vector<std::string> pending;  // the changed files and directories
    std::vector<std::string> covered;  // the recorded directories scanned in full
    FileTicks since = 0;               // the last archive time it listed changes since
};

class IArchiveRunHost {
public:
    virtual ~IArchiveRunHost() = default;
    virtual time_t Now() = 0;
    // The same moment to the file system's precision (100-ns units since 1601).
    virtual unsigned long long NowTicks() = 0;
    // Change tracking. PauseMonitor is false when the monitor did not stop in
    // time: it may still be writing the change records.
    virtual bool PauseMonitor() = 0;
    virtual void ResumeMonitor() = 0;
    // The pending list built from the change records.
    virtual BuiltChangeList BuildChangeList() = 0;
    // Before the change records are read: where notifications cannot be
    // trusted, the walk that records every folder holding a due file.
    virtual void ReconcileBeforeList() {}
    // "Exit and Reset Pending List": these files, as they are now, are not
    // offered again until they change.
    virtual void DeclineFiles(const std::vector<std::string>& paths) { (void)paths; }
    virtual bool DirectoryChanged() = 0;
    virtual void ClearDirectoryChanged() = 0;
    // Request(1) to the directory-list worker, timer 28 and the restart flag.
    virtual void RequestRebuildAndRestart() = 0;
    // The user.
    virtual void OpenSettings() = 0;
    virtual int LearnNewFileTypes(const std::vector<std::string>& newTypes, SettingsRecord& settings) = 0;
    virtual OversizeAnswer AskOversize(const std::string& path, unsigned long long size) = 0;
    // The pending archive dialog; returns the user's answer.
    virtual PendingAnswer ShowPendingDialog(const std::vector<std::string>& archive,
                                            const std::vector<std::string>& skipped, int modeFlags) = 0;
    virtual void OpenEditorWithPending() = 0;
    virtual void ShowMainWindow() = 0;
    virtual void ShowError(const std::string& text) = 0;
    // The archive.
    virtual unsigned long long FileSize(const std::string& path) = 0;
    // Makes the folder an archive goes into, with its parents; false when it
    // cannot be made.
    virtual bool MakeFolder(const std::string& folder) = 0;
    virtual ZipOutcome ZipFiles(const std::string& archive, const std::string& fileList, int operation) = 0;
    // Adds the archive to the known list and shows it in the view.
    virtual void ShowArchive(const std::string& archive) = 0;
};

// The paths each in double quotes, separated by one blank.
std::string QuotedFileList(const std::vector<std::string>& paths);

// The "Changes" list as it stands.
std::vector<std::string> ReadChangeRecordList();
// After an archive: removes from "Changes" the directories of `done` in
// which nothing is newer than `since`; directories recorded since, those
// changed again and those holding a file of `retry` stay for the next run.
void PruneChangeRecords(const std::vector<std::string>& done, unsigned long long sinceTicks,
                        const std::vector<std::string>& retry = {});

class CAutoArchiveRun {
public:
    explicit CAutoArchiveRun(IArchiveRunHost& host) : m_host(host) {}

    // A run started by the schedule or at shut-down does nothing while
    // monitoring is off. Returns 1 when the run finished or had nothing to do
    // (or the user chose "Shutdown Without Archiving"), 0 when the user
    // postponed or diverted it.
    int Run(ArchiveTrigger trigger, SettingsRecord& settings);

    // What the last run did, for tests and messages.
    std::string m_writtenArchive;
    bool m_failed = false;
    RunSummary m_summary;

private:
    // The recorded directories whose changes the list holds in full, and the
    // moment up to which every change is in the list.
    struct ListCoverage {
        std::vector<std::string> done;
        time_t upTo = 0;
    };
    ListCoverage Coverage(const std::vector<std::string>& recorded, const BuiltChangeList& built,
                          time_t listTaken) const;
    // What the classification pass chose, into the summary.
    void NoteChoice(const SettingsRecord& settings);
    // Takes the directories of `done` out of the change records, as far as
    // nothing changed in them since; only while the monitor is stopped.
    void PruneWhilePaused(const std::vector<std::string>& done, FileTicks sinceTicks,
                          const std::vector<std::string>& retry);

    IArchiveRunHost& m_host;
    CClassificationPass m_pass;
};

}  // namespace tb

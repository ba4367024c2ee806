#pragma once
// Change list building: turns the change record list (section "Changes",
// written by the change monitor) into the pending list: the full
// paths of the files and directories under the changed directories whose
// last-write time is later than the last automatic archive. A recorded drive
// root or first-level directory stands for its own entries; a recorded
// second-level directory for its whole subtree.
//
// It also keeps "LastArchiveTime" and searches a folder tree for entries newer
// than a given time (the search result list), for the find-archives dialog and the
// archive editor's file search. Runs on the user-interface thread, showing the
// progress dialog; .zip paths it meets are offered to the known-archive list.

#include <windows.h>

#include <ctime>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "autoarchive/DueRule.h"
#include "autoarchive/KnownArchiveSink.h"
#include "common/Clock.h"
#include "common/Settings.h"

namespace tb {

class CProgressDlg;
struct WalkEntry;

// "LastArchiveTime" of section "Settings": local time, "%d,%m,%Y,%H,%M,%S".
// Read with a 200-character buffer; a value with fewer than six fields gives
// the current time minus one day.
FileTicks ReadLastArchiveTime();
// The key's text as written ("" when missing).
std::string ReadLastArchiveTimeText();
// That text as local time fields (tm_isdst -1: daylight saving time as it was
// on that day); false when it has fewer than six fields.
bool ParseLastArchiveTime(const std::string& text, std::tm& local);
// A local time in that form ("" when it cannot be converted).
std::string ArchiveTimeText(time_t when);
// Writes the current time, or the time given.
void WriteLastArchiveTime();
void WriteLastArchiveTime(time_t when);

// Empties the change record list (an empty "Dir1"; later keys are ignored).
void ResetChangeRecords();

// Progress positions: of step `step` of a build (runs quickly to 90, then
// creeps), and of a search that has found `found` entries.
int BuildProgressPosition(int step);
int SearchProgressPosition(int found);

class CChangeListBuilder {
public:
    // `archives` is the known-archive list; `settings` the live Settings
    // record (its `Prompts` say whether a build shows progress);
    // `progressParent` the window that owns the progress dialog (may be null).
    CChangeListBuilder(IKnownArchiveSink& archives, const SettingsRecord& settings, HWND progressParent = nullptr);
    ~CChangeListBuilder();
    CChangeListBuilder(const CChangeListBuilder&) = delete;
    CChangeListBuilder& operator=(const CChangeListBuilder&) = delete;

    void SetProgressParent(HWND parent) { m_progressParent = parent; }
    // The rule the builds list files by. Without one (or with none given for
    // a build), a file is listed when it is newer than the last archive time.
    void SetDueRule(std::shared_ptr<const CDueRule> rule) { m_rule = std::move(rule); }

    // Builds the pending list from the change record list; returns the number
    // of entries. "Abort Operation" ends it early with what was found so far.
    int BuildChangeList();
    // Full paths of the files changed since the last automatic archive.
    const std::vector<std::string>& PendingList() const { return m_pending; }
    // The recorded directories the last build scanned in full: not those it
    // never reached (after "Abort Operation"), nor those whose walk was cut.
    const std::vector<std::string>& CoveredDirectories() const { return m_covered; }
    // The last archive time the last build listed changes since.
    FileTicks ListedSince() const { return m_lastArchive; }

    // Flag bit 1 starts again from key Dir0. Reads key "Dir" + counter of
    // "Changes" (5000-character buffer) and moves the counter on; "" when the
    // key is missing or empty.
    enum : int { kResetReadCounter = 1 };
    std::string ReadChangeRecord(int flags);

    // Adds the entries of `directory` newer than the last archive time (files
    // also when the due rule finds them due), and of its subdirectories from
    // the third level down. A subdirectory of a root or first-level directory
    // that is newer than the last archive (made or moved in since) is listed
    // with its whole tree. A directory scanned right before is not scanned
    // again, and no path is listed twice in a build. "" forgets the last
    // scanned directory.
    // Returns the found-file count (0 for "" or a directory that cannot be read).
    int ScanChangedDirectory(const std::string& directory);

    // Appends `path` to the pending list; a path ending in .zip (any case) is also
    // offered to the known-archive list.
    void AddChangedFile(const std::string& path);

    // Adds to the search result list the entries of `folder` (and with
    // `withSubfolders` of its whole tree) newer than `since`. "" sets the
    // found-file count to 0 and returns 1. Returns the found-file count, or -1
    // when the user pressed "Abort Operation".
    int SearchChangedFiles(const std::string& folder, FileTicks since, int withSubfolders);
    // Full paths found by the last search.
    const std::vector<std::string>& SearchResults() const { return m_searchResults; }

    int FoundFileCount() const { return m_found; }
    // Set when a build met a directory newer than the last archive time.
    int DirectoryChanged() const { return m_directoryChanged; }
    void ClearDirectoryChanged() { m_directoryChanged = 0; }

    // The progress dialog's window while a build or search shows one.
    HWND ProgressWindow() const;

private:
    void OpenProgress();
    void CloseProgress();
    // 0 when the user has pressed "Abort Operation"; 1 otherwise (also with no dialog).
    int ShowProgress(const std::string& text, int position);
    void WaitShowingProgress(DWORD milliseconds);
    int SearchFolder(const std::string& folder, FileTicks since, int withSubfolders);
    void OfferArchive(const std::string& path);
    // Lists one walked entry when it is due; true when the entry is a
    // directory newer than the last archive.
    bool ListIfDue(const WalkEntry& entry);

    IKnownArchiveSink& m_archives;
    const SettingsRecord& m_settings;
    HWND m_progressParent;
    std::vector<std::string> m_pending;
    std::vector<std::string> m_covered;
    std::vector<std::string> m_searchResults;
    std::unique_ptr<CProgressDlg> m_progress;
    int m_found = 0;
    int m_directoryChanged = 0;
    int m_readCounter = 0;
    std::string m_lastScanned;
    bool m_lastScanWhole = true;  // the last directory scanned was listed in full
    FileTicks m_lastArchive = 0;
    std::shared_ptr<const CDueRule> m_rule;
    std::unordered_set<std::string> m_listed;  // upper-cased paths listed by this build
    bool m_buildingSince = false;  // a build has read the last archive time for all its scans
};

}  // namespace tb

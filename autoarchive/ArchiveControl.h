#pragma once
// How the main frame and the main view meet automatic archiving, in both
// directions: IArchiveControl is what they ask of it (start and stop, the
// archive run, the settings sheet, the view's timers, the shut-down question),
// IArchiveViewHost what it asks of the view (the known-archive list, showing
// an archive, the archive editor).

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "autoarchive/KnownArchiveSink.h"

namespace tb {

struct RunSummary;

// What is told of each archive run once it is over (the status bar, the tray).
class IRunReport {
public:
    virtual ~IRunReport() = default;
    virtual void RunReported(const RunSummary& summary) = 0;
};

// What started an automatic archive run.
enum class ArchiveTrigger {
    Command,   // command 32772 ("Archive Now" on the toolbar)
    Schedule,  // the view's schedule tick: the time of day, or every N hours
    Shutdown,  // Windows is shutting down or logging off
};

class IArchiveControl {
public:
    virtual ~IArchiveControl() = default;
    // Once the view's window exists (its first update): the schedule starts
    // on it; `owner` owns the dialogs and the progress window.
    virtual void Start(HWND viewWindow, HWND owner) = 0;
    // As the view's window goes: change tracking stops and the schedule ends.
    virtual void Stop() = 0;
    // 1 when the run finished, had nothing to do, or the user chose "Shutdown
    // Without Archiving"; 0 when the user postponed or diverted it. One run at
    // a time: while Busy(), nothing runs and 0 comes back (a run the schedule
    // asks for then waits, and comes once the busy state is over).
    virtual int RunArchive(ArchiveTrigger trigger) = 0;
    // A run, the settings sheet or the archive editor is open: their modal
    // loops let timers and Windows' messages through, and a run must not
    // start inside them.
    virtual bool Busy() const = 0;
    // The settings sheet; after OK the settings are written and the directory
    // list rebuilt, and the monitor restarts 10 s later. Not while a run or
    // the sheet itself is open.
    virtual void OpenSettings() = 0;
    // Every timer message of the view (27, the schedule tick; 28, the restart;
    // 30, the look for a missed archive).
    virtual void OnViewTimer(UINT_PTR id) = 0;
    // The machine woke from sleep: an archive missed meanwhile is caught up.
    virtual void OnWake() = 0;
    // The "Cancel Shutdown" box of the pending archive dialog was ticked.
    virtual bool CancelShutdownRequested() const = 0;
    // A new shut-down begins: an earlier "Cancel Shutdown" no longer counts.
    virtual void ClearCancelShutdown() = 0;
    // While the archive editor is open no run starts; one the schedule asks
    // for waits until it closes.
    virtual void SetEditorOpen(bool open) = 0;
    // The folder search of change list building, with its progress dialog:
    // entries of `folder` (and its subfolders when asked) newer than `since`;
    // the archives among them join the known-archive list. "" sets the found
    // count to 0. Returns the found count, or -1 when the user aborted.
    virtual int SearchChangedFiles(const std::string& folder, time_t since, int withSubfolders) = 0;
    // Who is told of each run; null for no one. Every run is also written to
    // the run log.
    virtual void SetRunReport(IRunReport* report) = 0;
};

class IArchiveViewHost : public IKnownArchiveSink {
public:
    // After a run: the archive joins the known list and is shown (the list is
    // cleared, 300 ms pass, then the archive is selected and listed).
    virtual void ShowArchive(const std::string& archive) = 0;
    // The pending archive dialog's "Custom Archive": the archive editor,
    // starting with the pending files.
    virtual void OpenEditorWithPending() = 0;
    // Old day archives were folded into month archives: the removed ones leave
    // the known-archive list, and the month archives take their place there.
    virtual void ArchivesFolded(const std::vector<std::string>& removed, const std::vector<std::string>& written) = 0;
    // The settings sheet was confirmed: what the view shows of them may change.
    virtual void SettingsChanged() = 0;
};

}  // namespace tb

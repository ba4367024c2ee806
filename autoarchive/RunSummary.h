#pragma once
// What one automatic archive run did, as the run itself saw it: what started
// it, the archive it wrote, how many files it took, which changed files it
// left out and why, and whether it failed or was stopped. The run fills it;
// the status bar, the tray and the run log tell it in one line each.

#include <ctime>
#include <string>
#include <vector>

#include "autoarchive/ArchiveControl.h"

namespace tb {

struct RunSummary {
    ArchiveTrigger trigger = ArchiveTrigger::Command;
    time_t when = 0;
    // The run listed the changes (a run of the schedule while monitoring is
    // off does not, and is not told).
    bool ran = false;
    // The user postponed or diverted it in the pending archive dialog.
    bool postponed = false;
    // "Exit and Reset Pending List": the files listed are not offered again.
    bool reset = false;
    std::string archive;   // the archive written, "" when none was
    int taken = 0;         // files the archive received
    // Changed files left out: of types in neither list (with those types),
    // excluded by name or type or over the size limit, and those in use.
    int untyped = 0;
    std::vector<std::string> untypedTypes;
    bool noTypesChosen = false;  // the list of types to archive is empty
    int excluded = 0;
    int inUse = 0;
    // The archive could not be written anywhere, or was written only in the
    // alternate folder; why, in words ("" when nothing failed).
    bool failed = false;
    std::string failure;
    bool stopped = false;  // "Abort Operation" ended it
};

// The one line the status bar and the tray tip show after a run.
std::string RunStatusLine(const RunSummary& summary);
// The line of the run log: the time, what started the run, then the status line.
std::string RunLogLine(const RunSummary& summary);
// A run the user is told about with a balloon, even without prompts.
bool RunNeedsAttention(const RunSummary& summary);

// "1 file" / "3 files".
std::string CountOf(int count, const char* one, const char* many);

}  // namespace tb

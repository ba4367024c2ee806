#pragma once
// Writing an edited archive, without the dialog: the file lists and option
// bits of the two library jobs (add or update, then delete), running them,
// and what stays to be written when a job fails. The editor dialog asks for
// the name and the password, shows the messages and reloads the list.

#include <cstdint>
#include <string>
#include <vector>

#include "editor/EditList.h"

namespace tb {

struct WritePlan {
    std::vector<std::string> addPaths;     // disk files of the ADD and UPDATE rows, in list order
    std::vector<std::string> deleteNames;  // stored names of the REMOVE rows, in list order
    int addOperation = 0;                  // 0x20, + 0x200 keep folders, + 0x400 encrypt
};
WritePlan PlanWrite(const CEditList& list, bool keepFolders, bool encrypt);

// The library's jobs as the writer runs them (the program's engine, or a
// stand-in in tests).
class IZipJobs {
public:
    virtual ~IZipJobs() = default;
    // Runs one job; the library's result code (0 = done, 1 = done except the
    // files it could not read, anything else = nothing written).
    virtual int Run(const std::string& fileList, int operation) = 0;
    // The files the last add job could not read.
    virtual std::vector<std::string> UnreadableFiles() const = 0;
};

enum : int { kLibraryDone = 0, kLibraryIncomplete = 1 };

struct WriteOutcome {
    bool addRan = false;
    bool addFailed = false;     // the add job did not write everything
    bool deleteRan = false;
    bool deleteFailed = false;
    // The rows whose change is not in the archive, to be shown again after
    // the reload so the user can try once more.
    std::vector<EditEntry> unwritten;

    // Everything to be added is in the archive (or there was nothing to add):
    // the pending files taken into the list count as archived.
    bool AddsWritten() const { return !addFailed; }
    bool Complete() const { return unwritten.empty(); }
};

// Runs the add job (when anything is to be added), then the delete job (when
// anything is to be removed), whatever the first one's result.
WriteOutcome RunWriteJobs(const CEditList& list, const WritePlan& plan, IZipJobs& jobs);

// After the reload of the archive: the unwritten rows enter the list again,
// additions and replacements as added files, removals as marks on the items.
void RestoreUnwritten(CEditList& list, const std::vector<EditEntry>& unwritten);

// A new-archive placeholder is deleted before the first write only when it
// holds no bytes at all (a missing file counts as empty).
bool PlaceholderIsEmpty(const std::string& path);
// Its length, 64-bit; -1 when the file does not exist.
int64_t FileLength(const std::string& path);

}  // namespace tb

#include "editor/EditWrite.h"

#include <windows.h>

#include "autoarchive/ArchiveRun.h"
#include "framework/Text.h"
#include "ziplib/dll/ZipRecords.h"

namespace tb {

namespace {

bool Named(const std::vector<std::string>& names, const std::string& path) {
    for (const std::string& name : names)
        if (EqualsNoCase(name, path)) return true;
    return false;
}
}  // namespace

WritePlan PlanWrite(const CEditList& list, bool keepFolders, bool encrypt) {
    WritePlan plan;
    plan.addOperation = kZipOpAdd | (keepFolders ? kZipOptKeepFolders : 0) | (encrypt ? kZipOptEncrypt : 0);
    for (const EditEntry& entry : list.Entries()) {
        if (entry.action == ActionAdd || entry.action == ActionUpdate) plan.addPaths.push_back(entry.path);
        else if (entry.action == ActionRemove) plan.deleteNames.push_back(entry.path);
    }
    return plan;
}

WriteOutcome RunWriteJobs(const CEditList& list, const WritePlan& plan, IZipJobs& jobs) {
    WriteOutcome outcome;
    if (!plan.addPaths.empty()) {
        outcome.addRan = true;
        const int result = jobs.Run(QuotedFileList(plan.addPaths), plan.addOperation);
        if (result != kLibraryDone) {
            outcome.addFailed = true;
            // A job that wrote nothing left every row to do; one that wrote
            // all but some files left those.
            const std::vector<std::string> unread =
                result == kLibraryIncomplete ? jobs.UnreadableFiles() : std::vector<std::string>();
            for (const EditEntry& entry : list.Entries()) {
                if (entry.action != ActionAdd && entry.action != ActionUpdate) continue;
                if (unread.empty() || Named(unread, entry.path)) outcome.unwritten.push_back(entry);
            }
        }
    }
    if (!plan.deleteNames.empty()) {
        outcome.deleteRan = true;
        if (jobs.Run(QuotedFileList(plan.deleteNames), kZipOpDelete) != kLibraryDone) {
            outcome.deleteFailed = true;
            for (const EditEntry& entry : list.Entries())
                if (entry.action == ActionRemove) outcome.unwritten.push_back(entry);
        }
    }
    return outcome;
}

void RestoreUnwritten(CEditList& list, const std::vector<EditEntry>& unwritten) {
    for (const EditEntry& entry : unwritten) {
        if (entry.action == ActionRemove) {
            const int index = list.FindPath(entry.storedName);
            if (index >= 0 && list.At(size_t(index)).action == ActionKeep)
                list.ApplyEntry("", OpToggleRemove, index, "", 0, 0);
        } else {
            list.ApplyEntry(entry.path, OpAddFile, 0, "", 0, -1);
        }
    }
}

int64_t FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool PlaceholderIsEmpty(const std::string& path) { return FileLength(path) <= 0; }

}  // namespace tb

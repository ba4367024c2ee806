#pragma once
// What the archive editor needs of the rest of the program, handed to it by
// whoever opens it: the live settings, the pending list, the folder search,
// the main window's list of known archives and its file icons, the extract
// dialog, the settings sheet, and the note that an editor is open (the
// archive at the set time waits meanwhile).

#include <windows.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/Settings.h"

namespace tb {

// The files changed since the last automatic archive, and the moment the list
// was taken: a write that archives them records that moment as the last
// archive time, so nothing changed after it is skipped by the next run.
struct PendingFiles {
    std::vector<std::string> paths;
    time_t taken = 0;
};

// An item of the archive, as the extract dialog is handed it.
struct ArchiveItem {
    std::string storedName;  // with '\' separators
    std::string dateText;
    int64_t size = 0;
    int64_t compressedSize = 0;
    int flags = 0;           // 0x8000 encrypted
};

class IArchiveEditorHost {
public:
    virtual ~IArchiveEditorHost() = default;

    // The live Settings record (FileTypes, CustomDriveList).
    virtual const SettingsRecord& Settings() const = 0;

    // Brings every change seen so far into the change records, then builds
    // the pending list from them.
    virtual PendingFiles TakePendingFiles() = 0;

    // The folder search and its result list: "" empties the list; returns the
    // running count, or -1 when the user aborted.
    virtual int SearchChangedFiles(const std::string& folder, FileTicks since, int withSubfolders) = 0;
    virtual const std::vector<std::string>& SearchResults() const = 0;

    // The known-archive list: adds the archive when it is missing (and redraws
    // the list). ShowArchive also selects it and lists its entries again.
    virtual void KnowArchive(const std::string& path) = 0;
    virtual void ShowArchive(const std::string& path) = 0;

    // The small icon of a file or archive item by its path and name, as the
    // main window's lists show it.
    virtual HICON FileIcon(const std::string& path, const std::string& name) = 0;

    // The Extract File(s) dialog over `owner`: mode 1 all files, 2 the items given.
    virtual void ExtractItems(HWND owner, const std::string& archive, const std::vector<ArchiveItem>& items,
                              int mode) = 0;

    // The settings sheet, as the main window's command opens it, over `owner`.
    virtual void OpenSettings(HWND owner) = 0;

    // Called with true when an editor opens and with false when it is gone.
    virtual void EditorOpen(bool open) = 0;
};

}  // namespace tb

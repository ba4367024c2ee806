#pragma once
// Restoring one archived version of a file into a folder: the file gets the
// stored name's last part (made a valid name when it is not one), never lands
// outside the folder, and never replaces a file there without the user's
// word; instead it may get a name with the archive's day appended
// ("report (April 01 2001).doc").

#include <windows.h>

#include <functional>
#include <string>

#include "history/FileVersions.h"

namespace tb {

// The name a restored file gets: the stored name's last part, with the
// characters Windows refuses in a name (and trailing dots and blanks)
// replaced by '_', and a device name (CON, NUL, COM1, ...) given a leading '_'.
std::string RestoreFileName(const std::string& storedName);
// "report.doc" + "April 01 2001" -> "report (April 01 2001).doc".
std::string NameWithDay(const std::string& name, const std::string& dayText);
// `name`, or the first of "name (2).ext", "name (3).ext", ... that `exists`
// does not know in `folder`.
std::string FreeName(const std::string& folder, const std::string& name,
                     const std::function<bool(const std::string& path)>& exists);
// Whether `path` lies inside `folder`, both taken as full paths.
bool InsideFolder(const std::string& folder, const std::string& path);

// The drives to look on for a file's original folder: the letters of
// `customDriveList` first, then the fixed drives.
std::string RestoreDrives(const std::string& customDriveList);
// The folder a file stored as `storedName` came from: its stored folders on
// the first drive of `drives` that has the file, else the first that has the
// folders; "" when it was stored without folders or no drive has them.
std::string OriginalFolder(const std::string& storedName, const std::string& drives,
                           const std::function<bool(const std::string& path)>& fileExists,
                           const std::function<bool(const std::string& path)>& folderExists);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

enum class ExistingAnswer { Replace, KeepBoth, Cancel };

class IRestorePrompts {
public:
    virtual ~IRestorePrompts() = default;
    // `target` exists: replace it, restore as `alternative` instead, or stop.
    virtual ExistingAnswer AskExisting(const std::string& target, const std::string& alternative) = 0;
};

struct RestoreRequest {
    VersionCopy copy;      // the copy to take
    std::string folder;    // where to put it
    std::string password;  // for a protected entry
};

struct RestoreOutcome {
    enum class Status { Restored, Cancelled, NeedsPassword, WrongPassword, Failed };
    Status status = Status::Failed;
    std::string path;     // the file written
    std::string problem;  // for Failed: what went wrong, for the user
};

// Takes the copy out of its archive into a scratch folder inside `folder`,
// then moves it to its name there.
RestoreOutcome RestoreVersion(const RestoreRequest& request, IRestorePrompts& prompts, HWND progressWindow);

}  // namespace tb

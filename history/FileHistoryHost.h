#pragma once
// What the File History window needs of the program above it: where the
// archives are, the index kept between searches, the password prompt, file
// icons and the contents pane's way of opening an entry.

#include <windows.h>

#include <optional>
#include <string>

#include "framework/UserPrompts.h"
#include "history/HistorySearch.h"

namespace tb {

class IFileHistoryHost {
public:
    virtual ~IFileHistoryHost() = default;
    // The two archive folders and the known archives, as they are now.
    virtual HistoryPlaces Places() = 0;
    // The drive letters the user chose to watch (CustomDriveList), looked on
    // first for a file's original folder.
    virtual std::string CustomDrives() = 0;
    virtual HistoryIndexStore& IndexStore() = 0;
    // The password dialog; nothing when the user cancelled it.
    virtual std::optional<std::string> AskPassword(HWND owner, const std::string& prompt) = 0;
    // The small icon of a file of that name.
    virtual HICON FileIcon(const std::string& storedName) = 0;
    // Extracts the entry into a fresh temporary folder and opens it with its
    // application, as the contents pane opens an entry.
    virtual void OpenEntry(HWND owner, const std::string& archive, const std::string& entryName,
                           const std::string& password) = 0;
    virtual UserPrompts Prompts() = 0;
};

}  // namespace tb

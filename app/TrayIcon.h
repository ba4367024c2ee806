#pragma once
// The program's icon in the notification area: id 101, callback message 101,
// tip "File Archiver/Editor", in the record of the first structure version.

#include <windows.h>

namespace tb {

class CTrayIcon {
public:
    // Adds the icon for `owner`; failure is ignored (returns false).
    static bool Add(HWND owner);
    static void Remove(HWND owner);
};

}  // namespace tb

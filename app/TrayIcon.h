#pragma once
// The program's icon in the notification area: id 101, callback message 101,
// tip "File Archiver/Editor", in the record of the first structure version.

#include <windows.h>

#include <string>

namespace tb {

class CTrayIcon {
public:
    // Adds the icon for `owner`; failure is ignored (returns false).
    static bool Add(HWND owner);
    static void Remove(HWND owner);
    // The icon's tip becomes `tip` (cut to what the tip holds); with a
    // `balloonTitle`, the tip's text also comes up as a warning balloon.
    static bool Tell(HWND owner, const std::string& tip, const std::string& balloonTitle = {});
};

}  // namespace tb

#pragma once
// What a dialog asks of the user outside its own window: message boxes and the
// shell's folder browser. Dialogs take them as a value, so tests can answer in
// place of the user; SystemPrompts() gives the real ones.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace tb {

struct UserPrompts {
    // A message box owned by `owner`; a null caption shows the program's name.
    // Returns the button the user pressed (IDOK, IDYES, IDNO, ...).
    std::function<int(HWND owner, const std::string& text, UINT flags, const char* caption)> message;
    // The folder browser, file-system folders only; nothing when cancelled.
    std::function<std::optional<std::string>(HWND owner, const std::string& title)> browseFolder;
};

UserPrompts SystemPrompts();

}  // namespace tb

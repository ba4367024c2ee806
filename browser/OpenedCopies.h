#pragma once
// Copies of archive entries extracted so the user can open them with their
// program: each in a fresh folder of its own below %TEMP%\Tallybox, so the
// file opened is always the entry chosen. A copy of a protected entry is
// plaintext: the copies are removed when the program ends, and those an
// earlier session left behind (it was killed, or Windows ended it) when the
// program starts.

#include <windows.h>

#include <string>

namespace tb {

// %TEMP%\Tallybox (without a trailing backslash).
std::string OpenedCopiesRoot();

// A new, empty folder below the root, with a trailing backslash; "" when
// none can be made.
std::string NewOpenedCopyFolder();

// Extracts the entry `entry` of `archive` (with `password` when it is
// protected) into a new folder, without its folder names, and returns the
// path of the file the ZIP library wrote: the name it stored on disk, which
// differs from the entry's for names Windows does not allow (control
// characters, <>:"|?*, device names). "" when nothing was written.
std::string ExtractCopyToOpen(const std::string& archive, const std::string& entry, const std::string& password,
                              HWND progressWindow);

// Removes every copy below the root and the folders holding them. Files that
// are still open in their program stay, and go at the next start.
void RemoveOpenedCopies();

}  // namespace tb

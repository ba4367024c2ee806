#pragma once
// The settings property sheet "Archive Settings": shows the six pages on the
// working copy of the Settings record (gWorkingSettings).

#include <windows.h>

namespace tb {

// Shows the sheet modally; true when it was closed with OK. The caller copies
// the live record into the working copy before and back after OK.
bool ShowSettingsSheet(HWND owner);

}  // namespace tb

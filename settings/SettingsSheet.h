#pragma once
// The settings property sheet "Archive Settings": shows the six pages on a
// working copy of the Settings record.

#include <windows.h>

#include "common/Settings.h"

namespace tb {

// Shows the sheet modally on `working`; true when it was closed with OK. The
// caller makes the working copy from the live record before and takes it back
// after OK.
bool ShowSettingsSheet(HWND owner, SettingsRecord& working);

}  // namespace tb

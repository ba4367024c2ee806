#pragma once
// Ending the Windows session, and what the program keeps when Windows ends it.

#include <windows.h>

namespace tb {

class CTallyboxView;

// ExitWindowsEx with `flags`, after enabling the shut-down privilege that a
// shut-down or power-off needs.
bool EndWindowsSession(UINT flags);

// Windows really ends (WM_ENDSESSION with TRUE): the process will be ended
// without its windows being destroyed. Saves what would otherwise be lost
// (the view's known-archive list) and runs the application's exit processing.
void EndSessionProcessing(CTallyboxView* view);

}  // namespace tb

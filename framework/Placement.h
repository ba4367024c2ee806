#pragma once
// Where a dialog or property sheet comes up: centred over the window that owns
// it, kept whole on the work area of the monitor that owner is on (not the
// primary monitor's, which would pull a dialog of a window on a second
// monitor over to the first).

#include <windows.h>

namespace tb {

// The top-left corner that centres a window of `window`'s size over `owner`,
// moved so that the window lies inside `workArea` wherever it fits; a window
// larger than the work area keeps its left and top edges on it.
POINT CenteredPosition(const RECT& window, const RECT& owner, const RECT& workArea);

// The work area of the monitor nearest to `hwnd`.
RECT MonitorWorkArea(HWND hwnd);

// Centres `window` over its owner on the owner's monitor. Nothing happens when
// it has no owner or the owner is hidden or minimised.
void CenterOverOwner(HWND window);

}  // namespace tb

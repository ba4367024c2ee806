#pragma once
// Ending the program from outside (the installer and the uninstaller send
// WM_TB_END_PROGRAM): the same end as Terminate after "Yes", without the
// question, and never while the program is in the middle of something.

#include <windows.h>

namespace tb {

// True while a window of the program other than the main frame is shown on
// the frame's thread (a dialog, a message box, a menu, the progress of an
// archive run), or the frame is disabled under a modal window: the program is
// busy and must not end under it.
bool ProgramBusy(HWND frame);

// What the frame does with WM_TB_END_PROGRAM: 0 when busy; otherwise 1, and
// the frame is destroyed, from the message loop. A request sent from another
// thread or program is posted back to the frame first, so the end never runs
// inside a loop that happened to deliver the sent message.
LRESULT HandleEndRequest(HWND frame);

}  // namespace tb

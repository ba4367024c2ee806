#pragma once
// Subclassing a control: its messages go to a handler first, which passes
// what it does not take to the control's own procedure with CallOriginal.
//
// The shell's subclass chain (SetWindowSubclass) looks up window properties on
// every message, which under Wine is a round trip to the window server: a list
// box filled with a hundred thousand lines then takes seconds instead of a
// fraction. This keeps its record in the control's GWLP_USERDATA instead.

#include <windows.h>

#include <functional>

namespace tb {

using SubclassHandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// Installs `handler` on `control`; the record goes with the control.
bool SubclassControl(HWND control, SubclassHandler handler);
// The control's procedure from before SubclassControl.
LRESULT CallOriginal(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tb

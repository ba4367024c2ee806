#include "framework/Placement.h"

namespace tb {

POINT CenteredPosition(const RECT& window, const RECT& owner, const RECT& workArea) {
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG x = (owner.left + owner.right - width) / 2;
    LONG y = (owner.top + owner.bottom - height) / 2;
    // Right and bottom first, so that a window too large for the work area
    // ends up with its caption and left edge on it.
    if (x + width > workArea.right) x = workArea.right - width;
    if (y + height > workArea.bottom) y = workArea.bottom - height;
    if (x < workArea.left) x = workArea.left;
    if (y < workArea.top) y = workArea.top;
    return POINT{x, y};
}

RECT MonitorWorkArea(HWND hwnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = ::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (monitor && ::GetMonitorInfoA(monitor, &info)) return info.rcWork;
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void CenterOverOwner(HWND window) {
    HWND owner = ::GetWindow(window, GW_OWNER);
    if (!owner || !::IsWindowVisible(owner) || ::IsIconic(owner)) return;
    RECT mine{}, around{};
    ::GetWindowRect(window, &mine);
    ::GetWindowRect(owner, &around);
    const POINT at = CenteredPosition(mine, around, MonitorWorkArea(owner));
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tb

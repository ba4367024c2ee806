#pragma once
// Keeps a list box from repainting on every added line while a long list
// fills it: redrawing stays off, and Tick lets the list repaint (with its
// scroll bar) when 100 ms have passed since the last time, or at once when
// told to. Redrawing comes back on when the throttle goes.

#include <windows.h>

namespace tb {

class CListRedrawThrottle {
public:
    CListRedrawThrottle(HWND list, bool active);
    ~CListRedrawThrottle();
    CListRedrawThrottle(const CListRedrawThrottle&) = delete;
    CListRedrawThrottle& operator=(const CListRedrawThrottle&) = delete;

    void Tick(bool now);

private:
    HWND m_list;
    bool m_active;
    DWORD m_last;
};

}  // namespace tb

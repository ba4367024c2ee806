#pragma once
// Keeps a list box from repainting on every added line while a long list
// fills it: redrawing stays off, and Tick brings the list up to date when
// 100 ms have passed since the last time, or at once when told to. Up to date
// means repainted while the lines it shows may still change (its page is not
// full), and afterwards only its scroll bar: lines added below the page do
// not change what it shows. Redrawing comes back on, with a repaint, when the
// throttle goes. The milliseconds come from GetTickCount unless another tick
// source is given.

#include <windows.h>

namespace tb {

class CListRedrawThrottle {
public:
    using TickSource = DWORD(WINAPI*)();

    CListRedrawThrottle(HWND list, bool active, TickSource ticks = &::GetTickCount);
    ~CListRedrawThrottle();
    CListRedrawThrottle(const CListRedrawThrottle&) = delete;
    CListRedrawThrottle& operator=(const CListRedrawThrottle&) = delete;

    // `now`: repaint at once, whatever the time and the page.
    void Tick(bool now);

private:
    bool PageFull() const;

    HWND m_list;
    bool m_active;
    TickSource m_ticks;
    DWORD m_last;
};

}  // namespace tb

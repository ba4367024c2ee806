#include "framework/ListRedraw.h"

namespace tb {

namespace {
constexpr DWORD kRepaintEveryMs = 100;

void RepaintNow(HWND list) { ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW); }
}  // namespace

CListRedrawThrottle::CListRedrawThrottle(HWND list, bool active, TickSource ticks)
    : m_list(list), m_active(active), m_ticks(ticks), m_last(ticks()) {
    if (m_active) ::SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
}

CListRedrawThrottle::~CListRedrawThrottle() {
    if (!m_active) return;
    ::SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
    RepaintNow(m_list);
}

bool CListRedrawThrottle::PageFull() const {
    RECT client{};
    ::GetClientRect(m_list, &client);
    const LRESULT height = ::SendMessageA(m_list, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0) return false;
    const LRESULT shown = (client.bottom - client.top + height - 1) / height;
    return ::SendMessageA(m_list, LB_GETCOUNT, 0, 0) > ::SendMessageA(m_list, LB_GETTOPINDEX, 0, 0) + shown;
}

void CListRedrawThrottle::Tick(bool now) {
    if (!m_active) return;
    const DWORD time = m_ticks();
    if (!now && time - m_last < kRepaintEveryMs) return;
    m_last = time;
    // Turning drawing on brings the scroll bar up to date.
    ::SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
    if (now || !PageFull()) RepaintNow(m_list);
    ::SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
}

}  // namespace tb

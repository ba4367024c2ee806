#include "framework/ListRedraw.h"

namespace tb {

namespace {
constexpr DWORD kRepaintEveryMs = 100;

void RepaintNow(HWND list) { ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW); }
}  // namespace

CListRedrawThrottle::CListRedrawThrottle(HWND list, bool active)
    : m_list(list), m_active(active), m_last(::GetTickCount()) {
    if (m_active) ::SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
}

CListRedrawThrottle::~CListRedrawThrottle() {
    if (!m_active) return;
    ::SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
    RepaintNow(m_list);
}

void CListRedrawThrottle::Tick(bool now) {
    if (!m_active) return;
    const DWORD time = ::GetTickCount();
    if (!now && time - m_last < kRepaintEveryMs) return;
    m_last = time;
    ::SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
    RepaintNow(m_list);
    ::SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
}

}  // namespace tb

#include "framework/MessageMap.h"

namespace tb {

bool CMessageMap::RouteCommand(WPARAM wParam, LPARAM lParam) const {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    // Menus and accelerators come without a control window; buttons say BN_CLICKED.
    if (lParam == 0 || code == BN_CLICKED) {
        auto it = m_commands.find(id);
        if (it != m_commands.end()) {
            it->second();
            return true;
        }
    }
    if (lParam != 0) {
        auto it = m_controls.find({id, code});
        if (it != m_controls.end()) {
            it->second();
            return true;
        }
    }
    return false;
}

bool CMessageMap::Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    switch (message) {
    case WM_COMMAND:
        if (RouteCommand(wParam, lParam)) {
            result = 0;
            return true;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        auto it = m_notifies.find({UINT(header->idFrom), header->code});
        if (it != m_notifies.end()) {
            result = it->second(header);
            return true;
        }
        break;
    }
    case WM_TIMER: {
        auto it = m_timers.find(wParam);
        if (it != m_timers.end()) {
            it->second();
            result = 0;
            return true;
        }
        break;
    }
    default:
        break;
    }
    auto it = m_messages.find(message);
    if (it != m_messages.end()) {
        result = it->second(wParam, lParam);
        return true;
    }
    return false;
}

}  // namespace tb

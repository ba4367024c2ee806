#include "framework/MessageMap.h"

#include <stdexcept>
#include <string>

namespace tb {

namespace {

[[noreturn]] void Refuse(const char* what, unsigned long long key) {
    throw std::logic_error(std::string("message map: ") + what + " " + std::to_string(key));
}

template <typename Map, typename Key, typename Handler>
void AddOnce(Map& map, const Key& key, Handler&& handler, const char* what, unsigned long long shown) {
    if (!map.emplace(key, std::forward<Handler>(handler)).second) Refuse(what, shown);
}

}  // namespace

void CMessageMap::OnMessage(UINT message, MessageHandler handler) {
    if (message == WM_COMMAND) Refuse("WM_COMMAND goes through OnCommand or OnControl, not OnMessage:", message);
    if (message == WM_NOTIFY) Refuse("WM_NOTIFY goes through OnNotify, not OnMessage:", message);
    if (message == WM_TIMER && !m_timers.empty()) Refuse("all timers taken while timers by id exist:", message);
    if (m_reserved.count(message)) Refuse("the window handles this message itself:", message);
    AddOnce(m_messages, message, std::move(handler), "second handler for message", message);
}

void CMessageMap::OnCommand(UINT id, CommandHandler handler) {
    if (m_controls.count({id, UINT(BN_CLICKED)})) Refuse("command already taken as a BN_CLICKED control:", id);
    AddOnce(m_commands, id, std::move(handler), "second handler for command", id);
}

void CMessageMap::OnControl(UINT id, UINT code, CommandHandler handler) {
    if (code == BN_CLICKED && m_commands.count(id)) Refuse("BN_CLICKED already taken as a command:", id);
    AddOnce(m_controls, std::make_pair(id, code), std::move(handler), "second handler for control",
            (unsigned long long)id << 16 | code);
}

void CMessageMap::OnNotify(UINT id, UINT code, NotifyHandler handler) {
    AddOnce(m_notifies, std::make_pair(id, code), std::move(handler), "second handler for notification",
            (unsigned long long)id << 32 | code);
}

void CMessageMap::OnTimer(UINT_PTR id, CommandHandler handler) {
    if (m_messages.count(WM_TIMER)) Refuse("timer by id while one handler takes all timers:", id);
    AddOnce(m_timers, id, std::move(handler), "second handler for timer", id);
}

void CMessageMap::Reserve(UINT message) {
    if (m_messages.count(message)) Refuse("reserving a message that already has a handler:", message);
    m_reserved.insert(message);
}

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
        if (!RouteCommand(wParam, lParam)) return false;
        result = 0;
        return true;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        auto it = m_notifies.find({UINT(header->idFrom), header->code});
        if (it == m_notifies.end()) return false;
        result = it->second(header);
        return true;
    }
    case WM_TIMER: {
        auto it = m_timers.find(wParam);
        if (it != m_timers.end()) {
            it->second();
            result = 0;
            return true;
        }
        break;  // all timers may be taken by OnMessage(WM_TIMER)
    }
    default:
        break;
    }
    auto it = m_messages.find(message);
    if (it == m_messages.end()) return false;
    result = it->second(wParam, lParam);
    return true;
}

}  // namespace tb

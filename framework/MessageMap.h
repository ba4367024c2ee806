#pragma once
// The message map of a window: handlers registered by message, command id,
// control notification or timer id, looked up when a message arrives.
//
//     Map().OnCommand(ID_APP_ABOUT, [this] { ShowAbout(); });
//     Map().OnControl(IDC_LIST, LBN_SELCHANGE, [this] { ListSelected(); });
//     Map().OnMessage(WM_SIZE, [this](WPARAM w, LPARAM l) { ...; return 0; });
//
// Every message has one way in. WM_COMMAND goes only through OnCommand and
// OnControl, WM_NOTIFY only through OnNotify, and WM_TIMER either through
// OnTimer (by id) or through one OnMessage(WM_TIMER) for all timers, never
// both. Registering the same thing twice, or a second way to the same
// message, throws std::logic_error at once: a handler never silently replaces
// another. A window class reserves the messages it handles itself, so that
// registering one of them fails the same way instead of never being called.

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <utility>

namespace tb {

class CMessageMap {
public:
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    using CommandHandler = std::function<void()>;
    using NotifyHandler = std::function<LRESULT(NMHDR*)>;

    void OnMessage(UINT message, MessageHandler handler);
    // A menu item, accelerator, or a button click (BN_CLICKED) with this id.
    void OnCommand(UINT id, CommandHandler handler);
    // A control notification sent through WM_COMMAND (LBN_SELCHANGE, EN_CHANGE, ...).
    void OnControl(UINT id, UINT code, CommandHandler handler);
    // A WM_NOTIFY notification from the control with this id.
    void OnNotify(UINT id, UINT code, NotifyHandler handler);
    void OnTimer(UINT_PTR id, CommandHandler handler);
    // The window class handles `message` itself; registering it is an error.
    void Reserve(UINT message);

    bool HasCommand(UINT id) const { return m_commands.count(id) != 0; }

    // Runs the handler for a WM_COMMAND; false when nothing here handles it.
    bool RouteCommand(WPARAM wParam, LPARAM lParam) const;
    // Runs the handler for any message; false when nothing here handles it.
    bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

private:
    std::map<UINT, MessageHandler> m_messages;
    std::map<UINT, CommandHandler> m_commands;
    std::map<std::pair<UINT, UINT>, CommandHandler> m_controls;
    std::map<std::pair<UINT, UINT>, NotifyHandler> m_notifies;
    std::map<UINT_PTR, CommandHandler> m_timers;
    std::set<UINT> m_reserved;
};

}  // namespace tb

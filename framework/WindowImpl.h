#pragma once
// CWindowImpl: a window created and owned by one object of ours. Its messages
// go to the virtual WindowProc, which routes them through the message map and
// passes the rest to the class's own procedure. The window is subclassed the
// moment it is created (before WM_NCCREATE), so the object sees every message,
// also for window classes registered with the default window procedure.

#include "framework/MessageMap.h"
#include "framework/Window.h"

namespace tb {

class CWindowImpl : public CWindow {
public:
    CWindowImpl() = default;
    virtual ~CWindowImpl();
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;

    HWND Create(DWORD exStyle, const char* className, const char* title, DWORD style,
                int x, int y, int width, int height, HWND parent, HMENU menuOrId);

    // The object that owns a window created through CWindowImpl, or null.
    static CWindowImpl* FromHandle(HWND hwnd);

    // Registers a window class whose procedure is the default one; windows of
    // it created through Create are subclassed as they are made.
    static ATOM RegisterDefaultClass(const char* name, UINT style, HICON icon, HCURSOR cursor,
                                     HBRUSH background);

protected:
    CMessageMap& Map() { return m_map; }
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the last message (WM_NCDESTROY); the handle is gone then.
    virtual void OnFinalMessage() {}

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hwnd);

    CMessageMap m_map;
    WNDPROC m_classProc = nullptr;
};

}  // namespace tb

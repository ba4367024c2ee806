#pragma once
// CWindowImpl: a window created and owned by one object of ours. Its messages
// go to the virtual WindowProc, which routes them through the message map and
// passes the rest to DefWindowProc.
//
// Windows of a class registered with RegisterWindowClass start on the class's
// start procedure, which takes the object from the creation parameters of
// WM_NCCREATE (Create passes `this`) and from then on hands every message to
// the object. Nothing is kept per thread or per process while a window is
// being created, so a window may create others (its children) from its own
// WM_NCCREATE or WM_CREATE. The few messages Windows sends before WM_NCCREATE
// (WM_GETMINMAXINFO for a top-level window) get the default handling.

#include "framework/MessageMap.h"
#include "framework/Window.h"

namespace tb {

class CWindowImpl : public CWindow {
public:
    CWindowImpl() = default;
    virtual ~CWindowImpl();
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;

    // Creates a window of a class registered with RegisterWindowClass.
    HWND Create(DWORD exStyle, const char* className, const char* title, DWORD style,
                int x, int y, int width, int height, HWND parent, HMENU menuOrId);

    // The object that owns a window created through CWindowImpl, or null.
    static CWindowImpl* FromHandle(HWND hwnd);

    // Registers a window class for windows made by Create.
    static ATOM RegisterWindowClass(const char* name, UINT style, HICON icon, HCURSOR cursor,
                                    HBRUSH background);

protected:
    CMessageMap& Map() { return m_map; }
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the last message (WM_NCDESTROY); the handle is gone then.
    virtual void OnFinalMessage() {}

private:
    static LRESULT CALLBACK StartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hwnd);
    void Detach();

    CMessageMap m_map;
};

}  // namespace tb

#include "framework/WindowImpl.h"

#include "framework/Guard.h"

namespace tb {

// The object of a window lives in its GWLP_USERDATA: window properties would
// cost a round trip to the window server on every message under Wine.

CWindowImpl::~CWindowImpl() {
    // The window outlives its object only when the object is destroyed first;
    // hand the window back to the start procedure so no message reaches us.
    if (m_hwnd && ::IsWindow(m_hwnd) && FromHandle(m_hwnd) == this) Detach();
}

CWindowImpl* CWindowImpl::FromHandle(HWND hwnd) {
    // Only windows running our own procedure carry an object.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) != &CWindowImpl::StaticProc) return nullptr;
    return reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

ATOM CWindowImpl::RegisterWindowClass(const char* name, UINT style, HICON icon, HCURSOR cursor,
                                      HBRUSH background) {
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = &CWindowImpl::StartProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return ::RegisterClassA(&wc);
}

void CWindowImpl::Attach(HWND hwnd) {
    m_hwnd = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(this));
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(&CWindowImpl::StaticProc));
}

void CWindowImpl::Detach() {
    ::SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, LONG_PTR(&CWindowImpl::StartProc));
    ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
}

HWND CWindowImpl::Create(DWORD exStyle, const char* className, const char* title, DWORD style,
                         int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
    HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                                  menuOrId, ::GetModuleHandleA(nullptr), this);
    // A window that failed during WM_NCCREATE or WM_CREATE was destroyed
    // again, and its WM_NCDESTROY has cleared m_hwnd already.
    if (!hwnd) m_hwnd = nullptr;
    return hwnd;
}

LRESULT CWindowImpl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hwnd, message, wParam, lParam);
}

LRESULT CWindowImpl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (m_map.Route(message, wParam, lParam, result)) return result;
    return DefaultProc(message, wParam, lParam);
}

LRESULT CALLBACK CWindowImpl::StartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (auto* self = static_cast<CWindowImpl*>(create->lpCreateParams)) {
            self->Attach(hwnd);
            return StaticProc(hwnd, message, wParam, lParam);
        }
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CWindowImpl::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = Guarded("window procedure", LRESULT(0),
                             [&] { return self->WindowProc(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        self->Detach();
        self->OnFinalMessage();
    }
    return result;
}

}  // namespace tb

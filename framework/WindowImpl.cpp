#include "framework/WindowImpl.h"

#include "framework/Guard.h"

namespace tb {

namespace {
// The object of a window lives in its GWLP_USERDATA: window properties would
// cost a round trip to the window server on every message under Wine.
thread_local CWindowImpl* t_creating = nullptr;
thread_local HHOOK t_hook = nullptr;
}  // namespace

CWindowImpl::~CWindowImpl() {
    // The window outlives its object only when the object is destroyed first;
    // hand the window back to its class procedure so no message reaches us.
    if (m_hwnd && ::IsWindow(m_hwnd) && FromHandle(m_hwnd) == this) {
        ::SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, LONG_PTR(m_classProc));
        ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
    }
}

CWindowImpl* CWindowImpl::FromHandle(HWND hwnd) {
    // Only windows running our own procedure carry an object.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) != &CWindowImpl::StaticProc) return nullptr;
    return reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

ATOM CWindowImpl::RegisterDefaultClass(const char* name, UINT style, HICON icon, HCURSOR cursor,
                                       HBRUSH background) {
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = ::DefWindowProcA;
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
    m_classProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(&CWindowImpl::StaticProc)));
}

LRESULT CALLBACK CWindowImpl::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_creating) {
        CWindowImpl* self = t_creating;
        t_creating = nullptr;
        self->Attach(HWND(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND CWindowImpl::Create(DWORD exStyle, const char* className, const char* title, DWORD style,
                         int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
    t_creating = this;
    t_hook = ::SetWindowsHookExA(WH_CBT, &CWindowImpl::CreationHook, nullptr, ::GetCurrentThreadId());
    HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                                  menuOrId, ::GetModuleHandleA(nullptr), this);
    ::UnhookWindowsHookEx(t_hook);
    t_hook = nullptr;
    t_creating = nullptr;
    if (!hwnd) m_hwnd = nullptr;
    return hwnd;
}

LRESULT CWindowImpl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_classProc) return ::CallWindowProcA(m_classProc, m_hwnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hwnd, message, wParam, lParam);
}

LRESULT CWindowImpl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (m_map.Route(message, wParam, lParam, result)) return result;
    return DefaultProc(message, wParam, lParam);
}

LRESULT CALLBACK CWindowImpl::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = Guarded("window procedure", LRESULT(0),
                             [&] { return self->WindowProc(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(self->m_classProc));
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        self->OnFinalMessage();
    }
    return result;
}

}  // namespace tb

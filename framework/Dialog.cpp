#include "framework/Dialog.h"

#include "framework/Application.h"
#include "framework/Guard.h"
#include "framework/Placement.h"

namespace tb {

const HWND kMainWindowOwner = reinterpret_cast<HWND>(-2);

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {
    // OnInitDialog is the one way to hear WM_INITDIALOG.
    m_map.Reserve(WM_INITDIALOG);
}

CDialog::~CDialog() {
    if (!m_modal && m_hwnd && ::IsWindow(m_hwnd)) DestroyModeless();
}

// The object of a dialog lives in its DWLP_USER slot (window properties would
// cost a round trip to the window server on every message under Wine).
CDialog* CDialog::FromHandle(HWND hwnd) {
    return reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
}

INT_PTR CDialog::DoModal(HWND owner) {
    if (owner == kMainWindowOwner) owner = CApplication::MainWindowHandle();
    m_modal = true;
    INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                                       owner, &CDialog::StaticDialogProc, LPARAM(this));
    m_hwnd = nullptr;
    return result;
}

bool CDialog::CreateModeless(HWND parent) {
    m_modal = false;
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                                     parent, &CDialog::StaticDialogProc, LPARAM(this));
    if (!hwnd) return false;
    if (!(::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) CApplication::AddModeless(hwnd);
    return true;
}

void CDialog::DestroyModeless() {
    if (m_hwnd && ::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_modal)
        ::EndDialog(m_hwnd, result);
    else
        DestroyModeless();
}

void CDialog::SetDefaultButton(int id) {
    Send(DM_SETDEFID, WPARAM(id));
    ::SendMessageA(m_hwnd, WM_NEXTDLGCTL, WPARAM(Item(id)), TRUE);
}

void CDialog::AttachDialog(HWND hwnd) {
    m_hwnd = hwnd;
    ::SetWindowLongPtrA(hwnd, DWLP_USER, LONG_PTR(this));
}

INT_PTR CDialog::DialogProc(UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // Like every dialog of the program: centred over the window that owns it.
        if (!(::GetWindowLongA(m_hwnd, GWL_STYLE) & (WS_CHILD | DS_CENTER))) CenterOverOwner(m_hwnd);
        return OnInitDialog();
    }
    LRESULT result = 0;
    if (m_map.Route(message, wParam, lParam, result)) {
        switch (message) {
        // These return their value directly instead of through DWLP_MSGRESULT.
        case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: case WM_COMPAREITEM: case WM_VKEYTOITEM:
        case WM_CHARTOITEM: case WM_QUERYDRAGICON:
            return INT_PTR(result);
        default:
            SetMessageResult(result);
            return TRUE;
        }
    }
    if (message == WM_COMMAND && (lParam == 0 || HIWORD(wParam) == BN_CLICKED)) {
        if (LOWORD(wParam) == IDOK) { OnOK(); return TRUE; }
        if (LOWORD(wParam) == IDCANCEL) { OnCancel(); return TRUE; }
    }
    return DialogProc(message, wParam, lParam);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        if (self) self->AttachDialog(hwnd);
    } else {
        self = FromHandle(hwnd);
    }
    if (!self) return FALSE;
    INT_PTR handled = Guarded("dialog procedure", INT_PTR(FALSE),
                              [&] { return self->HandleMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        if (!self->m_modal) CApplication::RemoveModeless(hwnd);
        self->m_hwnd = nullptr;
        self->OnDestroyed();
    }
    return handled;
}

}  // namespace tb

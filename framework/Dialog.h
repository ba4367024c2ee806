#pragma once
// CDialog: a dialog from a template in the program's resources, modal
// (DoModal) or modeless (CreateModeless). WM_INITDIALOG goes to OnInitDialog
// (a top-level dialog is first centred over its owner); every other message
// goes through the message map when it has a handler there, else to the
// virtual handlers: IDOK and IDCANCEL to OnOK and OnCancel, which end a modal
// dialog, and the rest to DialogProc.

#include "framework/MessageMap.h"
#include "framework/Window.h"

namespace tb {

// Passed as the owner of a modal dialog: the program's main window.
extern const HWND kMainWindowOwner;

class CDialog : public CWindow {
public:
    explicit CDialog(UINT templateId);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Shows the dialog modally; returns the value given to EndDialog, or -1
    // when the dialog could not be created.
    INT_PTR DoModal(HWND owner = kMainWindowOwner);
    // Creates the dialog modeless (also as a child window, when its template
    // says so); the caller destroys it with DestroyModeless.
    bool CreateModeless(HWND parent);
    void DestroyModeless();

    void EndDialog(INT_PTR result);
    bool IsModal() const { return m_modal; }
    UINT TemplateId() const { return m_templateId; }

    // The dialog object of a window created by CDialog, or null.
    static CDialog* FromHandle(HWND hwnd);

protected:
    CMessageMap& Map() { return m_map; }
    // WM_INITDIALOG: return TRUE to let the system set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Everything not handled by the map; return TRUE when handled, with the
    // message's result set through SetMessageResult where one is needed.
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    void SetMessageResult(LRESULT result) { ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result); }
    // Makes a push button the default one and gives it the focus.
    void SetDefaultButton(int id);
    virtual void OnDestroyed() {}

    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void AttachDialog(HWND hwnd);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    UINT m_templateId;
    CMessageMap m_map;
    bool m_modal = false;
};

}  // namespace tb

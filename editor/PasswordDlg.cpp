#include "editor/PasswordDlg.h"

#include "res/resource.h"

namespace tb {

CPasswordDlg::CPasswordDlg(std::string prompt, std::string initial)
    : CDialog(IDD_PASSWORD), m_prompt(std::move(prompt)), m_entered(std::move(initial)) {}

BOOL CPasswordDlg::OnInitDialog() {
    SetItemText(IDC_PW_PROMPT, m_prompt);
    SetItemText(IDC_PW_TEXT, m_entered);
    FocusItem(IDC_PW_TEXT);
    return FALSE;  // the focus is set
}

void CPasswordDlg::OnOK() {
    m_entered = ItemText(IDC_PW_TEXT);
    EndDialog(IDOK);
}

std::string CPasswordDlg::Ask(HWND owner, const std::string& prompt) {
    CPasswordDlg dialog(prompt, "");
    dialog.DoModal(owner);
    return dialog.EnteredText();
}

}  // namespace tb

#include "monitor/NewFileTypeFoundDlg.h"

#include "monitor/FileTypes.h"
#include "res/resource.h"

namespace tb {

CNewFileTypeFoundDlg::CNewFileTypeFoundDlg() : CDialog(IDD_NEW_FILE_TYPE) {
    Map().OnCommand(IDC_NFT_EXCLUDE, [this] { Close(kNewTypeExclude); });
}

void CNewFileTypeFoundDlg::Set(const std::string& typeText, int recommendation) {
    m_typeText = typeText;
    m_recommendation = recommendation;
}

BOOL CNewFileTypeFoundDlg::OnInitDialog() {
    SetItemText(IDC_NFT_TYPE, m_typeText);
    if (m_recommendation == kRecommendAdd) {
        SetItemText(IDC_NFT_ADD_HINT, "Recommendation: ADD -->");
        SetDefaultButton(IDC_NFT_ADD);
    } else {
        SetItemText(IDC_NFT_EXCLUDE_HINT, "Recommendation: EXCLUDE -->");
        SetDefaultButton(IDC_NFT_EXCLUDE);
    }
    // It may come up while the user works in another program.
    ::SetForegroundWindow(m_hwnd);
    return FALSE;  // the focus is set
}

void CNewFileTypeFoundDlg::Close(int answer) {
    m_doNotAsk = IsChecked(IDC_NFT_DONT_ASK) ? 1 : 0;
    EndDialog(answer);
}

}  // namespace tb

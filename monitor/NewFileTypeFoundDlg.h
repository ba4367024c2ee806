#pragma once
// "New File Type Found !" (dialog 143): asks whether a type met for the first
// time is added to the monitored types, ignored this time or excluded. It is
// system-modal and comes to the foreground; its default button follows the
// recommendation.

#include <string>

#include "framework/Dialog.h"
#include "res/resource.h"

namespace tb {

class CNewFileTypeFoundDlg : public CDialog {
public:
    CNewFileTypeFoundDlg();

    // The description line of the type and the recommendation (1 = ADD,
    // 0 = EXCLUDE).
    void Set(const std::string& typeText, int recommendation);
    // The state of "Do not ask again" when the dialog closed.
    int DoNotAskAgain() const { return m_doNotAsk; }

    // DoModal returns 1 (ADD this File Type), 2 (IGNORE this time, also the
    // close box) or 3 (EXCLUDE this File Type).

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { Close(IDC_NFT_ADD); }
    void OnCancel() override { Close(IDC_NFT_IGNORE); }

private:
    void Close(int answer);

    std::string m_typeText;
    int m_recommendation = 1;
    int m_doNotAsk = 0;
};

}  // namespace tb

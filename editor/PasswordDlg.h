#pragma once
// CPasswordDlg (dialog 169): a prompt of several lines and one entry field.
// The typed text is shown in clear, as the program has always done.

#include <string>

#include "framework/Dialog.h"

namespace tb {

class CPasswordDlg : public CDialog {
public:
    CPasswordDlg(std::string prompt, std::string initial);

    // OK: the entered text becomes the field's text; Cancel leaves it unchanged.
    const std::string& EnteredText() const { return m_entered; }

    // Asks, and returns the text afterwards, whatever button closed the dialog.
    static std::string Ask(HWND owner, const std::string& prompt);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_prompt;
    std::string m_entered;
};

}  // namespace tb

#pragma once
// The About box (dialog 100).

#include "framework/Dialog.h"
#include "res/resource.h"

namespace tb {

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};

}  // namespace tb

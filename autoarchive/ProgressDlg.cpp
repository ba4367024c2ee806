#include "autoarchive/ProgressDlg.h"

#include "res/resource.h"

namespace tb {

CProgressDlg::CProgressDlg()
    : CProgressDialog(ProgressDialogIds{IDD_PROGRESS, IDC_PROG_TEXT, IDC_PROG_BAR, IDC_PROG_ABORT, IDT_PROGRESS_TEXT}) {}

}  // namespace tb

#pragma once
// CProgressDlg (dialog 146, "File Archiver"): the program's progress window
// with its text line, progress bar and "Abort Operation", for any long work
// on the user-interface thread (see framework/ProgressDialog.h).

#include "framework/ProgressDialog.h"

namespace tb {

class CProgressDlg : public CProgressDialog {
public:
    CProgressDlg();
};

}  // namespace tb

#pragma once
// CRunLogDlg (dialog 190, "Archive Log"): the lines of the run log, one for
// each automatic archive run, newest last and scrolled into view. Read only.

#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace tb {

class CRunLogDlg : public CDialog {
public:
    // `lines` oldest first; `logPath` is named under the list.
    CRunLogDlg(std::vector<std::string> lines, std::string logPath);

private:
    BOOL OnInitDialog() override;

    std::vector<std::string> m_lines;
    std::string m_logPath;
};

// Shows the log of Vaultly.log over `owner`.
void ShowRunLog(HWND owner);

}  // namespace tb

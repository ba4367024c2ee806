#pragma once
// CFileSizeLimitDlg (dialog 171, "File Size Limit"): asks, during an automatic
// archive run, what to do with a file of an archived type that is larger than
// the individual file size limit. DoModal returns the button pressed:
//   1 "Include File", 1162 "Include All", 2 "Skip File" (also the close box and
//   Escape), 1076 "Skip All", 1054 "Edit Settings".
// All but "Skip File" read the box "Don't show this message again. ".

#include <string>

#include "framework/Dialog.h"
#include "res/resource.h"

namespace tb {

// Whether a file of `size` bytes is over the individual limit: `General` bit
// 0x20 is set and the size is greater than `Sizelimit` x 1000 bytes.
bool ExceedsSizeLimit(int general, int sizelimit, long long size);
// Whether the run asks about an oversize file: `Prompts` has both 0x01 and
// 0x04. Otherwise the answer is "Skip All".
bool AsksAboutSizeLimit(int prompts);

class CFileSizeLimitDlg : public CDialog {
public:
    CFileSizeLimitDlg(std::string path = std::string(), long long size = 0);

    void SetFile(const std::string& path, long long size);
    const std::string& Path() const { return m_path; }
    long long Size() const { return m_size; }
    // The state of "Don't show this message again. " when the dialog closed
    // through a button that reads it; 0 otherwise.
    int DontShow() const { return m_dontShow; }

private:
    BOOL OnInitDialog() override;
    void OnOK() override { Choose(IDC_FSL_INCLUDE); }
    void OnCancel() override { EndDialog(IDCANCEL); }
    void Choose(int result);

    std::string m_path;
    long long m_size = 0;
    int m_dontShow = 0;
};

}  // namespace tb

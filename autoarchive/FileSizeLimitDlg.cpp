#include "autoarchive/FileSizeLimitDlg.h"

#include "common/Settings.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace tb {

bool ExceedsSizeLimit(int general, int sizelimit, long long size) {
    return (general & kGeneralSizeLimit) && size > static_cast<long long>(sizelimit) * 1000;
}

bool AsksAboutSizeLimit(int prompts) {
    return (prompts & kPromptPending) && (prompts & kPromptSizeLimit);
}

CFileSizeLimitDlg::CFileSizeLimitDlg(std::string path, long long size)
    : CDialog(IDD_FILE_SIZE_LIMIT), m_path(std::move(path)), m_size(size) {
    Map().OnCommand(IDC_FSL_INCLUDE_ALL, [this] { Choose(IDC_FSL_INCLUDE_ALL); });
    Map().OnCommand(IDC_FSL_SKIP_ALL, [this] { Choose(IDC_FSL_SKIP_ALL); });
    Map().OnCommand(IDC_FSL_EDIT_SETTINGS, [this] { Choose(IDC_FSL_EDIT_SETTINGS); });
}

void CFileSizeLimitDlg::SetFile(const std::string& path, long long size) {
    m_path = path;
    m_size = size;
}

BOOL CFileSizeLimitDlg::OnInitDialog() {
    m_dontShow = 0;
    SetItemText(IDC_FSL_PATH, m_path);
    SetItemText(IDC_FSL_SIZE, Format("%lld", m_size));
    SetDefaultButton(IDC_FSL_INCLUDE);
    return FALSE;  // the focus is set
}

void CFileSizeLimitDlg::Choose(int result) {
    m_dontShow = IsChecked(IDC_FSL_DONT_SHOW) ? 1 : 0;
    EndDialog(result);
}

}  // namespace tb

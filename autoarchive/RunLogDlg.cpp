#include "autoarchive/RunLogDlg.h"

#include "autoarchive/RunLog.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr int kExtentMargin = 8;

// The width in pixels of the widest line, in the list's font.
int WidestLine(HWND list, const std::vector<std::string>& lines) {
    HDC dc = ::GetDC(list);
    if (!dc) return 0;
    HGDIOBJ oldFont = ::SelectObject(dc, HFONT(::SendMessageA(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::string& line : lines) {
        SIZE size{};
        if (::GetTextExtentPoint32A(dc, line.c_str(), int(line.size()), &size) && size.cx > widest) widest = size.cx;
    }
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(list, dc);
    return widest;
}
}  // namespace

CRunLogDlg::CRunLogDlg(std::vector<std::string> lines, std::string logPath)
    : CDialog(IDD_RUN_LOG), m_lines(std::move(lines)), m_logPath(std::move(logPath)) {}

BOOL CRunLogDlg::OnInitDialog() {
    CListBox list(Item(IDC_RL_LIST));
    for (const std::string& line : m_lines) list.Add(line);
    if (m_lines.empty()) list.Add("No automatic archive has run yet.");
    list.Send(LB_SETHORIZONTALEXTENT, WPARAM(WidestLine(list.Handle(), m_lines) + kExtentMargin));
    if (list.Count() > 0) list.SetTopIndex(list.Count() - 1);  // the newest run in view
    SetItemText(IDC_RL_NOTE, "One line for each automatic archive, the newest last; the last " +
                                 std::to_string(kRunLogLines) + " are kept.\r\nLog file: " + m_logPath);
    SetDefaultButton(IDCANCEL);
    return FALSE;  // the focus is set
}

void ShowRunLog(HWND owner) {
    const std::string path = RunLogPath();
    CRunLogDlg dialog(ReadRunLog(path), path);
    dialog.DoModal(owner);
}

}  // namespace tb

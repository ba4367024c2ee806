#include "autoarchive/ProgressDlg.h"

#include <commctrl.h>

#include "res/resource.h"

namespace tb {

namespace {
constexpr UINT kTextPeriod = 50;  // ms between repaints of the text line
// Full redraws happen on these updates of every cycle.
constexpr int kFirstRedraw = 1;
constexpr int kSecondRedraw = 10;
constexpr int kUpdateCycle = 50;
}  // namespace

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS) {
    Map().OnCommand(IDC_PROG_ABORT, [this] { m_abort = 1; });
    Map().OnTimer(IDT_PROGRESS_TEXT, [this] { ShowStoredText(); });
    Map().OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) -> LRESULT {
        StopTimer(IDT_PROGRESS_TEXT);
        DestroyModeless();
        return 0;
    });
}

bool CProgressDlg::Create(HWND parent) { return CreateModeless(parent); }

BOOL CProgressDlg::OnInitDialog() {
    StartTimer(IDT_PROGRESS_TEXT, kTextPeriod);
    return TRUE;
}

void CProgressDlg::ShowStoredText() {
    if (!m_textChanged) return;
    SetItemText(IDC_PROG_TEXT, m_text);
    m_textChanged = 0;
}

int CProgressDlg::Update(const std::string& text, int position) {
    ++m_updates;
    MSG message;
    if (m_hwnd && ::PeekMessageA(&message, m_hwnd, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    if (m_hwnd) {
        SendItem(IDC_PROG_BAR, PBM_SETPOS, WPARAM(position < 0 ? 0 : position > 100 ? 100 : position));
        m_text = text;
        m_textChanged = 1;
        if (m_updates == kFirstRedraw || m_updates == kSecondRedraw) UpdateNow();
    }
    if (m_updates > kUpdateCycle) m_updates = 0;
    m_position = position;
    return m_abort ? 0 : 1;
}

}  // namespace tb

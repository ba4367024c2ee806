#include "framework/ProgressDialog.h"

#include <commctrl.h>

namespace tb {

namespace {
constexpr UINT kTextPeriod = 50;  // ms between repaints of the text line
// Full redraws happen on these updates of every cycle.
constexpr int kFirstRedraw = 1;
constexpr int kSecondRedraw = 10;
constexpr int kUpdateCycle = 50;
}  // namespace

CProgressDialog::CProgressDialog(const ProgressDialogIds& ids) : CDialog(ids.templateId), m_ids(ids) {
    Map().OnCommand(UINT(m_ids.abort), [this] { m_abort = 1; });
    Map().OnTimer(m_ids.textTimer, [this] { ShowStoredText(); });
    Map().OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) -> LRESULT {
        StopTimer(m_ids.textTimer);
        DestroyModeless();
        return 0;
    });
}

bool CProgressDialog::Create(HWND parent) { return CreateModeless(parent); }

BOOL CProgressDialog::OnInitDialog() {
    StartTimer(m_ids.textTimer, kTextPeriod);
    return TRUE;
}

void CProgressDialog::ShowStoredText() {
    if (!m_textChanged) return;
    SetItemText(m_ids.text, m_text);
    m_textChanged = 0;
}

int CProgressDialog::Update(const std::string& text, int position) {
    ++m_updates;
    MSG message;
    if (m_hwnd && ::PeekMessageA(&message, m_hwnd, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    if (m_hwnd) {
        SendItem(m_ids.bar, PBM_SETPOS, WPARAM(position < 0 ? 0 : position > 100 ? 100 : position));
        m_text = text;
        m_textChanged = 1;
        if (m_updates == kFirstRedraw || m_updates == kSecondRedraw) UpdateNow();
    }
    if (m_updates > kUpdateCycle) m_updates = 0;
    m_position = position;
    return m_abort ? 0 : 1;
}

}  // namespace tb

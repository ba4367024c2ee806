#include "editor/PassProgress.h"

#include "autoarchive/ProgressDlg.h"

namespace tb {

CPassProgress::CPassProgress(HWND parent, bool show) {
    if (!show) return;
    m_dialog = std::make_unique<CProgressDlg>();
    if (!m_dialog->Create(parent)) m_dialog.reset();
}

CPassProgress::~CPassProgress() {
    if (m_dialog) m_dialog->DestroyModeless();
}

namespace {
constexpr DWORD kQuietMs = 30;
}

bool CPassProgress::Update(const std::string& text, int percent) {
    if (!m_dialog) return true;
    const DWORD now = ::GetTickCount();
    if (percent == m_shownPercent && now - m_shownAt < kQuietMs) return !m_dialog->Aborted();
    m_shownPercent = percent;
    m_shownAt = now;
    return m_dialog->Update(text, percent) != 0;
}

bool CPassProgress::Aborted() const { return m_dialog && m_dialog->Aborted(); }

}  // namespace tb

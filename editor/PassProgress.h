#pragma once
// The progress dialog (146) over a long pass of the editor, created only when
// the pass is long enough to need it and destroyed with this object. The
// dialog hears of the pass when its bar moves and otherwise at most every
// 30 ms: each visit costs a message round and now and then a full repaint,
// which for every fourth of 20,000 files took several seconds.

#include <windows.h>

#include <memory>

#include "editor/FoundFiles.h"

namespace tb {

class CProgressDlg;

class CPassProgress : public IPassProgress {
public:
    CPassProgress(HWND parent, bool show);
    ~CPassProgress() override;
    CPassProgress(const CPassProgress&) = delete;
    CPassProgress& operator=(const CPassProgress&) = delete;

    bool Update(const std::string& text, int percent) override;
    bool Aborted() const override;

private:
    std::unique_ptr<CProgressDlg> m_dialog;
    int m_shownPercent = -1;
    DWORD m_shownAt = 0;
};

}  // namespace tb

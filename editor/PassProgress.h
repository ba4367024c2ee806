#pragma once
// The progress dialog (146) over a long pass of the editor, created only when
// the pass is long enough to need it and destroyed with this object.

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
};

}  // namespace tb

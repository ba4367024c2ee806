#pragma once
// CProgressDialog: the modeless progress window of long work done on the
// user-interface thread, with a text line, a progress bar and an abort button.
// The work calls Update once per step; Update lets one waiting message of the
// dialog through, which is how a click on the button reaches it while the
// thread is busy. The text line is painted by a 50 ms timer, so it changes at
// most twenty times a second however often Update is called, and the whole
// window is redrawn at once only on two updates in every 51.
//
// The dialog's template and control ids come from the program's resources,
// handed in as ProgressDialogIds.

#include <string>

#include "framework/Dialog.h"

namespace tb {

struct ProgressDialogIds {
    UINT templateId;
    int text;    // static text line
    int bar;     // progress bar, range 0 to 100
    int abort;   // the abort button
    UINT_PTR textTimer;
};

class CProgressDialog : public CDialog {
public:
    explicit CProgressDialog(const ProgressDialogIds& ids);

    // Creates the window modeless (it shows itself); false when it could not
    // be created. The caller destroys it with DestroyModeless when done.
    bool Create(HWND parent);

    // Moves the bar to `position` (0 to 100; more stays at 100) and stores
    // `text` for the next timer tick. 1 to go on, 0 once the abort button has
    // been pressed.
    int Update(const std::string& text, int position);

    bool Aborted() const { return m_abort != 0; }
    int Position() const { return m_position; }

private:
    BOOL OnInitDialog() override;
    // Neither Enter nor Escape ends the work or the window.
    void OnOK() override {}
    void OnCancel() override {}
    void ShowStoredText();

    ProgressDialogIds m_ids;
    int m_updates = 0;
    int m_abort = 0;
    int m_position = 0;
    std::string m_text;
    int m_textChanged = 1;
};

}  // namespace tb

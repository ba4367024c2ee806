#pragma once
// CWindow: a thin, non-owning wrapper of an HWND with the helpers every window
// and dialog of the program uses. It never destroys the window it wraps.

#include <windows.h>

#include <string>
#include <vector>

namespace tb {

class CWindow {
public:
    CWindow() = default;
    explicit CWindow(HWND hwnd) : m_hwnd(hwnd) {}

    HWND Handle() const { return m_hwnd; }
    operator HWND() const { return m_hwnd; }
    bool Exists() const { return m_hwnd && ::IsWindow(m_hwnd); }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hwnd, message, wParam, lParam);
    }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hwnd, message, wParam, lParam) != FALSE;
    }

    std::string Text() const;
    void SetText(const std::string& text) const { ::SetWindowTextA(m_hwnd, text.c_str()); }

    // Child controls by id.
    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    LRESULT SendItem(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendDlgItemMessageA(m_hwnd, id, message, wParam, lParam);
    }
    std::string ItemText(int id) const { return CWindow(Item(id)).Text(); }
    void SetItemText(int id, const std::string& text) const { ::SetDlgItemTextA(m_hwnd, id, text.c_str()); }
    // The number in an edit box read as unsigned; 0 when it holds none.
    unsigned ItemUnsigned(int id) const;
    void SetItemUnsigned(int id, unsigned value) const;
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) const {
        ::CheckDlgButton(m_hwnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void EnableItem(int id, bool enable) const { ::EnableWindow(Item(id), enable ? TRUE : FALSE); }
    void ShowItem(int id, bool show) const { ::ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }
    void FocusItem(int id) const { ::SetFocus(Item(id)); }

    void Show(int command) const { ::ShowWindow(m_hwnd, command); }
    bool IsVisible() const { return ::IsWindowVisible(m_hwnd) != FALSE; }
    void Enable(bool enable) const { ::EnableWindow(m_hwnd, enable ? TRUE : FALSE); }
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hwnd, nullptr, erase ? TRUE : FALSE); }
    // Repaints at once, frame and children included.
    void UpdateNow() const {
        ::RedrawWindow(m_hwnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    RECT ClientRect() const;
    RECT WindowRect() const;
    void Move(int x, int y, int width, int height, bool repaint = true) const {
        ::MoveWindow(m_hwnd, x, y, width, height, repaint ? TRUE : FALSE);
    }

    void StartTimer(UINT_PTR id, UINT milliseconds) const { ::SetTimer(m_hwnd, id, milliseconds, nullptr); }
    void StopTimer(UINT_PTR id) const { ::KillTimer(m_hwnd, id); }

    // A message box owned by this window. Without a caption of its own it shows
    // the program's name, as every message of the program does.
    int MessageBox(const std::string& text, UINT flags = MB_OK, const char* caption = nullptr) const;

protected:
    HWND m_hwnd = nullptr;
};

// The program's name shown as the caption of message boxes without their own.
const char* ApplicationTitle();
void SetApplicationTitle(const char* title);

// A message box without an owner window (or owned by `owner`).
int ShowMessage(HWND owner, const std::string& text, UINT flags = MB_OK, const char* caption = nullptr);

// Owner-drawn or plain list boxes.
class CListBox : public CWindow {
public:
    CListBox() = default;
    explicit CListBox(HWND hwnd) : CWindow(hwnd) {}

    int Count() const { return int(Send(LB_GETCOUNT)); }
    int Add(const std::string& text) const { return int(Send(LB_ADDSTRING, 0, LPARAM(text.c_str()))); }
    int Insert(int index, const std::string& text) const {
        return int(Send(LB_INSERTSTRING, WPARAM(index), LPARAM(text.c_str())));
    }
    void Delete(int index) const { Send(LB_DELETESTRING, WPARAM(index)); }
    void Reset() const { Send(LB_RESETCONTENT); }
    std::string GetText(int index) const;
    int CurSel() const { return int(Send(LB_GETCURSEL)); }
    void SetCurSel(int index) const { Send(LB_SETCURSEL, WPARAM(index)); }
    bool IsSelected(int index) const { return Send(LB_GETSEL, WPARAM(index)) > 0; }
    void Select(int index, bool select) const { Send(LB_SETSEL, select ? TRUE : FALSE, LPARAM(index)); }
    // Selected lines of a multiple-selection list, at most `limit`.
    std::vector<int> SelectedItems(int limit) const;
    // Every selected line of a multiple-selection list, in order.
    std::vector<int> SelectedIndices() const { return SelectedItems(SelCount()); }
    // How many lines are selected in a multiple-selection list (0 when none).
    int SelCount() const {
        const LRESULT count = Send(LB_GETSELCOUNT);
        return count == LB_ERR ? 0 : int(count);
    }
    // The line shown at the top, and scrolling a line to the top.
    int TopIndex() const { return int(Send(LB_GETTOPINDEX)); }
    void SetTopIndex(int index) const { Send(LB_SETTOPINDEX, WPARAM(index)); }
    // First line after `after` (-1: from the start, wrapping round) that
    // begins with `prefix`, or that is exactly `text`; both ignore case.
    // LB_ERR when there is none.
    int FindPrefix(const std::string& prefix, int after = -1) const {
        return int(Send(LB_FINDSTRING, WPARAM(after), LPARAM(prefix.c_str())));
    }
    int FindExact(const std::string& text, int after = -1) const {
        return int(Send(LB_FINDSTRINGEXACT, WPARAM(after), LPARAM(text.c_str())));
    }
    void SetTabStops(const int* stops, int count) const { Send(LB_SETTABSTOPS, WPARAM(count), LPARAM(stops)); }
    void SetItemHeight(int height) const { Send(LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0)); }
};

}  // namespace tb

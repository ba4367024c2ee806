#include "framework/Window.h"

#include <cstdlib>

namespace tb {

namespace {
std::string g_applicationTitle = "File Archiver";
}

const char* ApplicationTitle() { return g_applicationTitle.c_str(); }
void SetApplicationTitle(const char* title) { g_applicationTitle = title ? title : ""; }

int ShowMessage(HWND owner, const std::string& text, UINT flags, const char* caption) {
    return ::MessageBoxA(owner, text.c_str(), caption ? caption : ApplicationTitle(), flags);
}

std::string CWindow::Text() const {
    int length = ::GetWindowTextLengthA(m_hwnd);
    if (length <= 0) return {};
    std::string text(size_t(length) + 1, '\0');
    int got = ::GetWindowTextA(m_hwnd, text.data(), length + 1);
    text.resize(size_t(got > 0 ? got : 0));
    return text;
}

unsigned CWindow::ItemUnsigned(int id) const {
    std::string text = ItemText(id);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    unsigned long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + unsigned(text[i] - '0');
        if (value > 0xffffffffULL) return 0xffffffffu;
    }
    return unsigned(value);
}

void CWindow::SetItemUnsigned(int id, unsigned value) const {
    ::SetDlgItemInt(m_hwnd, id, value, FALSE);
}

RECT CWindow::ClientRect() const {
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    return r;
}

RECT CWindow::WindowRect() const {
    RECT r{};
    ::GetWindowRect(m_hwnd, &r);
    return r;
}

int CWindow::MessageBox(const std::string& text, UINT flags, const char* caption) const {
    return ShowMessage(m_hwnd, text, flags, caption);
}

std::string CListBox::GetText(int index) const {
    LRESULT length = Send(LB_GETTEXTLEN, WPARAM(index));
    if (length == LB_ERR || length <= 0) return {};
    // A generous buffer: under some code pages the list reports fewer bytes than it copies.
    std::string text(size_t(length) * 2 + 2, '\0');
    LRESULT got = Send(LB_GETTEXT, WPARAM(index), LPARAM(text.data()));
    if (got == LB_ERR) return {};
    text.resize(strnlen(text.c_str(), text.size()));
    return text;
}

std::vector<int> CListBox::SelectedItems(int limit) const {
    if (limit <= 0) return {};
    std::vector<int> items(size_t(limit), 0);
    LRESULT got = Send(LB_GETSELITEMS, WPARAM(limit), LPARAM(items.data()));
    if (got == LB_ERR || got < 0) return {};
    items.resize(size_t(got));
    return items;
}

}  // namespace tb

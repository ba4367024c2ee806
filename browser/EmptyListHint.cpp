#include "browser/EmptyListHint.h"

namespace tb {

namespace {
constexpr int kMargin = 8;
}  // namespace

std::string EmptyFileListHint(bool automaticArchivingOn) {
    if (automaticArchivingOn) return {};
    return "Automatic archiving is off.\r\n\r\n"
           "To turn it on, choose Archive Settings in the Archive menu and tick "
           "\"Monitor File Changes\"; then choose the drives to watch and the folder for the archives.";
}

void PaintEmptyList(HWND list, const std::string& hint) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(list, &paint);
    RECT client{};
    ::GetClientRect(list, &client);
    ::FillRect(dc, &paint.rcPaint, ::GetSysColorBrush(COLOR_WINDOW));
    if (!hint.empty()) {
        HGDIOBJ oldFont = ::SelectObject(dc, HFONT(::SendMessageA(list, WM_GETFONT, 0, 0)));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
        RECT text{client.left + kMargin, client.top + kMargin, client.right - kMargin, client.bottom - kMargin};
        ::DrawTextA(dc, hint.c_str(), int(hint.size()), &text, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
        ::SelectObject(dc, oldFont);
    }
    ::EndPaint(list, &paint);
}

}  // namespace tb

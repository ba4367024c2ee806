#include "browser/EmptyListHint.h"

namespace tb {

namespace {
constexpr int kMargin = 8;
}  // namespace

std::string EmptyFileListHint(const EmptyListFacts& facts) {
    if (!facts.archivingOn)
        return "Automatic archiving is off.\r\n\r\n"
               "To turn it on, choose Archive Settings in the Archive menu. On the Automatic page tick "
               "\"Monitor File Changes\" and \"Archive at Windows Shut Down\"; on the Drives page choose the "
               "drives to watch; on the File Types page make sure the types you want archived are in the list; "
               "on the Location page choose the folder for the archives. Then click OK.";
    if (facts.archivesKnown) return {};
    std::string when = facts.atShutdown ? " when Windows shuts down" : " at the times set in Archive Settings";
    return "No archive yet.\r\n\r\n"
           "Changed files of the chosen types (documents, spreadsheets, presentations, texts, PDFs and pictures, "
           "unless you chose others) on the watched drives are archived into " +
           (facts.archiveFolder.empty() ? std::string("the archive folder") : facts.archiveFolder) + when +
           ".\r\n\r\n"
           "To archive now: Archive menu, Archive Changed Files Now.\r\n\r\n"
           "To change the drives, types, times or folder: Archive menu, Archive Settings.";
}

void PaintEmptyList(HWND list, const std::string& hint) {
    char shown[2048] = {};
    ::GetWindowTextA(list, shown, sizeof shown);
    if (hint != shown) ::SetWindowTextA(list, hint.c_str());
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

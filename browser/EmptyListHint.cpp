#include "browser/EmptyListHint.h"

namespace tb {

namespace {
constexpr int kMargin = 8;
}  // namespace

std::string EmptyFileListHint(bool automaticArchivingOn, bool archivesKnown) {
    if (!automaticArchivingOn)
        return "Automatic archiving is off.\r\n\r\n"
               "To turn it on, choose Archive Settings in the Archive menu. On the Automatic page tick "
               "\"Monitor File Changes\" and \"Archive at Windows Shut Down\"; on the Drives page choose the "
               "drives to watch; on the File Types page make sure the types you want archived are in the list; "
               "on the Location page choose the folder for the archives. Then click OK.";
    if (archivesKnown) return {};
    return "No archive yet.\r\n\r\n"
           "Tallybox watches the drive of your documents for changed documents, spreadsheets, presentations, "
           "texts, PDFs and pictures, and archives them into C:\\Auto Archives when Windows shuts down. When a "
           "file of a new type changes, it asks whether to archive that type.\r\n\r\n"
           "To see it work now, save a document, then choose Archive Changed Files Now in the Archive menu: "
           "the day's archive appears in the list on the left, and the status bar tells what was archived.\r\n\r\n"
           "Archive Settings in the Archive menu changes the drives, the file types, the times and the folder; "
           "Archive Log tells what each archive did.";
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

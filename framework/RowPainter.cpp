#include "framework/RowPainter.h"

#include "framework/TabbedText.h"

namespace tb {

void PaintListRow(const DRAWITEMSTRUCT& item, const std::string& text, const RowPaint& paint) {
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const COLORREF oldText = ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const COLORREF oldBack = ::SetBkColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    const int x = item.rcItem.left;
    switch (paint.text) {
    case RowText::Columns:
        if (paint.tabStops)
            DrawTabbedText(dc, x, item.rcItem.top + kRowTextOffset, text.c_str(), int(text.size()), paint.tabStops);
        break;
    case RowText::Plain: {
        RECT r = item.rcItem;
        ::DrawTextA(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
        break;
    }
    case RowText::None:
        break;
    }
    if (selected) {
        RECT cell{x, item.rcItem.top, x + kRowIconCell, item.rcItem.bottom};
        ::FillRect(dc, &cell, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    }
    if (paint.icon) ::DrawIconEx(dc, x + 2, item.rcItem.top, paint.icon, 16, 16, 0, nullptr, DI_NORMAL);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
}

}  // namespace tb

#pragma once
// One row of an owner-drawn list box drawn the way the program's lists look:
// window colours (highlight colours when selected) over the whole row, the
// text in columns at tab stops, a 16 x 16 icon at the left edge whose cell is
// filled with the workspace colour when the row is selected, and the focus
// rectangle. The contents pane and the archive editor's list both draw with it.
//
//     PaintListRow(item, text, {RowText::Columns, tabStops, icon});

#include <windows.h>

#include <string>

namespace tb {

enum class RowText {
    None,     // only the background (and the icon cell)
    Columns,  // DrawTabbedText at the tab stops
    Plain,    // one line, tabs expanded by the system
};

struct RowPaint {
    RowText text = RowText::Columns;
    const int* tabStops = nullptr;  // seven stops at least, for Columns
    HICON icon = nullptr;           // none: the cell stays empty
};

constexpr int kRowIconCell = 19;  // pixels at the left that belong to the icon
constexpr int kRowTextOffset = 2; // text starts this far below the row's top

// Paints `text` as row `item` of a WM_DRAWITEM; the device context's colours
// are as before afterwards.
void PaintListRow(const DRAWITEMSTRUCT& item, const std::string& text, const RowPaint& paint);

}  // namespace tb

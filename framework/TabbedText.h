#pragma once
// Draws a tab-separated list line in columns at fixed tab stops.

#include <windows.h>

namespace tb {

// Skips the line's first character (its leading tab), splits the rest at tabs
// into at most six fields and draws field k single-line between x + tabs[k]
// and tabs[k + 1] - 10 (the last field to x + tabs[6] - 10), rows 17 pixels
// high; fields 0, 1 and 5 left-aligned, 2, 3 and 4 centred. `tabs` holds at
// least seven stops.
void DrawTabbedText(HDC dc, int x, int y, const char* text, int length, const int* tabs);

}  // namespace tb

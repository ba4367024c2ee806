#include "framework/TabbedText.h"

#include <string>

namespace tb {

void DrawTabbedText(HDC dc, int x, int y, const char* text, int length, const int* tabs) {
    if (length <= 0) return;
    std::string rest(text + 1, text + length);
    int field = 0;
    size_t start = 0;
    while (field < 6) {
        size_t tab = rest.find('\t', start);
        std::string piece = rest.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        RECT cell{x + tabs[field], y, field == 5 ? x + tabs[6] - 10 : tabs[field + 1] - 10, y + 17};
        UINT align = (field >= 2 && field <= 4) ? DT_CENTER : DT_LEFT;
        ::DrawTextA(dc, piece.c_str(), int(piece.size()), &cell,
                    align | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (tab == std::string::npos) break;
        start = tab + 1;
        ++field;
    }
}

}  // namespace tb

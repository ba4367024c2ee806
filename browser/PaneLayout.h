#pragma once
// Geometry of the main view: the archive list on the left, the file list on the
// right, divided at x = DivPoint, and the eight column header buttons above
// them. Pure arithmetic, kept apart from the windows.

#include <windows.h>

#include <array>

#include "res/resource.h"

namespace tb {

// Layout values, read from section "Settings" when the view is built and
// written back when it goes.
struct LayoutValues {
    int divPoint = 250;     // "DivPoint"
    int arcLocation = 130;  // "ArcLocation": the archive list's name column
    int fileExt = 100;      // "FileExt": Name
    int fileExtEnd = 30;    // "FileExtEnd": Ext
    int fileDate = 130;     // "FileDate": kept, not used by the layout
    int fileSize = 90;      // "FileSize": Date / Time
    int fileCmpSize = 45;   // "FileCmpSize": Size
    int fileLoc = 45;       // "FileLoc": Compr

    void Read();
    void Write() const;
};

using TabStops = std::array<int, 10>;

// Tab stops of the two lists before the first layout.
TabStops InitialArchiveTabStops(const LayoutValues& values);
TabStops InitialFileTabStops();

// The column header buttons, in the order of `PaneGeometry::headers`.
constexpr std::array<int, 8> kHeaderIds = {IDC_HDR_ARC_NAME,  IDC_HDR_ARC_LOCATION, IDC_HDR_FILE_NAME,
                                           IDC_HDR_FILE_EXT,  IDC_HDR_FILE_DATE,    IDC_HDR_FILE_SIZE,
                                           IDC_HDR_FILE_COMPR, IDC_HDR_FILE_LOCATION};

struct PaneGeometry {
    RECT pane{};         // x, y, width, height in each RECT: left, top, right = width, bottom = height
    RECT archiveList{};
    RECT fileList{};
    std::array<RECT, 8> headers{};
    TabStops archiveTabs{};
    TabStops fileTabs{};
};

// Clamps the values (name column at least 130, divider between name column + 5
// and width - 25, Date / Time at least 92, Name at least 110) and places
// everything for a client area of width x height. `fileListClientWidth` is the
// file list's client width before this layout moves it; `scrollBarWidth` the
// width of a vertical scroll bar.
PaneGeometry ComputePaneLayout(LayoutValues& values, int width, int height, int fileListClientWidth,
                               int scrollBarWidth);

}  // namespace tb

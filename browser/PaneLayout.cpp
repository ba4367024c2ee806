#include "browser/PaneLayout.h"

#include <algorithm>

#include "common/Profile.h"

namespace tb {

namespace {
RECT Box(int x, int y, int width, int height) { return RECT{x, y, width, height}; }
constexpr int kFarStop = 4000;
}  // namespace

void LayoutValues::Read() {
    divPoint = ReadIniInt(kSettingsSection, "DivPoint", 250);
    arcLocation = ReadIniInt(kSettingsSection, "ArcLocation", 130);
    fileExt = ReadIniInt(kSettingsSection, "FileExt", 100);
    fileExtEnd = ReadIniInt(kSettingsSection, "FileExtEnd", 30);
    fileDate = ReadIniInt(kSettingsSection, "FileDate", 130);
    fileSize = ReadIniInt(kSettingsSection, "FileSize", 90);
    fileCmpSize = ReadIniInt(kSettingsSection, "FileCmpSize", 45);
    fileLoc = ReadIniInt(kSettingsSection, "FileLoc", 45);
}

void LayoutValues::Write() const {
    WriteIntKey(kSettingsSection, "DivPoint", divPoint);
    WriteIntKey(kSettingsSection, "ArcLocation", arcLocation);
    WriteIntKey(kSettingsSection, "FileExt", fileExt);
    WriteIntKey(kSettingsSection, "FileExtEnd", fileExtEnd);
    WriteIntKey(kSettingsSection, "FileDate", fileDate);
    WriteIntKey(kSettingsSection, "FileSize", fileSize);
    WriteIntKey(kSettingsSection, "FileCmpSize", fileCmpSize);
    WriteIntKey(kSettingsSection, "FileLoc", fileLoc);
}

TabStops InitialArchiveTabStops(const LayoutValues& values) {
    TabStops tabs;
    tabs.fill(kFarStop);
    tabs[0] = 10;
    tabs[1] = values.arcLocation / 2 + 4;
    return tabs;
}

TabStops InitialFileTabStops() {
    return TabStops{10, 100, 90, 150, 180, 220, kFarStop, kFarStop, kFarStop, kFarStop};
}

PaneGeometry ComputePaneLayout(LayoutValues& v, int width, int height, int fileListClientWidth,
                               int scrollBarWidth) {
    v.arcLocation = std::max(v.arcLocation, 130);
    v.divPoint = std::max(v.divPoint, v.arcLocation + 5);
    v.divPoint = std::min(v.divPoint, width - 25);
    v.fileSize = std::max(v.fileSize, 92);
    v.fileExt = std::max(v.fileExt, 110);

    PaneGeometry g;
    g.pane = Box(0, 0, width, height);

    g.archiveTabs.fill(kFarStop);
    g.archiveTabs[0] = 20;
    g.archiveTabs[1] = v.arcLocation + 4;
    g.archiveList = Box(-2, 14, v.divPoint, height - 12);
    g.headers[0] = Box(0, 0, v.arcLocation, 16);
    g.headers[1] = Box(v.arcLocation, 0, v.divPoint - v.arcLocation - 3, 16);

    const int t1 = v.fileExt;
    const int t2 = t1 + v.fileExtEnd;
    const int t3 = t2 + v.fileSize;
    const int t4 = t3 + v.fileCmpSize;
    const int t5 = t4 + v.fileLoc + 4;
    g.fileTabs = TabStops{20, t1, t2, t3, t4, t5, kFarStop, kFarStop, kFarStop, kFarStop};
    const int d = v.divPoint + 3;
    g.fileList = Box(d, 14, width - d + 2, height - 12);
    g.headers[2] = Box(d + 1, 0, v.fileExt, 16);
    g.headers[3] = Box(d + t1 + 1, 0, v.fileExtEnd, 16);
    g.headers[4] = Box(d + t2 + 1, 0, v.fileSize, 16);
    g.headers[5] = Box(d + t3 + 1, 0, v.fileCmpSize, 16);
    g.headers[6] = Box(d + t4 + 1, 0, v.fileLoc, 16);
    const int used = v.fileExt + v.fileExtEnd + v.fileSize + v.fileCmpSize + v.fileLoc;
    g.headers[7] = Box(d + t4 + v.fileLoc + 1, 0, fileListClientWidth + scrollBarWidth - used + 2, 16);
    return g;
}

}  // namespace tb

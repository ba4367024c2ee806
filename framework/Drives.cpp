#include "framework/Drives.h"

#include <cstring>

#include "framework/Window.h"

namespace tb {

namespace {
DriveTypeFunction g_driveTypeSeam = nullptr;
constexpr DWORD kRootBuffer = 114;
constexpr size_t kMaxDrives = 26;
}  // namespace

std::vector<std::string> LogicalDriveRoots() {
    char buffer[kRootBuffer + 2] = {};
    DWORD n = ::GetLogicalDriveStringsA(kRootBuffer, buffer);
    std::vector<std::string> roots;
    if (n == 0 || n > kRootBuffer) return roots;
    for (const char* p = buffer; *p && roots.size() < kMaxDrives; p += std::strlen(p) + 1) roots.emplace_back(p);
    return roots;
}

UINT DriveTypeOf(const std::string& root) {
    if (g_driveTypeSeam) return g_driveTypeSeam(root);
    return ::GetDriveTypeA(root.c_str());
}

void SetDriveTypeSeam(DriveTypeFunction function) { g_driveTypeSeam = function; }

const char* DriveKindSuffix(UINT driveType) {
    switch (driveType) {
    case DRIVE_REMOVABLE: return " (Removable)";
    case DRIVE_FIXED: return " (Local Hard Disk)";
    case DRIVE_REMOTE: return " (Remote/Network)";
    case DRIVE_CDROM: return " (CD)";
    case DRIVE_RAMDISK: return " (Ram Disk)";
    default: return "";
    }
}

std::string DriveListItem(const std::string& root) { return root + DriveKindSuffix(DriveTypeOf(root)); }

void FillDriveList(HWND listBox, const std::string& letters) {
    CListBox list(listBox);
    list.Reset();
    for (const std::string& root : LogicalDriveRoots()) list.Add(DriveListItem(root));
    const bool multiple = (::GetWindowLongA(listBox, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        if (letters.find(letter) == std::string::npos) continue;
        int index = list.FindPrefix(std::string(1, letter));
        if (index < 0) continue;
        if (multiple) list.Select(index, true);
        else list.SetCurSel(index);
    }
}

}  // namespace tb

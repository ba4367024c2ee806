#include "app/TrayIcon.h"

#include <shellapi.h>

#include <cstring>

#include "framework/Handles.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr DWORD kFirstVersionRecordSize = 88;  // NOTIFYICONDATA as of Windows 95
// The record as of Windows 2000: longer tips and balloons (Wine takes it too).
constexpr DWORD kBalloonRecordSize = NOTIFYICONDATAA_V2_SIZE;
constexpr UINT kBalloonMs = 15000;

// `text` cut to a buffer of `size` bytes, with "..." where it was cut.
void CopyCut(char* buffer, size_t size, const std::string& text) {
    std::string cut = text;
    if (cut.size() >= size) cut = cut.substr(0, size - 4) + "...";
    std::strcpy(buffer, cut.c_str());
}
}  // namespace

bool CTrayIcon::Add(HWND owner) {
    UniqueIcon icon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM),
                                                    IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                    ::GetSystemMetrics(SM_CYSMICON), 0)));
    NOTIFYICONDATAA data{};
    data.cbSize = kFirstVersionRecordSize;
    data.hWnd = owner;
    data.uID = ID_TRAY_ICON;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TB_TRAY;
    data.hIcon = icon.Get();
    std::strcpy(data.szTip, "File Archiver/Editor");
    return ::Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

bool CTrayIcon::Tell(HWND owner, const std::string& tip, const std::string& balloonTitle) {
    NOTIFYICONDATAA data{};
    data.cbSize = kBalloonRecordSize;
    data.hWnd = owner;
    data.uID = ID_TRAY_ICON;
    data.uFlags = NIF_TIP;
    CopyCut(data.szTip, sizeof data.szTip, tip);
    if (!balloonTitle.empty()) {
        data.uFlags |= NIF_INFO;
        CopyCut(data.szInfo, sizeof data.szInfo, tip);
        CopyCut(data.szInfoTitle, sizeof data.szInfoTitle, balloonTitle);
        data.uTimeout = kBalloonMs;
        data.dwInfoFlags = NIIF_WARNING;
    }
    return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void CTrayIcon::Remove(HWND owner) {
    NOTIFYICONDATAA data{};
    data.cbSize = kFirstVersionRecordSize;
    data.hWnd = owner;
    data.uID = ID_TRAY_ICON;
    ::Shell_NotifyIconA(NIM_DELETE, &data);
}

}  // namespace tb

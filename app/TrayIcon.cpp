#include "app/TrayIcon.h"

#include <shellapi.h>

#include <cstring>

#include "framework/Handles.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr DWORD kFirstVersionRecordSize = 88;  // NOTIFYICONDATA as of Windows 95
}

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

void CTrayIcon::Remove(HWND owner) {
    NOTIFYICONDATAA data{};
    data.cbSize = kFirstVersionRecordSize;
    data.hWnd = owner;
    data.uID = ID_TRAY_ICON;
    ::Shell_NotifyIconA(NIM_DELETE, &data);
}

}  // namespace tb

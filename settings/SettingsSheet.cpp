#include "settings/SettingsSheet.h"

#include "framework/Window.h"

namespace tb {

bool ShowSettingsSheet(HWND owner) {
    ShowMessage(owner, "This part of File Archiver is not available in this version.", MB_OK | MB_ICONINFORMATION);
    return false;
}

}  // namespace tb

#include "settings/SettingsSheet.h"

#include "app/Globals.h"
#include "settings/SettingsPS.h"

namespace tb {

bool ShowSettingsSheet(HWND owner) {
    SettingsPS sheet(gWorkingSettings);
    return sheet.DoModal(owner);
}

}  // namespace tb

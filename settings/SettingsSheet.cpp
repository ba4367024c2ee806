#include "settings/SettingsSheet.h"

#include "settings/SettingsPS.h"

namespace tb {

bool ShowSettingsSheet(HWND owner, SettingsRecord& working) {
    SettingsPS sheet(working);
    return sheet.DoModal(owner);
}

}  // namespace tb

#include "app/Globals.h"

namespace tb {

SettingsRecord gSettings;
SettingsRecord gWorkingSettings;
CTallyboxView* gView = nullptr;

}  // namespace tb

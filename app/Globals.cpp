#include "app/Globals.h"

namespace tb {

SettingsRecord gSettings;

}  // namespace tb

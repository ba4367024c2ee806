#include "app/Globals.h"

namespace tb {

SettingsRecord gSettings;
SettingsRecord gWorkingSettings;
CTallyboxView* gView = nullptr;
std::vector<std::string> gPendingList;
std::vector<std::string> gSearchResults;

}  // namespace tb

#pragma once
// The few process-wide objects of the program, gathered in one place.

#include <string>
#include <vector>

#include "common/Settings.h"

namespace tb {

class CTallyboxView;

// The live Settings record, read once at start-up; every part reads it.
extern SettingsRecord gSettings;
// The copy that only the settings sheet edits; OK copies it into gSettings.
extern SettingsRecord gWorkingSettings;
// The one view of the main frame; null before it is built and after it is gone.
extern CTallyboxView* gView;

}  // namespace tb

#pragma once
// The few process-wide objects of the program, gathered in one place.

#include "common/Settings.h"

namespace tb {

// The live Settings record, read once at start-up. The application hands it
// to the parts that use it; only the settings sheet's OK changes it.
extern SettingsRecord gSettings;

}  // namespace tb

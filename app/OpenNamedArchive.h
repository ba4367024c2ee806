#pragma once
// What the program does with a ZIP named on its command line or handed over by
// a second start: an empty (or missing) file, a name beginning with BLANK.ZIP,
// or the setting `Edit` 0x01 open the archive editor; anything else is added to
// the known archives, selected and listed in the main view.

#include <string>

namespace tb {

class CTallyboxView;

struct OpenNamedPlan {
    bool openEditor = false;   // else: show it in the view
    bool presetArchive = false;  // the editor gets a name and the empty flag
    std::string archive;       // the name handed on (editor or view)
    int empty = 0;             // the file has no bytes (or does not exist)
};

// `handedOver` is true for a name that came from a second start (message
// 0x8001): the editor then gets the upper-cased name.
OpenNamedPlan PlanOpenNamed(const std::string& name, unsigned long long fileSize, int editFlags, bool handedOver);

// Size in bytes of the first file matching `name` (all 64 bits: an archive of
// exactly 4 GiB is not empty); 0 when none.
unsigned long long FindFileSize(const std::string& name);

// Decides (with the `Edit` flags of the settings) and acts: the archive
// editor, or the view.
void OpenNamedArchive(const std::string& name, bool handedOver, int editFlags, CTallyboxView* view);

}  // namespace tb

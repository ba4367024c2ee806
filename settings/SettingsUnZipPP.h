#pragma once
// Settings page "UnZip" (dialog 164): the default extraction folder and what
// happens to files that exist already.

#include "settings/SettingsPage.h"

namespace tb {

// The boxes of the page for the bits of UnZipFlags, and back. Each group of
// radio buttons (where to extract; what to do with a file that exists) has
// one button selected and one bit stored: of bits set together, the first
// button's in the page's order.
CheckStates UnZipBoxesFromBits(int flags);
void UnZipBitsFromBoxes(const CheckStates& boxes, int& flags);

// The click rules, on the boxes as they are after the click: each adjusts the
// boxes and bits, stores the boxes and returns them loaded again.
//   "Overwrite Existing files." selected: no longer "Always use defaults".
//   "Always use defaults without prompting." ticked: prompt, never overwrite.
CheckStates UnZipOverwriteClicked(CheckStates boxes, int& flags);
CheckStates UnZipNoPromptingClicked(CheckStates boxes, int& flags);

class SettingsUnZipPP : public CSettingsPage {
public:
    explicit SettingsUnZipPP(SettingsRecord& record);

    void Load() override;
    void Store() override;

private:
    void Clicked(CheckStates (*rule)(CheckStates, int&));
    void Browse();
};

}  // namespace tb

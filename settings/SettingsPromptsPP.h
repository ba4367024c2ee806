#pragma once
// Settings page "Prompts" (dialog 136): when the user is asked, and the
// completely silent mode.

#include "settings/SettingsPage.h"

namespace tb {

// The page's store step on the record, from the states of its boxes (by
// control id). With "Completely Silent" ticked the boxes then follow the new
// bits (see PromptsBoxesFromBits).
void StorePromptsStep(const CheckStates& boxes, SettingsRecord& record);
CheckStates PromptsBoxesFromBits(int prompts);

class SettingsPromptsPP : public CSettingsPage {
public:
    explicit SettingsPromptsPP(SettingsRecord& record);

    void Load() override;
    void Store() override;

protected:
    BOOL OnInitDialog() override;

private:
    void ApplyEnabling(bool silent);
};

}  // namespace tb

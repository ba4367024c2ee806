#include "settings/SettingsPromptsPP.h"

#include "res/resource.h"

namespace tb {

namespace {

constexpr BitControl kPromptBits[] = {
    {IDC_PR_PENDING, kPromptPending},     {IDC_PR_NEW_TYPES, kPromptNewTypes},
    {IDC_PR_SIZE_LIMIT, kPromptSizeLimit}, {IDC_PR_DISK_SPACE, kPromptDiskSpace},
    {IDC_PR_DRIVE_ACCESS, kPromptDriveAccess}, {IDC_PR_SILENT, kPromptSilent},
};

// The boxes that simply carry their bit.
constexpr BitControl kPlainPromptBits[] = {
    {IDC_PR_PENDING, kPromptPending},
    {IDC_PR_SIZE_LIMIT, kPromptSizeLimit},
    {IDC_PR_DISK_SPACE, kPromptDiskSpace},
    {IDC_PR_DRIVE_ACCESS, kPromptDriveAccess},
};

bool Ticked(const CheckStates& boxes, int id) {
    auto found = boxes.find(id);
    return found != boxes.end() && found->second;
}

}  // namespace

CheckStates PromptsBoxesFromBits(int prompts) { return ChecksFromBits(kPromptBits, prompts); }

void StorePromptsStep(const CheckStates& boxes, SettingsRecord& record) {
    BitsFromChecks(kPlainPromptBits, boxes, record.Prompts);

    // Asking about new types is the let-me-choose policy; not asking is
    // add-recommended.
    record.General &= ~(kGeneralAddAll | kGeneralAddRecommended | kGeneralLetMeChoose);
    if (Ticked(boxes, IDC_PR_NEW_TYPES)) {
        record.Prompts |= kPromptNewTypes;
        record.General |= kGeneralLetMeChoose;
    } else {
        record.Prompts &= ~kPromptNewTypes;
        record.General |= kGeneralAddRecommended;
    }

    if (Ticked(boxes, IDC_PR_SILENT)) {
        record.Prompts |= kPromptSilent;
        record.Prompts &= ~(kPromptDriveAccess | kPromptNewTypes | kPromptPending | kPromptSizeLimit);
        record.General &= ~(kGeneralAddAll | kGeneralLetMeChoose);
        record.General |= kGeneralAddRecommended;
    } else {
        record.Prompts &= ~kPromptSilent;
    }
}

SettingsPromptsPP::SettingsPromptsPP(SettingsRecord& record) : CSettingsPage(IDD_SETTINGS_PROMPTS, record) {
    Map().OnCommand(IDC_PR_SILENT, [this] {
        // Twice in a row, as the page always did; the second pass sees the
        // boxes the first one set.
        Store();
        Store();
    });
}

BOOL SettingsPromptsPP::OnInitDialog() {
    Load();
    // The store step right away, so the enabling is right from the start.
    Store();
    return TRUE;
}

void SettingsPromptsPP::Load() {
    ShowChecks(PromptsBoxesFromBits(m_record.Prompts));
    ApplyEnabling((m_record.Prompts & kPromptSilent) != 0);
}

void SettingsPromptsPP::Store() {
    StorePromptsStep(ReadChecks(kPromptBits), m_record);
    const bool silent = (m_record.Prompts & kPromptSilent) != 0;
    if (silent) {
        CheckStates boxes = PromptsBoxesFromBits(m_record.Prompts);
        boxes.erase(IDC_PR_SILENT);
        ShowChecks(boxes);
    }
    ApplyEnabling(silent);
}

void SettingsPromptsPP::ApplyEnabling(bool silent) {
    for (int id : {IDC_PR_PENDING, IDC_PR_NEW_TYPES, IDC_PR_SIZE_LIMIT}) EnableItem(id, !silent);
}

}  // namespace tb

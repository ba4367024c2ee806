#include "settings/SettingsUnZipPP.h"

#include "res/resource.h"

namespace tb {

namespace {

constexpr BitControl kUnZipBits[] = {
    {IDC_UZ_USE_DEFAULT, kUnZipUseDefault},   {IDC_UZ_USE_LAST, kUnZipUseLast},
    {IDC_UZ_USE_TEMP, kUnZipUseTemp},         {IDC_UZ_MY_DOCUMENTS, kUnZipMyDocuments},
    {IDC_UZ_OVERWRITE, kUnZipOverwrite},      {IDC_UZ_PROMPT, kUnZipPrompt},
    {IDC_UZ_RENAME, kUnZipRenameByNumber},    {IDC_UZ_FOLDER_NAMES, kUnZipUseFolderNames},
    {IDC_UZ_NO_PROMPTING, kUnZipNoPrompting},
};

// The two groups of radio buttons, in the page's order.
constexpr int kWhereGroup[] = {IDC_UZ_USE_DEFAULT, IDC_UZ_USE_LAST, IDC_UZ_USE_TEMP, IDC_UZ_MY_DOCUMENTS};
constexpr int kExistingGroup[] = {IDC_UZ_OVERWRITE, IDC_UZ_PROMPT, IDC_UZ_RENAME};

// One button of a group selected: the first ticked one in the page's order.
template <size_t N>
void OneOfGroup(CheckStates& boxes, const int (&group)[N]) {
    bool taken = false;
    for (int id : group) {
        bool& ticked = boxes[id];
        if (ticked && taken) ticked = false;
        taken = taken || ticked;
    }
}

// Selects `id` of its group, deselecting the others.
template <size_t N>
void Select(CheckStates& boxes, const int (&group)[N], int id) {
    for (int other : group) boxes[other] = other == id;
}

}  // namespace

CheckStates UnZipBoxesFromBits(int flags) {
    CheckStates boxes = ChecksFromBits(kUnZipBits, flags);
    OneOfGroup(boxes, kWhereGroup);
    OneOfGroup(boxes, kExistingGroup);
    return boxes;
}

void UnZipBitsFromBoxes(const CheckStates& shown, int& flags) {
    CheckStates boxes = shown;
    OneOfGroup(boxes, kWhereGroup);
    OneOfGroup(boxes, kExistingGroup);
    BitsFromChecks(kUnZipBits, boxes, flags);
}

CheckStates UnZipOverwriteClicked(CheckStates boxes, int& flags) {
    if (boxes[IDC_UZ_OVERWRITE]) {
        flags |= kUnZipOverwrite;
        flags &= ~kUnZipNoPrompting;
        boxes[IDC_UZ_NO_PROMPTING] = false;
        Select(boxes, kExistingGroup, IDC_UZ_OVERWRITE);
    } else {
        flags &= ~kUnZipOverwrite;
    }
    UnZipBitsFromBoxes(boxes, flags);
    return UnZipBoxesFromBits(flags);
}

CheckStates UnZipNoPromptingClicked(CheckStates boxes, int& flags) {
    if (boxes[IDC_UZ_NO_PROMPTING]) {
        flags &= ~kUnZipOverwrite;
        flags |= kUnZipNoPrompting | kUnZipPrompt;
        boxes[IDC_UZ_NO_PROMPTING] = true;
        Select(boxes, kExistingGroup, IDC_UZ_PROMPT);
    } else {
        flags &= ~kUnZipNoPrompting;
    }
    UnZipBitsFromBoxes(boxes, flags);
    return UnZipBoxesFromBits(flags);
}

SettingsUnZipPP::SettingsUnZipPP(SettingsRecord& record) : CSettingsPage(IDD_SETTINGS_UNZIP, record) {
    Map().OnCommand(IDC_UZ_OVERWRITE, [this] { Clicked(&UnZipOverwriteClicked); });
    Map().OnCommand(IDC_UZ_NO_PROMPTING, [this] { Clicked(&UnZipNoPromptingClicked); });
    Map().OnCommand(IDC_UZ_BROWSE, [this] { Browse(); });
}

void SettingsUnZipPP::Load() {
    ShowChecks(UnZipBoxesFromBits(m_record.UnZipFlags));
    SetItemText(IDC_UZ_DEFAULT_PATH, m_record.DefUnZipPath);
}

void SettingsUnZipPP::Store() {
    UnZipBitsFromBoxes(ReadChecks(kUnZipBits), m_record.UnZipFlags);
    m_record.DefUnZipPath = ItemText(IDC_UZ_DEFAULT_PATH);
}

void SettingsUnZipPP::Clicked(CheckStates (*rule)(CheckStates, int&)) {
    ShowChecks(rule(ReadChecks(kUnZipBits), m_record.UnZipFlags));
    // The folder is stored with the boxes.
    m_record.DefUnZipPath = ItemText(IDC_UZ_DEFAULT_PATH);
}

void SettingsUnZipPP::Browse() {
    if (std::optional<std::string> folder =
            BrowseFolder("Select Folder/Directory that is to be the default UnZip folder."))
        SetItemText(IDC_UZ_DEFAULT_PATH, *folder);
}

}  // namespace tb

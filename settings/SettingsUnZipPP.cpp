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

}  // namespace

CheckStates UnZipBoxesFromBits(int flags) { return ChecksFromBits(kUnZipBits, flags); }

void UnZipBitsFromBoxes(const CheckStates& boxes, int& flags) { BitsFromChecks(kUnZipBits, boxes, flags); }

CheckStates UnZipOverwriteClicked(CheckStates boxes, int& flags) {
    if (boxes[IDC_UZ_OVERWRITE]) {
        flags |= kUnZipOverwrite;
        flags &= ~kUnZipNoPrompting;
        boxes[IDC_UZ_NO_PROMPTING] = false;
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
        boxes[IDC_UZ_OVERWRITE] = false;
        boxes[IDC_UZ_PROMPT] = true;
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

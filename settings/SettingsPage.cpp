#include "settings/SettingsPage.h"

#include <commdlg.h>

#include "framework/Shell.h"
#include "framework/Text.h"
#include "framework/Window.h"
#include "monitor/FileTypeListDlg.h"
#include "res/resource.h"

namespace tb {

namespace {

std::optional<std::string> PickFileName(HWND owner) {
    char path[MAX_PATH * 4] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "All files    (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!::GetOpenFileNameA(&dialog)) return std::nullopt;
    std::string chosen(path);
    size_t slash = chosen.find_last_of("\\/");
    std::string name = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    if (name.empty()) return std::nullopt;
    return name;
}

std::optional<std::string> EditTypeList(HWND owner, int mode, const std::string& list) {
    CFileTypeListDlg dialog;
    dialog.Set(mode, list);
    if (dialog.DoModal(owner) != IDOK) return std::nullopt;
    return dialog.List();
}

}  // namespace

PageServices DefaultPageServices() {
    PageServices services;
    services.tell = [](HWND owner, const std::string& text) { ShowMessage(owner, text, MB_OK); };
    services.browseFolder = &tb::BrowseForFolder;
    services.pickFileName = &PickFileName;
    services.editTypeList = &EditTypeList;
    return services;
}

bool FitsSettingsText(const std::string& text) { return text.size() <= kSettingsTextLimit; }

std::string TooLongMessage(const char* what, size_t length) {
    return Format("The list of %s is too long to be kept: it has %u characters, and the settings file "
                  "can hold at most %u.\n\nPlease shorten the list. The previous list is kept.",
                  what, unsigned(length), unsigned(kSettingsTextLimit));
}

CSettingsPage::CSettingsPage(UINT templateId, SettingsRecord& record)
    : CPropertyPage(templateId), m_record(record), m_services(DefaultPageServices()) {
    Map().OnCommand(ID_HELP, [this] { OnHelp(); });
}

BOOL CSettingsPage::OnInitDialog() {
    Load();
    return TRUE;
}

void CSettingsPage::OnSetActive() {
    // Another page may have changed bits this page shows since it was left.
    if (m_shownOnce) Load();
    m_shownOnce = true;
}

bool CSettingsPage::OnKillActive() {
    if (!CanLeave()) return false;
    Store();
    return true;
}

void CSettingsPage::Tell(const std::string& text) {
    if (m_services.tell) m_services.tell(m_hwnd, text);
}

std::optional<std::string> CSettingsPage::BrowseFolder(const std::string& title) {
    if (!m_services.browseFolder) return std::nullopt;
    return m_services.browseFolder(m_hwnd, title);
}

void CSettingsPage::ShowChecks(const CheckStates& checks) {
    for (const auto& [id, checked] : checks) SetChecked(id, checked);
}

}  // namespace tb

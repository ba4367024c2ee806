#include "editor/ExtFileDialog.h"

#include "common/Profile.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr char kLocateSection[] = "Locate";
}

LocateOptions LocateOptions::Read() {
    LocateOptions options;
    options.Days = ReadIniInt(kLocateSection, "Days", 0);
    options.CheckUpdate = ReadIniInt(kLocateSection, "CheckUpdate", 0);
    options.CheckChangedSince = ReadIniInt(kLocateSection, "CheckChangedSince", 0);
    options.CheckIncSubs = ReadIniInt(kLocateSection, "CheckIncSubs", 0);
    return options;
}

void LocateOptions::Write(const std::string& wildcardText) const {
    WriteIniString(kLocateSection, "WildCardsString", wildcardText);
    WriteIntKey(kLocateSection, "CheckUpdate", CheckUpdate);
    WriteIntKey(kLocateSection, "CheckIncSubs", CheckIncSubs);
    WriteIntKey(kLocateSection, "CheckChangedSince", CheckChangedSince);
    WriteIntKey(kLocateSection, "Days", Days);
}

CLocateOptionsPanel::CLocateOptionsPanel(LocateOptions& options)
    : CFileDialogPanel(IDD_LOCATE_OPTIONS), m_options(options) {
    Map().OnCommand(IDC_LO_USE_WILDCARDS, [this] {
        m_wildcardsChosen = 1;
        SaveLocateOptions();
        EndFileDialog(kUseWildcards);
    });
    Map().OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) -> LRESULT {
        SaveLocateOptions();
        return 0;
    });
    Map().OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        SaveLocateOptions();
        return 0;
    });
}

BOOL CLocateOptionsPanel::OnInitDialog() {
    HWND ok = ::GetDlgItem(FileDialog(), IDOK);
    ::SetWindowTextA(ok, "OK");
    ::SetFocus(ok);
    SetItemUnsigned(IDC_LO_DAYS, unsigned(m_options.Days));
    SetChecked(IDC_LO_FRESHEN, m_options.CheckUpdate != 0);
    SetChecked(IDC_LO_SUBFOLDERS, m_options.CheckIncSubs != 0);
    SetChecked(IDC_LO_CHANGED_SINCE, m_options.CheckChangedSince != 0);
    m_wildcardsChosen = 0;
    return FALSE;  // the focus is on OK
}

void CLocateOptionsPanel::SaveLocateOptions() {
    m_options.Days = LeadingInt(ItemText(IDC_LO_DAYS));
    m_options.CheckChangedSince = IsChecked(IDC_LO_CHANGED_SINCE) ? 1 : 0;
    m_options.CheckIncSubs = IsChecked(IDC_LO_SUBFOLDERS) ? 1 : 0;
    m_options.CheckUpdate = IsChecked(IDC_LO_FRESHEN) ? 1 : 0;
    m_wildcardText = FileNameText().substr(0, kWildcardTextLimit);
    m_options.Write(m_wildcardText);
}

CExtFileDialog::CExtFileDialog(Mode mode, std::string initialName, const std::string& filterBars)
    : CFileDialog(mode, std::move(initialName), filterBars), m_options(LocateOptions::Read()), m_panel(m_options) {
    SetPanel(m_panel);
}

}  // namespace tb

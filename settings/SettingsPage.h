#pragma once
// The common ground of the settings pages: each page edits a Settings record
// (the working copy) and holds nothing of its own. It loads its controls from
// the record when it is created (and again when it is shown after another
// page had the chance to change the bits it shares), and stores them back when
// it is left, which includes OK. A page that cannot keep what the user typed
// refuses to be left (CanLeave), so the text stays in front of the user.
//
// What a page asks of the world outside (message boxes, the folder browser,
// the file-open dialog, the type list editor) goes through PageServices, so
// the pages can be driven in tests without any of them.

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "common/Settings.h"
#include "framework/PropertySheet.h"

namespace tb {

struct PageServices {
    // A message box owned by the page, with the program's caption and OK.
    std::function<void(HWND owner, const std::string& text)> tell;
    // The folder browser; nothing when cancelled or without a file-system path.
    std::function<std::optional<std::string>(HWND owner, const std::string& title)> browseFolder;
    // The file-open dialog; the chosen file's name without its folder.
    std::function<std::optional<std::string>(HWND owner)> pickFileName;
    // The type list editor in its mode (0 monitored, 1 excluded); the new
    // list on OK.
    std::function<std::optional<std::string>(HWND owner, int mode, const std::string& list)> editTypeList;
};
PageServices DefaultPageServices();

// A check box or radio button bound to one bit of a flag word.
struct BitControl {
    int id;
    int bit;
};
// Control id -> ticked.
using CheckStates = std::map<int, bool>;

template <size_t N>
CheckStates ChecksFromBits(const BitControl (&table)[N], int bits) {
    CheckStates checks;
    for (const BitControl& control : table) checks[control.id] = (bits & control.bit) != 0;
    return checks;
}

// Sets or clears each bound bit from its control; other bits stay.
template <size_t N>
void BitsFromChecks(const BitControl (&table)[N], const CheckStates& checks, int& bits) {
    for (const BitControl& control : table) {
        auto found = checks.find(control.id);
        if (found == checks.end()) continue;
        if (found->second) bits |= control.bit;
        else bits &= ~control.bit;
    }
}

// The most a string key can hold and still be read back whole (the settings
// reader's buffer less its terminating zero).
constexpr size_t kSettingsTextLimit = 4999;
bool FitsSettingsText(const std::string& text);
// The message that refuses a list that would not be read back whole.
std::string TooLongMessage(const char* what, size_t length);

class CSettingsPage : public CPropertyPage {
public:
    CSettingsPage(UINT templateId, SettingsRecord& record);

    // Controls from the record.
    virtual void Load() = 0;
    // Record from the controls.
    virtual void Store() = 0;

    SettingsRecord& Record() { return m_record; }
    void SetServices(PageServices services) { m_services = std::move(services); }

protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    bool OnKillActive() override;
    // Checked before the page is left: false (after telling the user why)
    // keeps the user on the page with the controls as they are.
    virtual bool CanLeave() { return true; }

    void Tell(const std::string& text);
    std::optional<std::string> BrowseFolder(const std::string& title);

    template <size_t N>
    CheckStates ReadChecks(const BitControl (&table)[N]) const {
        CheckStates checks;
        for (const BitControl& control : table) checks[control.id] = IsChecked(control.id);
        return checks;
    }
    void ShowChecks(const CheckStates& checks);

    SettingsRecord& m_record;
    PageServices m_services;

private:
    bool m_shownOnce = false;
};

}  // namespace tb

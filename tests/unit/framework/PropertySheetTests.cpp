// A property page that refuses to be left keeps the user on it, with what was
// typed still there, whether the user picks another page or presses OK.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "doctest/doctest.h"
#include "framework/PropertySheet.h"
#include "tests/unit/framework/TestResources.h"

using namespace tb;

namespace {

class CheckedPage : public CPropertyPage {
public:
    CheckedPage() : CPropertyPage(IDD_TEST_PAGE_ONE) {
        Map().OnMessage(WM_APP, [this](WPARAM, LPARAM) -> LRESULT {
            if (script) script(*this);
            return 0;
        });
    }
    std::function<void(CheckedPage&)> script;
    int leaveAsked = 0;
    int applied = 0;

protected:
    BOOL OnInitDialog() override {
        Post(WM_APP);
        return TRUE;
    }
    bool OnKillActive() override {
        ++leaveAsked;
        return ItemText(IDC_TEST_EDIT) != "refused";
    }
    void OnApply() override { ++applied; }
};

struct PlainPage : CPropertyPage {
    PlainPage() : CPropertyPage(IDD_TEST_PAGE_TWO) {}
};

HWND CurrentPage(HWND sheet) { return HWND(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

}  // namespace

TEST_CASE("a page that refuses to be left keeps the user and the value") {
    CheckedPage first;
    PlainPage second;
    CPropertySheet sheet("Test Sheet");
    sheet.AddPage(first);
    sheet.AddPage(second);

    struct Seen {
        bool stayedOnTab = false, stayedOnOk = false, valueKept = false, movedWhenGood = false;
        int appliedBeforeGood = -1;
    } seen;
    first.script = [&](CheckedPage& page) {
        HWND frame = sheet.Handle();
        page.SetItemText(IDC_TEST_EDIT, "refused");
        ::SendMessageA(frame, PSM_SETCURSEL, 1, 0);
        seen.stayedOnTab = CurrentPage(frame) == page.Handle();
        seen.valueKept = page.ItemText(IDC_TEST_EDIT) == "refused";

        ::SendMessageA(frame, PSM_PRESSBUTTON, PSBTN_OK, 0);
        seen.stayedOnOk = ::IsWindowVisible(frame) && CurrentPage(frame) == page.Handle() &&
                          page.ItemText(IDC_TEST_EDIT) == "refused";
        seen.appliedBeforeGood = page.applied;

        page.SetItemText(IDC_TEST_EDIT, "fine");
        ::SendMessageA(frame, PSM_SETCURSEL, 1, 0);
        seen.movedWhenGood = CurrentPage(frame) != page.Handle();
        ::PostMessageA(frame, PSM_PRESSBUTTON, PSBTN_OK, 0);
    };

    CHECK(sheet.DoModal(nullptr));
    CHECK(seen.stayedOnTab);
    CHECK(seen.valueKept);
    CHECK(seen.stayedOnOk);
    CHECK(seen.appliedBeforeGood == 0);
    CHECK(seen.movedWhenGood);
    CHECK(first.leaveAsked == 3);
    CHECK(first.applied == 1);
}

// Message maps and the windows, dialogs and controls they route for: one way
// in per message, refused second registrations, creation and teardown.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "framework/Dialog.h"
#include "framework/MessageMap.h"
#include "framework/Subclass.h"
#include "framework/WindowImpl.h"
#include "tests/unit/framework/TestResources.h"

using namespace tb;

namespace {

using Texts = std::vector<std::string>;
CMessageMap::MessageHandler Returns(LRESULT value) {
    return [value](WPARAM, LPARAM) { return value; };
}
LRESULT RouteOrMinusOne(const CMessageMap& map, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    return map.Route(message, wParam, lParam, result) ? result : -1;
}

class TestWindow : public CWindowImpl {
public:
    using CWindowImpl::Map;
    HWND Make(HWND parent = nullptr) {
        static ATOM registered = RegisterWindowClass("TbFrameworkTestWindow", 0, nullptr, nullptr, nullptr);
        REQUIRE(registered != 0);
        return Create(0, "TbFrameworkTestWindow", "test", parent ? WS_CHILD : WS_POPUP, 0, 0, 100, 80, parent,
                      parent ? reinterpret_cast<HMENU>(UINT_PTR(7)) : nullptr);
    }
    Texts log;

protected:
    void OnFinalMessage() override { log.push_back("final"); }
};

}  // namespace

TEST_CASE("a message map takes each registration once and one way in per message") {
    CMessageMap map;
    map.OnMessage(WM_SIZE, Returns(1));
    CHECK_THROWS_AS(map.OnMessage(WM_SIZE, Returns(2)), std::logic_error);
    CHECK(RouteOrMinusOne(map, WM_SIZE, 0, 0) == 1);  // the first handler stays

    map.OnCommand(5, [] {});
    CHECK_THROWS_AS(map.OnCommand(5, [] {}), std::logic_error);
    CHECK_THROWS_AS(map.OnControl(5, BN_CLICKED, [] {}), std::logic_error);  // the command takes the clicks
    map.OnControl(5, EN_CHANGE, [] {});
    CHECK_THROWS_AS(map.OnControl(5, EN_CHANGE, [] {}), std::logic_error);
    map.OnControl(6, BN_CLICKED, [] {});
    CHECK_THROWS_AS(map.OnCommand(6, [] {}), std::logic_error);
    map.OnNotify(9, UINT(NM_CLICK), [](NMHDR*) -> LRESULT { return 0; });
    CHECK_THROWS_AS(map.OnNotify(9, UINT(NM_CLICK), [](NMHDR*) -> LRESULT { return 0; }), std::logic_error);

    // Timers by id, or all timers in one handler, never both.
    map.OnTimer(12, [] {});
    CHECK_THROWS_AS(map.OnTimer(12, [] {}), std::logic_error);
    CHECK_THROWS_AS(map.OnMessage(WM_TIMER, Returns(0)), std::logic_error);
    CMessageMap allTimers;
    allTimers.OnMessage(WM_TIMER, Returns(0));
    CHECK_THROWS_AS(allTimers.OnTimer(1, [] {}), std::logic_error);

    CHECK_THROWS_AS(map.OnMessage(WM_COMMAND, Returns(0)), std::logic_error);
    CHECK_THROWS_AS(map.OnMessage(WM_NOTIFY, Returns(0)), std::logic_error);
    map.Reserve(WM_INITDIALOG);
    CHECK_THROWS_AS(map.OnMessage(WM_INITDIALOG, Returns(0)), std::logic_error);
    CHECK_THROWS_AS(map.Reserve(WM_SIZE), std::logic_error);
}

TEST_CASE("routing: each message reaches the one handler registered for it") {
    CMessageMap map;
    Texts calls;
    map.OnCommand(100, [&] { calls.push_back("command"); });
    map.OnControl(200, LBN_SELCHANGE, [&] { calls.push_back("selchange"); });
    map.OnNotify(300, UINT(NM_DBLCLK), [&](NMHDR*) -> LRESULT { return 55; });
    map.OnTimer(27, [&] { calls.push_back("timer"); });
    map.OnMessage(WM_APP + 1, [](WPARAM w, LPARAM l) { return LRESULT(w + l); });
    const LPARAM control = 0x1234;  // any control window

    // Menus, accelerators and button clicks are commands; other notifications of the button are not.
    CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(100, 0), 0) == 0);
    CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(100, 1), 0) == 0);
    CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), control) == 0);
    CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(100, BN_DOUBLECLICKED), control) == -1);
    // Control notifications by id and code, and only from the control.
    CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(200, LBN_SELCHANGE), control) == 0);
    CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(200, LBN_DBLCLK), control) == -1);
    CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(200, LBN_SELCHANGE), 0) == -1);
    NMHDR header{reinterpret_cast<HWND>(control), 300, UINT(NM_DBLCLK)};
    CHECK(RouteOrMinusOne(map, WM_NOTIFY, 300, LPARAM(&header)) == 55);
    header.code = UINT(NM_CLICK);
    CHECK(RouteOrMinusOne(map, WM_NOTIFY, 300, LPARAM(&header)) == -1);
    CHECK(RouteOrMinusOne(map, WM_TIMER, 27, 0) == 0);
    CHECK(RouteOrMinusOne(map, WM_TIMER, 28, 0) == -1);
    CHECK(RouteOrMinusOne(map, WM_APP + 1, 40, 2) == 42);
    CHECK(calls == Texts{"command", "command", "command", "selchange", "timer"});

    CMessageMap allTimers;
    std::vector<WPARAM> ids;
    allTimers.OnMessage(WM_TIMER, [&](WPARAM id, LPARAM) -> LRESULT {
        ids.push_back(id);
        return 0;
    });
    RouteOrMinusOne(allTimers, WM_TIMER, 5, 0);
    RouteOrMinusOne(allTimers, WM_TIMER, 12, 0);
    CHECK(ids == std::vector<WPARAM>{5, 12});
}

TEST_CASE("windows of ours: WM_NCCREATE to WM_NCDESTROY, children made during creation, teardown") {
    TestWindow parent, child;
    parent.Map().OnMessage(WM_NCCREATE, [&](WPARAM, LPARAM) -> LRESULT {
        parent.log.push_back("nccreate");
        return TRUE;
    });
    parent.Map().OnMessage(WM_CREATE, [&](WPARAM, LPARAM) -> LRESULT {
        parent.log.push_back("create");
        return child.Make(parent.Handle()) ? 0 : -1;  // a window of ours made while ours is made
    });
    parent.Map().OnMessage(WM_NCDESTROY, [&](WPARAM, LPARAM) -> LRESULT {
        parent.log.push_back("ncdestroy");
        return 0;
    });
    parent.Map().OnMessage(WM_APP, Returns(8));
    child.Map().OnMessage(WM_APP, Returns(7));

    HWND hwnd = parent.Make();
    REQUIRE(hwnd);
    CHECK(CWindowImpl::FromHandle(hwnd) == &parent);
    CHECK(CWindowImpl::FromHandle(child.Handle()) == &child);
    CHECK(::GetParent(child.Handle()) == hwnd);
    CHECK(parent.Send(WM_APP) == 8);
    CHECK(child.Send(WM_APP) == 7);
    ::SetWindowTextA(hwnd, "renamed");  // unhandled: the default handling
    CHECK(parent.Text() == "renamed");

    ::DestroyWindow(hwnd);
    CHECK(parent.log == Texts{"nccreate", "create", "ncdestroy", "final"});
    CHECK(child.log == Texts{"final"});
    CHECK(parent.Handle() == nullptr);
    CHECK(child.Handle() == nullptr);
    CHECK(CWindowImpl::FromHandle(hwnd) == nullptr);
}

TEST_CASE("a window whose object goes first is handed back to the default handling") {
    HWND hwnd = nullptr;
    {
        TestWindow window;
        window.Map().OnMessage(WM_APP, Returns(5));
        hwnd = window.Make();
        REQUIRE(::SendMessageA(hwnd, WM_APP, 0, 0) == 5);
    }
    CHECK(CWindowImpl::FromHandle(hwnd) == nullptr);
    CHECK(::SendMessageA(hwnd, WM_APP, 0, 0) == 0);
    CHECK(::DestroyWindow(hwnd));
}

namespace {

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_TEST_DIALOG) {
        Map().OnMessage(WM_APP, [this](WPARAM, LPARAM) -> LRESULT {
            Click(IDC_TEST_BUTTON);
            Click(IDOK);
            return 0;
        });
        Map().OnCommand(IDC_TEST_BUTTON, [this] { ++others; });
    }
    using CDialog::Map;
    void Click(int id) { Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(Item(id))); }
    int others = 0, okDefaults = 0, destroyed = 0;

protected:
    BOOL OnInitDialog() override {
        Post(WM_APP);  // clicks once the dialog runs its own loop
        return TRUE;
    }
    void OnOK() override {
        ++okDefaults;
        CDialog::OnOK();
    }
    void OnDestroyed() override { ++destroyed; }
};

}  // namespace

TEST_CASE("dialogs: the map before the OK default, WM_INITDIALOG the dialog's own, teardown") {
    TestDialog dialog;
    CHECK_THROWS_AS(dialog.Map().OnMessage(WM_INITDIALOG, Returns(TRUE)), std::logic_error);
    SUBCASE("OK without a map entry runs the default") {
        CHECK(dialog.DoModal(nullptr) == IDOK);
        CHECK(dialog.others == 1);
        CHECK(dialog.okDefaults == 1);
    }
    SUBCASE("OK in the map replaces the default") {
        dialog.Map().OnCommand(IDOK, [&] { dialog.EndDialog(42); });
        CHECK(dialog.DoModal(nullptr) == 42);
        CHECK(dialog.okDefaults == 0);
    }
    SUBCASE("a modeless dialog") {
        REQUIRE(dialog.CreateModeless(nullptr));
        HWND hwnd = dialog.Handle();
        CHECK(CDialog::FromHandle(hwnd) == &dialog);
        dialog.DestroyModeless();
        CHECK_FALSE(::IsWindow(hwnd));
    }
    CHECK(dialog.destroyed == 1);
    CHECK(dialog.Handle() == nullptr);
}

TEST_CASE("the subclass chain: our handler, then the control; one record per control, gone with it") {
    HWND parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 100, 20, parent, nullptr, nullptr, nullptr);
    REQUIRE(edit);
    std::vector<UINT> seen;
    auto alive = std::make_shared<int>(0);
    std::weak_ptr<int> record = alive;
    REQUIRE(SubclassControl(edit, [&seen, alive](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        seen.push_back(m);
        return m == WM_APP + 5 ? 77 : CallOriginal(h, m, w, l);  // WM_APP + 5 never reaches the control
    }));
    alive.reset();
    auto saw = [&](UINT message) { return std::find(seen.begin(), seen.end(), message) != seen.end(); };

    ::SetWindowTextA(edit, "typed");
    CHECK(saw(WM_SETTEXT));
    char text[16] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    CHECK(std::string(text) == "typed");  // and the control got it
    CHECK(::SendMessageA(edit, WM_APP + 5, 0, 0) == 77);
    // A second handler on the same control is refused; the first stays.
    CHECK_FALSE(SubclassControl(edit, [](HWND h, UINT m, WPARAM w, LPARAM l) { return CallOriginal(h, m, w, l); }));
    CHECK(::SendMessageA(edit, WM_APP + 5, 0, 0) == 77);

    // Someone else's procedure put on top passes through to ours.
    static WNDPROC s_below = nullptr;
    static int s_onTop = 0;
    s_below = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        edit, GWLP_WNDPROC, LONG_PTR(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            s_onTop += m == WM_APP + 5;
            return ::CallWindowProcA(s_below, h, m, w, l);
        })));
    CHECK(::SendMessageA(edit, WM_APP + 5, 0, 0) == 77);
    CHECK(s_onTop == 1);

    seen.clear();
    CHECK_FALSE(record.expired());
    ::DestroyWindow(parent);
    CHECK(saw(WM_DESTROY));
    CHECK(record.expired());  // the record went with the control
}

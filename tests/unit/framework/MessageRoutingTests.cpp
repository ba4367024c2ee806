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

LRESULT RouteOrMinusOne(const CMessageMap& map, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    return map.Route(message, wParam, lParam, result) ? result : -1;
}

constexpr char kTestClass[] = "TbFrameworkTestWindow";

class TestWindow : public CWindowImpl {
public:
    TestWindow() {
        static ATOM registered = RegisterWindowClass(kTestClass, 0, nullptr, nullptr, nullptr);
        REQUIRE(registered != 0);
    }
    using CWindowImpl::Map;

    HWND Make(HWND parent = nullptr) {
        return Create(0, kTestClass, "test", parent ? WS_CHILD : WS_POPUP, 0, 0, 100, 80, parent,
                      parent ? reinterpret_cast<HMENU>(UINT_PTR(7)) : nullptr);
    }

    std::vector<std::string> log;
    int finalMessages = 0;

protected:
    void OnFinalMessage() override {
        ++finalMessages;
        log.push_back("final");
    }
};

}  // namespace

TEST_CASE("a message map takes each registration once and one way in per message") {
    CMessageMap map;
    int first = 0;
    map.OnMessage(WM_SIZE, [&](WPARAM, LPARAM) -> LRESULT { return ++first; });
    CHECK_THROWS_AS(map.OnMessage(WM_SIZE, [](WPARAM, LPARAM) -> LRESULT { return 99; }), std::logic_error);
    CHECK(RouteOrMinusOne(map, WM_SIZE, 0, 0) == 1);  // the first handler is still the one

    map.OnCommand(5, [] {});
    CHECK_THROWS_AS(map.OnCommand(5, [] {}), std::logic_error);
    CHECK_THROWS_AS(map.OnControl(5, BN_CLICKED, [] {}), std::logic_error);  // the command takes the clicks
    CHECK_NOTHROW(map.OnControl(5, EN_CHANGE, [] {}));
    CHECK_THROWS_AS(map.OnControl(5, EN_CHANGE, [] {}), std::logic_error);
    map.OnControl(6, BN_CLICKED, [] {});
    CHECK_THROWS_AS(map.OnCommand(6, [] {}), std::logic_error);

    map.OnNotify(9, UINT(NM_CLICK), [](NMHDR*) -> LRESULT { return 0; });
    CHECK_THROWS_AS(map.OnNotify(9, UINT(NM_CLICK), [](NMHDR*) -> LRESULT { return 0; }), std::logic_error);
    CHECK_NOTHROW(map.OnNotify(10, UINT(NM_CLICK), [](NMHDR*) -> LRESULT { return 0; }));

    map.OnTimer(12, [] {});
    CHECK_THROWS_AS(map.OnTimer(12, [] {}), std::logic_error);
    CHECK_THROWS_AS(map.OnMessage(WM_TIMER, [](WPARAM, LPARAM) -> LRESULT { return 0; }), std::logic_error);
    CMessageMap allTimers;
    allTimers.OnMessage(WM_TIMER, [](WPARAM, LPARAM) -> LRESULT { return 0; });
    CHECK_THROWS_AS(allTimers.OnTimer(1, [] {}), std::logic_error);

    // Commands and notifications have their own tables only.
    CHECK_THROWS_AS(map.OnMessage(WM_COMMAND, [](WPARAM, LPARAM) -> LRESULT { return 0; }), std::logic_error);
    CHECK_THROWS_AS(map.OnMessage(WM_NOTIFY, [](WPARAM, LPARAM) -> LRESULT { return 0; }), std::logic_error);

    // What the window class handles itself cannot be registered, before or after.
    map.Reserve(WM_INITDIALOG);
    CHECK_THROWS_AS(map.OnMessage(WM_INITDIALOG, [](WPARAM, LPARAM) -> LRESULT { return 0; }), std::logic_error);
    CHECK_THROWS_AS(map.Reserve(WM_SIZE), std::logic_error);
}

TEST_CASE("routing: each message reaches the one handler registered for it") {
    CMessageMap map;
    std::vector<std::string> calls;
    map.OnCommand(100, [&] { calls.push_back("command 100"); });
    map.OnControl(200, LBN_SELCHANGE, [&] { calls.push_back("selchange 200"); });
    map.OnNotify(300, UINT(NM_DBLCLK), [&](NMHDR* header) -> LRESULT {
        calls.push_back("notify " + std::to_string(header->idFrom));
        return 55;
    });
    map.OnTimer(27, [&] { calls.push_back("timer 27"); });
    map.OnMessage(WM_APP + 1, [&](WPARAM w, LPARAM l) -> LRESULT { return LRESULT(w + l); });
    const LPARAM control = 0x1234;  // any control window

    SUBCASE("menus, accelerators and button clicks are commands") {
        CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(100, 0), 0) == 0);
        CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(100, 1), 0) == 0);
        CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), control) == 0);
        CHECK(calls == std::vector<std::string>(3, "command 100"));
        // Another notification of that control is not a command.
        CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(100, BN_DOUBLECLICKED), control) == -1);
    }
    SUBCASE("control notifications by id and code") {
        CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(200, LBN_SELCHANGE), control) == 0);
        CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(200, LBN_DBLCLK), control) == -1);
        // A menu item with the control's id is not the control's notification.
        CHECK(RouteOrMinusOne(map, WM_COMMAND, MAKEWPARAM(200, LBN_SELCHANGE), 0) == -1);
        CHECK(calls == std::vector<std::string>{"selchange 200"});
    }
    SUBCASE("WM_NOTIFY by id and code, with the handler's result") {
        NMHDR header{reinterpret_cast<HWND>(control), 300, UINT(NM_DBLCLK)};
        CHECK(RouteOrMinusOne(map, WM_NOTIFY, 300, LPARAM(&header)) == 55);
        header.code = UINT(NM_CLICK);
        CHECK(RouteOrMinusOne(map, WM_NOTIFY, 300, LPARAM(&header)) == -1);
        CHECK(calls == std::vector<std::string>{"notify 300"});
    }
    SUBCASE("timers by id; other timers are not handled") {
        CHECK(RouteOrMinusOne(map, WM_TIMER, 27, 0) == 0);
        CHECK(RouteOrMinusOne(map, WM_TIMER, 28, 0) == -1);
        CHECK(calls == std::vector<std::string>{"timer 27"});
        CMessageMap allTimers;
        std::vector<WPARAM> ids;
        allTimers.OnMessage(WM_TIMER, [&](WPARAM id, LPARAM) -> LRESULT {
            ids.push_back(id);
            return 0;
        });
        CHECK(RouteOrMinusOne(allTimers, WM_TIMER, 5, 0) == 0);
        CHECK(RouteOrMinusOne(allTimers, WM_TIMER, 12, 0) == 0);
        CHECK(ids == std::vector<WPARAM>{5, 12});
    }
    SUBCASE("other messages with their parameters and result") {
        CHECK(RouteOrMinusOne(map, WM_APP + 1, 40, 2) == 42);
        CHECK(RouteOrMinusOne(map, WM_APP + 2, 40, 2) == -1);
    }
}

TEST_CASE("a window of ours sees its messages from WM_NCCREATE to WM_NCDESTROY") {
    TestWindow window;
    window.Map().OnMessage(WM_NCCREATE, [&](WPARAM, LPARAM) -> LRESULT {
        window.log.push_back("nccreate");
        return TRUE;
    });
    window.Map().OnMessage(WM_CREATE, [&](WPARAM, LPARAM) -> LRESULT {
        window.log.push_back("create");
        return 0;
    });
    window.Map().OnMessage(WM_APP, [](WPARAM w, LPARAM) -> LRESULT { return LRESULT(w * 2); });
    window.Map().OnMessage(WM_NCDESTROY, [&](WPARAM, LPARAM) -> LRESULT {
        window.log.push_back("ncdestroy");
        return 0;
    });
    HWND hwnd = window.Make();
    REQUIRE(hwnd);
    CHECK(window.Handle() == hwnd);
    CHECK(CWindowImpl::FromHandle(hwnd) == &window);
    CHECK(window.log == std::vector<std::string>{"nccreate", "create"});
    CHECK(::SendMessageA(hwnd, WM_APP, 21, 0) == 42);
    // Unhandled messages get the default handling.
    ::SetWindowTextA(hwnd, "renamed");
    CHECK(window.Text() == "renamed");

    ::DestroyWindow(hwnd);
    CHECK(window.log == std::vector<std::string>{"nccreate", "create", "ncdestroy", "final"});
    CHECK(window.finalMessages == 1);
    CHECK(window.Handle() == nullptr);
    CHECK(CWindowImpl::FromHandle(hwnd) == nullptr);
}

TEST_CASE("a window may create its own child while it is being created") {
    TestWindow parent, child;
    parent.Map().OnMessage(WM_CREATE, [&](WPARAM, LPARAM) -> LRESULT { return child.Make(parent.Handle()) ? 0 : -1; });
    child.Map().OnMessage(WM_APP, [](WPARAM, LPARAM) -> LRESULT { return 7; });
    parent.Map().OnMessage(WM_APP, [](WPARAM, LPARAM) -> LRESULT { return 8; });
    REQUIRE(parent.Make());
    REQUIRE(child.Handle());
    CHECK(::GetParent(child.Handle()) == parent.Handle());
    CHECK(CWindowImpl::FromHandle(parent.Handle()) == &parent);
    CHECK(CWindowImpl::FromHandle(child.Handle()) == &child);
    CHECK(child.Send(WM_APP) == 7);
    CHECK(parent.Send(WM_APP) == 8);

    // A window created afterwards, of another kind, is left alone.
    HWND plain = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(plain);
    CHECK(CWindowImpl::FromHandle(plain) == nullptr);
    ::DestroyWindow(plain);

    ::DestroyWindow(parent.Handle());
    CHECK(parent.finalMessages == 1);
    CHECK(child.finalMessages == 1);
    CHECK(child.Handle() == nullptr);
}

TEST_CASE("a window whose object goes first is handed back and stays usable") {
    HWND hwnd = nullptr;
    {
        TestWindow window;
        window.Map().OnMessage(WM_APP, [](WPARAM, LPARAM) -> LRESULT { return 5; });
        hwnd = window.Make();
        REQUIRE(hwnd);
        CHECK(::SendMessageA(hwnd, WM_APP, 0, 0) == 5);
    }
    REQUIRE(::IsWindow(hwnd));
    CHECK(CWindowImpl::FromHandle(hwnd) == nullptr);
    CHECK(::SendMessageA(hwnd, WM_APP, 0, 0) == 0);  // the default handling now
    ::SetWindowTextA(hwnd, "still here");
    char text[32] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    CHECK(std::string(text) == "still here");
    CHECK(::DestroyWindow(hwnd));
}

namespace {

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_TEST_DIALOG) {}
    using CDialog::Map;

    std::function<void(TestDialog&)> script;
    int okDefaults = 0;
    int destroyed = 0;

protected:
    BOOL OnInitDialog() override {
        // Runs the script once the dialog is up, from its own message loop.
        Post(WM_APP);
        return TRUE;
    }
    void OnOK() override {
        ++okDefaults;
        CDialog::OnOK();
    }
    void OnDestroyed() override { ++destroyed; }
};

void Click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(dialog, id)));
}

}  // namespace

TEST_CASE("dialogs: the map comes before the OK and Cancel defaults, and WM_INITDIALOG is the dialog's own") {
    TestDialog dialog;
    CHECK_THROWS_AS(dialog.Map().OnMessage(WM_INITDIALOG, [](WPARAM, LPARAM) -> LRESULT { return TRUE; }),
                    std::logic_error);
    dialog.Map().OnMessage(WM_APP, [&](WPARAM, LPARAM) -> LRESULT {
        if (dialog.script) dialog.script(dialog);
        return 0;
    });
    int others = 0;
    dialog.Map().OnCommand(IDC_TEST_BUTTON, [&] { ++others; });

    SUBCASE("OK without a map entry runs the default") {
        dialog.script = [&](TestDialog& d) {
            Click(d.Handle(), IDC_TEST_BUTTON);
            Click(d.Handle(), IDOK);
        };
        CHECK(dialog.DoModal(nullptr) == IDOK);
        CHECK(others == 1);
        CHECK(dialog.okDefaults == 1);
    }
    SUBCASE("OK in the map replaces the default") {
        dialog.Map().OnCommand(IDOK, [&] { dialog.EndDialog(42); });
        dialog.script = [&](TestDialog& d) { Click(d.Handle(), IDOK); };
        CHECK(dialog.DoModal(nullptr) == 42);
        CHECK(dialog.okDefaults == 0);
    }
    CHECK(dialog.destroyed == 1);
    CHECK(dialog.Handle() == nullptr);
}

TEST_CASE("a modeless dialog lets go of its object at WM_NCDESTROY") {
    TestDialog dialog;
    REQUIRE(dialog.CreateModeless(nullptr));
    HWND hwnd = dialog.Handle();
    CHECK(CDialog::FromHandle(hwnd) == &dialog);
    dialog.DestroyModeless();
    CHECK(dialog.destroyed == 1);
    CHECK(dialog.Handle() == nullptr);
    CHECK_FALSE(::IsWindow(hwnd));
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
        if (m == WM_APP + 5) return 77;  // taken here, the control never sees it
        return CallOriginal(h, m, w, l);
    }));
    alive.reset();

    ::SetWindowTextA(edit, "typed");
    CHECK(std::find(seen.begin(), seen.end(), UINT(WM_SETTEXT)) != seen.end());
    char text[16] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    CHECK(std::string(text) == "typed");  // and the control got it
    CHECK(::SendMessageA(edit, WM_APP + 5, 0, 0) == 77);

    // A second handler on the same control is refused; the first stays.
    CHECK_FALSE(SubclassControl(edit, [](HWND h, UINT m, WPARAM w, LPARAM l) { return CallOriginal(h, m, w, l); }));
    CHECK(::SendMessageA(edit, WM_APP + 5, 0, 0) == 77);

    // Someone else's procedure on top passes through to ours.
    static WNDPROC s_ours = nullptr;
    static int s_onTop = 0;
    s_ours = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        edit, GWLP_WNDPROC, LONG_PTR(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_APP + 5) ++s_onTop;
            return ::CallWindowProcA(s_ours, h, m, w, l);
        })));
    CHECK(::SendMessageA(edit, WM_APP + 5, 0, 0) == 77);
    CHECK(s_onTop == 1);

    CHECK_FALSE(record.expired());
    const size_t before = seen.size();
    ::DestroyWindow(parent);
    CHECK(std::find(seen.begin() + long(before), seen.end(), UINT(WM_DESTROY)) != seen.end());
    CHECK(record.expired());  // the record went with the control
}

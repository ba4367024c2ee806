// The frame's status bar: the first pane's share of a narrow window, and the
// text it shows when no command is pointed at.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "doctest/doctest.h"
#include "framework/FrameWindow.h"

using namespace tb;

namespace {

constexpr char kClass[] = "TbStatusBarTestFrame";

struct Frame : CFrameWindow {
    explicit Frame(int width) {
        static const ATOM registered = RegisterWindowClass(kClass, 0, nullptr, nullptr, nullptr);
        (void)registered;
        Create(0, kClass, "status", WS_OVERLAPPEDWINDOW, 0, 0, width, 300, nullptr, nullptr);
        CreateStatusBar({400});
    }
    ~Frame() override {
        if (Handle()) ::DestroyWindow(Handle());
    }
    int FirstPaneRight() const {
        int edges[2] = {};
        ::SendMessageA(StatusBar(), SB_GETPARTS, 2, LPARAM(edges));
        return edges[0];
    }
    int ClientWidth() const {
        RECT r{};
        ::GetClientRect(Handle(), &r);
        return r.right;
    }
    std::string FirstPaneText() const {
        char text[256] = {};
        ::SendMessageA(StatusBar(), SB_GETTEXTA, 0, LPARAM(text));
        return text;
    }
};

}  // namespace

TEST_CASE("the first status pane stretches, and keeps half of a narrow window") {
    Frame wide(1000);
    REQUIRE(wide.StatusBar());
    CHECK(wide.FirstPaneRight() == wide.ClientWidth() - 400);
    Frame narrow(450);
    CHECK(narrow.FirstPaneRight() == narrow.ClientWidth() / 2);
}

TEST_CASE("the idle text replaces Ready and comes back after a command's prompt") {
    Frame frame(800);
    CHECK(frame.FirstPaneText() == "Ready");
    frame.SetIdleText("3 files archived in C:\\Auto Archives\\x.zip");
    CHECK(frame.FirstPaneText() == "3 files archived in C:\\Auto Archives\\x.zip");
    // A menu closes: the pane shows the idle text again, not "Ready".
    ::SendMessageA(frame.Handle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    CHECK(frame.FirstPaneText() == "3 files archived in C:\\Auto Archives\\x.zip");
    frame.SetIdleText("");
    CHECK(frame.FirstPaneText() == "Ready");
}

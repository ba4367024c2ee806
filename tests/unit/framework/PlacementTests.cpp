// Where dialogs and sheets come up: centred over their owner, kept on the
// work area of the owner's monitor.
#include <windows.h>

#include "doctest/doctest.h"
#include "framework/Placement.h"

using namespace tb;

namespace {
const RECT kDialog{0, 0, 300, 200};
const RECT kPrimaryWork{0, 0, 1280, 984};
// A second monitor to the right of the primary one, and one to its left.
const RECT kRightWork{1280, 0, 2560, 1040};
const RECT kLeftWork{-1920, 0, 0, 1040};

bool Inside(POINT at, const RECT& dialog, const RECT& work) {
    const LONG width = dialog.right - dialog.left, height = dialog.bottom - dialog.top;
    return at.x >= work.left && at.y >= work.top && at.x + width <= work.right && at.y + height <= work.bottom;
}
}  // namespace

TEST_CASE("a dialog is centred over its owner on the owner's monitor") {
    SUBCASE("owner in the middle of a second monitor") {
        const POINT at = CenteredPosition(kDialog, RECT{1400, 100, 2200, 700}, kRightWork);
        CHECK(at.x == 1650);
        CHECK(at.y == 300);
    }
    SUBCASE("owner over the far edge of a second monitor: pulled back onto that monitor, not the primary") {
        const POINT at = CenteredPosition(kDialog, RECT{2300, 100, 2900, 500}, kRightWork);
        CHECK(at.x == 2560 - 300);
        CHECK(at.y == 200);
        CHECK(Inside(at, kDialog, kRightWork));
        CHECK_FALSE(Inside(at, kDialog, kPrimaryWork));
    }
    SUBCASE("owner on the near edge of a second monitor: stays on it") {
        const POINT at = CenteredPosition(kDialog, RECT{1200, 100, 1500, 400}, kRightWork);
        CHECK(at.x == 1280);
        CHECK(Inside(at, kDialog, kRightWork));
    }
    SUBCASE("a monitor at negative coordinates") {
        const POINT at = CenteredPosition(kDialog, RECT{-1900, 900, -1000, 1200}, kLeftWork);
        CHECK(at.x == (-1900 + -1000 - 300) / 2);
        CHECK(at.y == 1040 - 200);
        CHECK(Inside(at, kDialog, kLeftWork));
    }
    SUBCASE("a dialog larger than the work area keeps its caption and left edge on it") {
        const POINT at = CenteredPosition(RECT{0, 0, 1500, 1200}, RECT{1400, 100, 2200, 700}, kRightWork);
        CHECK(at.x == 1280);
        CHECK(at.y == 0);
    }
    SUBCASE("an owner smaller than the dialog, on the primary monitor") {
        const POINT at = CenteredPosition(kDialog, RECT{500, 400, 600, 450}, kPrimaryWork);
        CHECK(at.x == 400);
        CHECK(at.y == 325);
    }
}

TEST_CASE("a real owned window is centred over its visible owner") {
    HWND owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                   nullptr, nullptr);
    HWND owned = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, owner, nullptr, nullptr, nullptr);
    REQUIRE(owned);
    const RECT work = MonitorWorkArea(owner);
    CHECK(work.right > work.left);
    CenterOverOwner(owned);
    RECT placed{};
    ::GetWindowRect(owned, &placed);
    CHECK(placed.left == 200);
    CHECK(placed.top == 200);

    // A hidden owner leaves the window where it is.
    ::ShowWindow(owner, SW_HIDE);
    ::SetWindowPos(owned, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CenterOverOwner(owned);
    ::GetWindowRect(owned, &placed);
    CHECK(placed.left == 5);
    ::DestroyWindow(owner);
}

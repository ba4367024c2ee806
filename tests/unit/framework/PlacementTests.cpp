// Where dialogs and sheets come up: centred over their owner, kept on the
// work area of the owner's monitor.
#include <windows.h>

#include <utility>

#include "doctest/doctest.h"
#include "framework/Placement.h"

using namespace tb;

TEST_CASE("a dialog is centred over its owner and kept on the owner's monitor") {
    const RECT dialog{0, 0, 300, 200};
    const RECT right{1280, 0, 2560, 1040};  // a second monitor right of the primary
    const RECT left{-1920, 0, 0, 1040};     // and one left of it
    auto at = [&](const RECT& owner, const RECT& work) {
        const POINT p = CenteredPosition(dialog, owner, work);
        return std::make_pair(p.x, p.y);
    };
    CHECK(at(RECT{1400, 100, 2200, 700}, right) == std::make_pair(1650L, 300L));
    // An owner over an edge of the second monitor: pulled back onto that
    // monitor, not onto the primary one.
    CHECK(at(RECT{2300, 100, 2900, 500}, right) == std::make_pair(2260L, 200L));
    CHECK(at(RECT{1200, 100, 1500, 400}, right) == std::make_pair(1280L, 150L));
    CHECK(at(RECT{-1900, 900, -1000, 1200}, left) == std::make_pair(-1600L, 840L));
    // Larger than the work area: the caption and the left edge stay on it.
    CHECK(CenteredPosition(RECT{0, 0, 1500, 1200}, RECT{1400, 100, 2200, 700}, right).x == 1280);
    CHECK(CenteredPosition(RECT{0, 0, 1500, 1200}, RECT{1400, 100, 2200, 700}, right).y == 0);
}

TEST_CASE("a real owned window is centred over its visible owner, and left alone by a hidden one") {
    HWND owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                   nullptr, nullptr);
    HWND owned = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 5, 6, 200, 100, owner, nullptr, nullptr, nullptr);
    REQUIRE(owned);
    RECT placed{};
    ::ShowWindow(owner, SW_HIDE);
    CenterOverOwner(owned);
    ::GetWindowRect(owned, &placed);
    CHECK(placed.left == 5);
    ::ShowWindow(owner, SW_SHOWNA);
    CenterOverOwner(owned);
    ::GetWindowRect(owned, &placed);
    CHECK(placed.left == 200);
    CHECK(placed.top == 200);
    ::DestroyWindow(owner);
}

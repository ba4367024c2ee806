// Control helpers: list box queries, picture buttons, and the painting of
// owner-drawn list rows, checked on real controls and real pixels.
#include <windows.h>

#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "framework/BitmapButton.h"
#include "framework/Handles.h"
#include "framework/ListRedraw.h"
#include "framework/RowPainter.h"
#include "framework/Window.h"

using namespace tb;

namespace {

// A hidden top-level window to put controls in.
class Host {
public:
    Host() {
        m_hwnd = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
        REQUIRE(m_hwnd);
    }
    ~Host() { ::DestroyWindow(m_hwnd); }
    HWND Control(const char* className, DWORD style, int id) const {
        HWND control = ::CreateWindowExA(0, className, "", WS_CHILD | style, 0, 0, 200, 200, m_hwnd,
                                         reinterpret_cast<HMENU>(UINT_PTR(id)), nullptr, nullptr);
        REQUIRE(control);
        return control;
    }
    HWND Handle() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

UniqueBitmap SolidBitmap(int width, int height, COLORREF colour) {
    WindowDC screen(nullptr);
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), width, height));
    MemoryDC dc(screen.Get());
    SelectedObject chosen(dc.Get(), bitmap.Get());
    UniqueBrush brush(::CreateSolidBrush(colour));
    RECT all{0, 0, width, height};
    ::FillRect(dc.Get(), &all, brush.Get());
    return bitmap;
}

// A picture to draw into and read back.
struct Canvas {
    Canvas(int width, int height) : bitmap(SolidBitmap(width, height, RGB(0, 0, 0))), chosen(dc.Get(), bitmap.Get()) {}
    HDC Dc() const { return dc.Get(); }
    COLORREF At(int x, int y) const { return ::GetPixel(dc.Get(), x, y); }
    // Whether rows [top, bottom) of columns [left, right) hold any pixel but `background`.
    bool Ink(int left, int right, int top, int bottom, COLORREF background) const {
        for (int x = left; x < right; ++x)
            for (int y = top; y < bottom; ++y)
                if (At(x, y) != background) return true;
        return false;
    }
    UniqueBitmap bitmap;
    MemoryDC dc{nullptr};
    SelectedObject chosen;
};

DRAWITEMSTRUCT Item(HWND control, HDC dc, RECT r, UINT state, UINT type, int index = 0) {
    DRAWITEMSTRUCT item{};
    item.CtlType = type;
    item.CtlID = UINT(::GetDlgCtrlID(control));
    item.itemID = UINT(index);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = control;
    item.hDC = dc;
    item.rcItem = r;
    return item;
}

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

}  // namespace

TEST_CASE("list box helpers on a multiple-selection list") {
    Host host;
    CListBox list(host.Control("LISTBOX", LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 10));
    for (const char* line : {"alpha", "Beta", "beta two", "gamma", "BETA"}) list.Add(line);
    for (int i = 0; i < 40; ++i) list.Add("filler " + std::to_string(i));

    // The exact search ignores case but not length, and goes on after a line.
    CHECK(list.FindExact("beta") == 1);
    CHECK(list.FindExact("beta", 1) == 4);
    CHECK(list.FindExact("bet") == LB_ERR);
    CHECK(list.FindPrefix("bet") == 1);

    CHECK(list.SelCount() == 0);
    CHECK(list.SelectedIndices().empty());
    for (int line : {3, 0, 30}) list.Select(line, true);
    CHECK(list.SelCount() == 3);
    CHECK(list.SelectedIndices() == std::vector<int>{0, 3, 30});

    list.SetTopIndex(20);
    CHECK(list.TopIndex() == 20);
    const std::string longLine(3000, 'x');
    list.Insert(0, longLine);
    CHECK(list.GetText(0) == longLine);
    CHECK(list.GetText(200).empty());
}

TEST_CASE("a picture button draws its up and down pictures, the focus and the disabled state") {
    Host host;
    HWND button = host.Control("BUTTON", BS_PUSHBUTTON, 1084);
    HWND other = host.Control("BUTTON", BS_PUSHBUTTON, 1085);
    CHECK(PictureNamesFromCaption("Open_Existing_Archive").up == "OPEN_EXISTING_ARCHIVEU");
    CHECK(PictureNamesFromCaption("&Settings").down == "SETTINGSD");
    CBitmapButton picture;
    CHECK_FALSE(picture.Load(host.Handle(), 1084, "NO_SUCH_PICTUREU", "NO_SUCH_PICTURED"));
    REQUIRE(picture.Attach(button, SolidBitmap(40, 30, kRed), SolidBitmap(40, 30, kBlue)));
    CHECK((::GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW);

    picture.SizeToContent();
    RECT size{};
    ::GetClientRect(button, &size);
    CHECK(size.right == 40);
    CHECK(size.bottom == 30);

    Canvas canvas(60, 50);
    const RECT r{0, 0, 60, 50};
    CHECK_FALSE(picture.Draw(Item(other, canvas.Dc(), r, 0, ODT_BUTTON)));  // not this button
    CHECK(canvas.At(30, 25) == RGB(0, 0, 0));

    REQUIRE(picture.Draw(Item(button, canvas.Dc(), r, 0, ODT_BUTTON)));
    CHECK(canvas.At(30, 25) == kRed);                        // centred picture
    CHECK(canvas.At(1, 1) == ::GetSysColor(COLOR_BTNFACE));  // face around it
    CHECK(canvas.At(11, 11) == kRed);

    picture.Draw(Item(button, canvas.Dc(), r, ODS_SELECTED, ODT_BUTTON));
    CHECK(canvas.At(30, 25) == kBlue);

    picture.Draw(Item(button, canvas.Dc(), r, ODS_FOCUS, ODT_BUTTON));
    CHECK(canvas.At(30, 25) == kRed);
    CHECK(canvas.Ink(3, 4, 3, 47, ::GetSysColor(COLOR_BTNFACE)));  // the focus line

    // Disabled, even while pressed: the up picture greyed.
    picture.Draw(Item(button, canvas.Dc(), r, ODS_DISABLED | ODS_SELECTED, ODT_BUTTON));
    CHECK(canvas.At(30, 25) != kRed);
    CHECK(canvas.At(30, 25) != kBlue);
}

TEST_CASE("list rows: colours, the icon cell of a selected row, the icon, and the DC as it was") {
    Host host;
    HWND list = host.Control("LISTBOX", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 1048);
    Canvas canvas(400, 17);
    const RECT row{0, 0, 400, 17};
    const int tabs[] = {20, 100, 160, 220, 280, 340, 400};
    UniqueBitmap colour = SolidBitmap(16, 16, kRed);
    UniqueBitmap mask = SolidBitmap(16, 16, RGB(0, 0, 0));
    ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
    UniqueIcon icon(::CreateIconIndirect(&info));
    REQUIRE(icon);
    ::SetTextColor(canvas.Dc(), RGB(1, 2, 3));
    ::SetBkColor(canvas.Dc(), RGB(4, 5, 6));

    SUBCASE("an unselected row: window colours, the icon at the left") {
        PaintListRow(Item(list, canvas.Dc(), row, 0, ODT_LISTBOX), "\tname\text", {RowText::Columns, tabs, icon.Get()});
        CHECK(canvas.At(399, 16) == ::GetSysColor(COLOR_WINDOW));
        CHECK(canvas.At(2 + 8, 8) == kRed);
        CHECK(canvas.At(1, 8) == ::GetSysColor(COLOR_WINDOW));
        CHECK(canvas.Ink(20, 90, 0, 17, ::GetSysColor(COLOR_WINDOW)));  // the name at its stop
    }
    SUBCASE("a selected row: highlight, and the icon cell in the workspace colour") {
        PaintListRow(Item(list, canvas.Dc(), row, ODS_SELECTED, ODT_LISTBOX), "\tname",
                     {RowText::Columns, tabs, nullptr});
        CHECK(canvas.At(399, 16) == ::GetSysColor(COLOR_HIGHLIGHT));
        CHECK(canvas.At(1, 8) == ::GetSysColor(COLOR_APPWORKSPACE));
        CHECK(canvas.At(18, 8) == ::GetSysColor(COLOR_APPWORKSPACE));
        CHECK(canvas.At(19, 8) == ::GetSysColor(COLOR_HIGHLIGHT));
    }
    SUBCASE("no text, and plain text with its tabs expanded") {
        PaintListRow(Item(list, canvas.Dc(), row, 0, ODT_LISTBOX), "\tname", {RowText::None, tabs, nullptr});
        CHECK_FALSE(canvas.Ink(0, 400, 0, 17, ::GetSysColor(COLOR_WINDOW)));
        PaintListRow(Item(list, canvas.Dc(), row, 0, ODT_LISTBOX), "xx", {RowText::Plain, nullptr, nullptr});
        CHECK(canvas.Ink(0, 5, 0, 17, ::GetSysColor(COLOR_WINDOW)));  // from the row's edge, not a tab stop
    }
    SUBCASE("the focused row gets the focus rectangle") {
        PaintListRow(Item(list, canvas.Dc(), row, ODS_FOCUS, ODT_LISTBOX), "", {RowText::None, tabs, nullptr});
        CHECK(canvas.Ink(0, 400, 0, 1, ::GetSysColor(COLOR_WINDOW)));
        CHECK_FALSE(canvas.Ink(1, 399, 5, 12, ::GetSysColor(COLOR_WINDOW)));
    }
    CHECK(::GetTextColor(canvas.Dc()) == RGB(1, 2, 3));
    CHECK(::GetBkColor(canvas.Dc()) == RGB(4, 5, 6));
}

namespace {
// Counts the rows an owner-drawn list asks its parent to draw.
int g_rowsDrawn = 0;
WNDPROC g_hostProc = nullptr;
LRESULT CALLBACK CountingHost(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        ++g_rowsDrawn;
        return TRUE;
    }
    if (message == WM_MEASUREITEM) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 17;
        return TRUE;
    }
    return ::CallWindowProcA(g_hostProc, hwnd, message, wParam, lParam);
}
// The throttle's clock, moved by the test.
DWORD g_ticks = 0;
DWORD WINAPI TestTicks() { return g_ticks; }
}  // namespace

TEST_CASE("a throttled list repaints while its page fills, then only moves its scroll bar, and repaints at the end") {
    Host host;
    g_hostProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(host.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingHost)));
    HWND list = host.Control("LISTBOX", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                                            WS_VISIBLE, 1048);
    ::ShowWindow(host.Handle(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(host.Handle());
    CListBox rows(list);
    auto add = [&](int lines) {
        for (int i = 0; i < lines; ++i) rows.Add("\tline " + std::to_string(rows.Count()));
    };
    auto scrollMax = [&] {
        SCROLLINFO info{sizeof info, SIF_RANGE};
        ::GetScrollInfo(list, SB_VERT, &info);
        return info.nMax;
    };
    // The throttle acts at most every 100 ms of its clock, which the test moves.
    g_ticks = 5000;
    {
        CListRedrawThrottle throttle(list, true, &TestTicks);
        add(3);
        g_rowsDrawn = 0;
        throttle.Tick(true);
        CHECK(g_rowsDrawn == 3);

        add(3);  // 6 of the 12 rows the list shows
        g_ticks += 99;
        g_rowsDrawn = 0;
        throttle.Tick(false);  // too soon: nothing
        CHECK(g_rowsDrawn == 0);
        g_ticks += 1;
        throttle.Tick(false);
        CHECK(g_rowsDrawn == 6);

        add(100);  // far below the page
        g_ticks += 99;
        throttle.Tick(false);  // too soon: not even the scroll bar
        CHECK(scrollMax() < 105);
        g_ticks += 1;
        g_rowsDrawn = 0;
        throttle.Tick(false);
        CHECK(g_rowsDrawn == 0);
        CHECK(scrollMax() == 105);
        g_rowsDrawn = 0;
    }
    CHECK(g_rowsDrawn > 0);  // redrawing is back on, the list repainted
    ::SetWindowLongPtrA(host.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_hostProc));
}

// Control helpers: list box queries, picture buttons, and the painting of
// owner-drawn list rows, checked on real controls and real pixels.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "framework/BitmapButton.h"
#include "framework/Handles.h"
#include "framework/RowPainter.h"
#include "framework/TabbedText.h"
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

// A 32-bit picture to draw into and read back.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_dc = ::CreateCompatibleDC(nullptr);
        m_old = ::SelectObject(m_dc, m_bitmap.Get());
        RECT all{0, 0, width, height};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    ~Canvas() {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    // Columns in [left, right) of row band [top, bottom) holding any pixel
    // other than `background`.
    std::vector<int> InkColumns(int left, int right, int top, int bottom, COLORREF background) const {
        std::vector<int> columns;
        for (int x = left; x < right; ++x)
            for (int y = top; y < bottom; ++y)
                if (At(x, y) != background) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    }

private:
    int m_width, m_height;
    UniqueBitmap m_bitmap;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

UniqueBitmap SolidBitmap(int width, int height, COLORREF colour) {
    HDC screen = ::GetDC(nullptr);
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    {
        MemoryDC dc(screen);
        SelectedObject chosen(dc.Get(), bitmap.Get());
        UniqueBrush brush(::CreateSolidBrush(colour));
        RECT all{0, 0, width, height};
        ::FillRect(dc.Get(), &all, brush.Get());
    }
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

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
    const char* lines[] = {"alpha", "Beta", "beta two", "gamma", "BETA"};
    for (const char* line : lines) list.Add(line);
    for (int i = 0; i < 40; ++i) list.Add("filler " + std::to_string(i));

    SUBCASE("exact find ignores case but not length; prefix find takes the first beginning") {
        CHECK(list.FindExact("beta") == 1);
        CHECK(list.FindExact("beta", 1) == 4);  // searching after line 1
        CHECK(list.FindExact("bet") == LB_ERR);
        CHECK(list.FindPrefix("bet") == 1);
        CHECK(list.FindExact("delta") == LB_ERR);
    }
    SUBCASE("selection count and the selected lines, in order") {
        CHECK(list.SelCount() == 0);
        CHECK(list.SelectedIndices().empty());
        list.Select(3, true);
        list.Select(0, true);
        list.Select(30, true);
        CHECK(list.SelCount() == 3);
        CHECK(list.SelectedIndices() == std::vector<int>{0, 3, 30});
        CHECK(list.SelectedItems(2) == std::vector<int>{0, 3});
    }
    SUBCASE("top line and texts") {
        list.SetTopIndex(20);
        CHECK(list.TopIndex() == 20);
        CHECK(list.GetText(1) == "Beta");
        CHECK(list.GetText(200).empty());
        const std::string longLine(3000, 'x');
        list.Insert(0, longLine);
        CHECK(list.GetText(0) == longLine);
    }
}

TEST_CASE("picture buttons: names from the caption and the picture for each state") {
    CHECK(PictureNamesFromCaption("Open_Existing_Archive").up == "OPEN_EXISTING_ARCHIVEU");
    CHECK(PictureNamesFromCaption("Open_Existing_Archive").down == "OPEN_EXISTING_ARCHIVED");
    CHECK(PictureNamesFromCaption("&Settings").up == "SETTINGSU");

    CHECK(PictureForState(0) == ButtonPicture::Up);
    CHECK(PictureForState(ODS_FOCUS) == ButtonPicture::Up);
    CHECK(PictureForState(ODS_SELECTED | ODS_FOCUS) == ButtonPicture::Down);
    CHECK(PictureForState(ODS_DISABLED) == ButtonPicture::Disabled);
    CHECK(PictureForState(ODS_DISABLED | ODS_SELECTED) == ButtonPicture::Disabled);
}

TEST_CASE("a picture button draws its up and down pictures, the focus and the disabled state") {
    Host host;
    HWND button = host.Control("BUTTON", BS_PUSHBUTTON, 1084);
    HWND other = host.Control("BUTTON", BS_PUSHBUTTON, 1085);
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
    CHECK(canvas.InkColumns(3, 4, 3, 47, ::GetSysColor(COLOR_BTNFACE)).size() == 1);  // the focus line

    picture.Draw(Item(button, canvas.Dc(), r, ODS_DISABLED, ODT_BUTTON));
    CHECK(canvas.At(30, 25) != kRed);
    CHECK(canvas.At(30, 25) != kBlue);
}

TEST_CASE("tabbed text: fields in their columns, the middle three centred") {
    Canvas canvas(640, 20);
    ::SetBkColor(canvas.Dc(), RGB(255, 255, 255));
    ::SetTextColor(canvas.Dc(), RGB(0, 0, 0));
    RECT all{0, 0, 640, 20};
    ::FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const int tabs[] = {20, 120, 220, 320, 420, 520, 620};
    const std::string line = "\tA\tB\tC\tD\tE\tF\tG";  // G is a seventh field: not drawn
    DrawTabbedText(canvas.Dc(), 0, 0, line.c_str(), int(line.size()), tabs);
    const COLORREF white = RGB(255, 255, 255);
    auto ink = [&](int left, int right) { return canvas.InkColumns(left, right, 0, 20, white); };
    // Left-aligned fields start at their stop.
    REQUIRE_FALSE(ink(20, 110).empty());
    CHECK(ink(20, 110).front() < 30);
    REQUIRE_FALSE(ink(120, 210).empty());
    CHECK(ink(120, 210).front() < 130);
    // Centred fields sit around the middle of stop .. next stop - 10.
    for (int k = 2; k <= 4; ++k) {
        const std::vector<int> columns = ink(tabs[k], tabs[k + 1] - 10);
        REQUIRE_FALSE(columns.empty());
        const int middle = (columns.front() + columns.back()) / 2;
        CHECK(std::abs(middle - (tabs[k] + tabs[k + 1] - 10) / 2) <= 3);
    }
    CHECK(ink(520, 530).size() > 0);    // F, left-aligned
    CHECK(ink(610, 640).empty());       // nothing past the last column
    // Nothing between a column's end and the next stop.
    for (int k = 0; k < 5; ++k) CHECK(ink(tabs[k + 1] - 10, tabs[k + 1]).empty());
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
        CHECK_FALSE(canvas.InkColumns(20, 90, 0, 17, ::GetSysColor(COLOR_WINDOW)).empty());  // the name
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
        CHECK(canvas.InkColumns(0, 400, 0, 17, ::GetSysColor(COLOR_WINDOW)).empty());
        PaintListRow(Item(list, canvas.Dc(), row, 0, ODT_LISTBOX), "xx", {RowText::Plain, nullptr, nullptr});
        const std::vector<int> plain = canvas.InkColumns(0, 400, 0, 17, ::GetSysColor(COLOR_WINDOW));
        REQUIRE_FALSE(plain.empty());
        CHECK(plain.front() < 5);  // from the row's left edge, not from a tab stop
    }
    SUBCASE("the focused row gets the focus rectangle") {
        PaintListRow(Item(list, canvas.Dc(), row, ODS_FOCUS, ODT_LISTBOX), "", {RowText::None, tabs, nullptr});
        CHECK_FALSE(canvas.InkColumns(0, 400, 0, 1, ::GetSysColor(COLOR_WINDOW)).empty());
        CHECK(canvas.InkColumns(1, 399, 5, 12, ::GetSysColor(COLOR_WINDOW)).empty());
    }
    CHECK(::GetTextColor(canvas.Dc()) == RGB(1, 2, 3));
    CHECK(::GetBkColor(canvas.Dc()) == RGB(4, 5, 6));
}

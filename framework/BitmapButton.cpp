#include "framework/BitmapButton.h"

#include "framework/Text.h"
#include "framework/Window.h"

namespace tb {

namespace {

constexpr int kFocusInset = 3;  // pixels between the edge and the focus rectangle

HBITMAP LoadPicture(const std::string& name) {
    return static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, 0));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

ButtonPictureNames PictureNamesFromCaption(const std::string& caption) {
    std::string base;
    for (char c : caption)
        if (c != '&') base += c;  // a mnemonic marker is not part of the name
    base = ToUpper(base);
    return ButtonPictureNames{base + "U", base + "D"};
}

ButtonPicture PictureForState(UINT itemState) {
    if (itemState & ODS_DISABLED) return ButtonPicture::Disabled;
    if (itemState & ODS_SELECTED) return ButtonPicture::Down;
    return ButtonPicture::Up;
}

bool CBitmapButton::AutoLoad(HWND dialog, int id) {
    const ButtonPictureNames names = PictureNamesFromCaption(CWindow(::GetDlgItem(dialog, id)).Text());
    if (!Load(dialog, id, names.up.c_str(), names.down.c_str())) return false;
    SizeToContent();
    return true;
}

bool CBitmapButton::Load(HWND dialog, int id, const char* upName, const char* downName) {
    UniqueBitmap up(LoadPicture(upName));
    UniqueBitmap down(LoadPicture(downName));
    if (!up || !down) return false;
    return Attach(::GetDlgItem(dialog, id), std::move(up), std::move(down));
}

bool CBitmapButton::Attach(HWND button, UniqueBitmap up, UniqueBitmap down) {
    if (!button || !up || !down) return false;
    m_button = button;
    m_up = std::move(up);
    m_down = std::move(down);
    const LONG style = ::GetWindowLongA(button, GWL_STYLE);
    ::SetWindowLongA(button, GWL_STYLE, (style & ~LONG(BS_TYPEMASK)) | BS_OWNERDRAW);
    ::InvalidateRect(button, nullptr, TRUE);
    return true;
}

void CBitmapButton::SizeToContent() const {
    const SIZE size = BitmapSize(m_up.Get());
    if (m_button && size.cx > 0)
        ::SetWindowPos(m_button, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CBitmapButton::Draw(const DRAWITEMSTRUCT& item) const {
    if (!m_button || item.hwndItem != m_button) return false;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));

    const ButtonPicture picture = PictureForState(item.itemState);
    HBITMAP bitmap = picture == ButtonPicture::Down ? m_down.Get() : m_up.Get();
    const SIZE size = BitmapSize(bitmap);
    // Centred; a picture larger than the button shows its middle.
    const int x = r.left + (r.right - r.left - size.cx) / 2;
    const int y = r.top + (r.bottom - r.top - size.cy) / 2;
    if (picture == ButtonPicture::Disabled) {
        ::DrawStateA(dc, nullptr, nullptr, LPARAM(bitmap), 0, x, y, size.cx, size.cy, DST_BITMAP | DSS_DISABLED);
    } else {
        MemoryDC source(dc);
        SelectedObject chosen(source.Get(), bitmap);
        ::BitBlt(dc, x, y, size.cx, size.cy, source.Get(), 0, 0, SRCCOPY);
    }
    if ((item.itemState & ODS_FOCUS) && picture != ButtonPicture::Disabled) {
        RECT focus = r;
        ::InflateRect(&focus, -kFocusInset, -kFocusInset);
        ::DrawFocusRect(dc, &focus);
    }
    return true;
}

}  // namespace tb

#pragma once
// CBitmapButton: a push button of a dialog drawn as a picture: one bitmap
// while it is up, another while it is pressed. A disabled button shows its up
// picture greyed, a button with the keyboard focus a focus rectangle inside
// its edge. The button is made owner-drawn; the dialog hands it its
// WM_DRAWITEM:
//
//     m_archive.AutoLoad(Handle(), IDC_ARCHIVE);   // "ARCHIVEU" / "ARCHIVED"
//     Map().OnMessage(WM_DRAWITEM, [this](WPARAM, LPARAM l) -> LRESULT {
//         return m_archive.Draw(*reinterpret_cast<DRAWITEMSTRUCT*>(l));
//     });

#include <windows.h>

#include <string>

#include "framework/Handles.h"

namespace tb {

// The resource names of a button's pictures, taken from its caption:
// "Open_Existing_Archive" gives "OPEN_EXISTING_ARCHIVEU" and "...D".
struct ButtonPictureNames {
    std::string up;
    std::string down;
};
ButtonPictureNames PictureNamesFromCaption(const std::string& caption);

enum class ButtonPicture { Up, Down, Disabled };
// Which picture a button in `itemState` (ODS_ bits) shows.
ButtonPicture PictureForState(UINT itemState);

class CBitmapButton {
public:
    CBitmapButton() = default;
    CBitmapButton(const CBitmapButton&) = delete;
    CBitmapButton& operator=(const CBitmapButton&) = delete;

    // Takes button `id` of `dialog`, loads the pictures named after its
    // caption from the program's resources and sizes the button to them.
    // False when a picture is missing; the button then stays as it was.
    bool AutoLoad(HWND dialog, int id);
    // The same with the pictures' resource names given.
    bool Load(HWND dialog, int id, const char* upName, const char* downName);
    // Takes `button` with pictures made elsewhere.
    bool Attach(HWND button, UniqueBitmap up, UniqueBitmap down);

    // Draws the button for a WM_DRAWITEM; false when the item is another control.
    bool Draw(const DRAWITEMSTRUCT& item) const;
    // Makes the button as large as its up picture.
    void SizeToContent() const;
    HWND Handle() const { return m_button; }

private:
    HWND m_button = nullptr;
    UniqueBitmap m_up;
    UniqueBitmap m_down;
};

}  // namespace tb

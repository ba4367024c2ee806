#pragma once
// The picture of a screen: a .bmp file's contents as a bitmap that fits a box.

#include <windows.h>

#include <string>

#include "framework/Handles.h"

namespace tb::sfx {

// Null for anything that is not an uncompressed .bmp of sane size.
UniqueBitmap BitmapFromFile(const std::string& data);
// The bitmap shrunk to fit `width` × `height` keeping its proportions, or a
// copy of it when it fits already.
UniqueBitmap FitBitmap(HBITMAP bitmap, int width, int height);

}  // namespace tb::sfx

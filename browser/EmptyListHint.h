#pragma once
// The text an empty list of the main window shows in place of lines, so that
// a first start tells the user what to do.

#include <windows.h>

#include <string>

namespace tb {

// What the empty file list says: while automatic archiving is off (as a fresh
// settings file leaves it), that it is off and how to turn it on; else "".
std::string EmptyFileListHint(bool automaticArchivingOn);

// Paints a list box that has no lines (its WM_PAINT): the background and,
// when `hint` is not empty, the hint in grey, wrapped to the list's width.
void PaintEmptyList(HWND list, const std::string& hint);

}  // namespace tb

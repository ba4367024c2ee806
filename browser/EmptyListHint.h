#pragma once
// The text an empty list of the main window shows in place of lines, so that
// a first start tells the user what to do.

#include <windows.h>

#include <string>

namespace tb {

// What the empty file list says: while automatic archiving is off, that it is
// off and every step to turn it on; while it is on and no archive is known
// yet (a first start), what the program does and how to see it work; else "".
struct EmptyListFacts {
    bool archivingOn = false;
    bool archivesKnown = false;
    std::string archiveFolder;
    bool atShutdown = false;
};
std::string EmptyFileListHint(const EmptyListFacts& facts);

// Paints a list box that has no lines (its WM_PAINT): the background and,
// when `hint` is not empty, the hint in grey, wrapped to the list's width.
// The hint is also the list's window text, where screen readers find it.
void PaintEmptyList(HWND list, const std::string& hint);

}  // namespace tb

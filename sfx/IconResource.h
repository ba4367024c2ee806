#pragma once
// The icon of a built program: taken from the icon source the script names, a
// program or DLL with the index of its icon group ("file;index", a negative
// index naming a resource id), or an .ico file.

#include <string>

namespace tb::sfx {

struct IconSource {
    std::string file;   // UTF-8
    int index = 0;
};
// Splits "file;index"; without ";" the index is 0.
IconSource ParseIconSource(const std::string& text);

// Puts the icon of `source` into the program file `target` in place of the
// icons it has. False, with a reason, when the source holds no such icon or the
// program cannot be updated.
bool ReplaceProgramIcon(const std::string& target, const IconSource& source, std::string& why);

}  // namespace tb::sfx

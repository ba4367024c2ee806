#include "framework/Guard.h"

#include <string>

namespace tb {

void ReportUnexpectedException(const char* where, const char* what) {
    std::string text = "Tallybox: unexpected exception in ";
    text += where;
    if (what != nullptr && *what != '\0') {
        text += ": ";
        text += what;
    }
    text += "\n";
    ::OutputDebugStringA(text.c_str());
}

}  // namespace tb

#include "framework/Guard.h"

#include <string>

namespace tb {

void ReportUnexpectedException(const char* where) {
    std::string text = "Tallybox: unexpected exception in ";
    text += where;
    text += "\n";
    ::OutputDebugStringA(text.c_str());
}

}  // namespace tb

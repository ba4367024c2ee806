#pragma once
// Conversions between the 8-bit texts of the library and the system's UTF-16.

#include <string>

#include "win32/WideString.h"

namespace tb::sfx {

using zl::WideString;

WideString Widen(const std::string& utf8);
std::string Narrow(const WideString& wide);
// Text in the process's code page (what 8-bit callers pass) as UTF-8.
std::string AnsiToUtf8(const std::string& ansi);

}  // namespace tb::sfx

#pragma once
// UTF-16 text for the system's wide calls.
//
// A string of its own character traits rather than std::wstring: the C++
// library's prebuilt std::wstring instance (35 KB) comes whole into every
// binary that names it, while this one is made from the templates in each
// binary, with only the members it uses. It behaves as std::wstring does.

#include <string>

namespace zl {

struct WideTraits : std::char_traits<wchar_t> {};
using WideString = std::basic_string<wchar_t, WideTraits>;

}  // namespace zl

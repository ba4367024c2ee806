#include "sfx/WideText.h"

#include <windows.h>

namespace tb::sfx {

namespace {
WideString ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return WideString();
    int n = ::MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    WideString out(size_t(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}
}  // namespace

WideString Widen(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(const WideString& wide) {
    if (wide.empty()) return std::string();
    int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string AnsiToUtf8(const std::string& ansi) {
    if (::GetACP() == CP_UTF8) return ansi;
    return Narrow(ToWide(CP_ACP, ansi));
}

}  // namespace tb::sfx

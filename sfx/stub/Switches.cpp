#include "sfx/stub/Switches.h"

#include <windows.h>

namespace tb::sfx {

namespace {

bool SwitchIs(const WideString& argument, wchar_t letter) {
    return argument.size() >= 2 && (argument[0] == L'/' || argument[0] == L'-') &&
           (argument[1] == letter || argument[1] == letter - L'a' + L'A');
}

// The value of "/x=VALUE", without quotes that the command line left around it.
WideString ValueOf(const WideString& argument, bool folder) {
    WideString value = argument.substr(3);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') value = value.substr(1, value.size() - 2);
    else if (folder && !value.empty() && value.back() == L'"') value.pop_back();   // "C:\dir\" leaves a quote behind
    return value;
}

}  // namespace

bool ParseSwitches(const std::vector<WideString>& arguments, StubSwitches& switches, WideString& bad) {
    for (const WideString& a : arguments) {
        if (SwitchIs(a, L's') && a.size() == 2) {
            switches.silent = true;
        } else if (SwitchIs(a, L'd') && a.size() > 3 && a[2] == L'=') {
            switches.haveFolder = true;
            switches.folder = ValueOf(a, true);
        } else if (SwitchIs(a, L'p') && a.size() >= 3 && a[2] == L'=') {
            switches.havePassword = true;
            switches.password = ValueOf(a, false);
        } else if (bad.empty()) {
            bad = a;
        }
    }
    return bad.empty();
}

}  // namespace tb::sfx

namespace tb::sfx {

namespace {
bool IsAbsolute(const WideString& path) {
    return (path.size() >= 2 && path[1] == L':') || (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\');
}
}  // namespace

WideString ProposedFolder(const WideString& scriptFolder, const WideString& programFolder) {
    WideString folder = scriptFolder;
    DWORD n = ::ExpandEnvironmentStringsW(scriptFolder.c_str(), nullptr, 0);
    if (n > 0) {
        WideString expanded(n, L'\0');
        n = ::ExpandEnvironmentStringsW(scriptFolder.c_str(), &expanded[0], n);
        if (n > 0) folder = expanded.substr(0, n - 1);
    }
    if (folder.empty()) return programFolder;
    if (IsAbsolute(folder)) return folder;
    WideString base = programFolder;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    return base + (folder[0] == L'\\' ? folder.substr(1) : folder);
}

WideString AbsoluteFolder(const WideString& folder) {
    DWORD n = ::GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (n == 0) return folder;
    WideString full(n, L'\0');
    n = ::GetFullPathNameW(folder.c_str(), n, &full[0], nullptr);
    full.resize(n);
    return full;
}

}  // namespace tb::sfx

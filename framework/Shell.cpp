#include "framework/Shell.h"

#include <shellapi.h>
#include <shlobj.h>

#include "framework/Handles.h"

namespace tb {

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title) {
    ComInit com;
    char display[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    UniquePidl chosen(::SHBrowseForFolderA(&info));
    if (!chosen) return std::nullopt;
    char path[MAX_PATH * 4] = {};
    if (!::SHGetPathFromIDListA(chosen.Get(), path) || !path[0]) return std::nullopt;
    return std::string(path);
}

INT_PTR ShellOpen(HWND owner, const std::string& file) {
    return INT_PTR(::ShellExecuteA(owner, "open", file.c_str(), "", "", SW_SHOWNORMAL));
}

std::string TempFolder(DWORD limit) {
    std::string buffer(limit + 1, '\0');
    DWORD n = ::GetTempPathA(limit, buffer.data());
    if (n == 0 || n > limit) return {};
    buffer.resize(n);
    return buffer;
}

std::string WindowsFolder(UINT limit) {
    std::string buffer(limit + 1, '\0');
    UINT n = ::GetWindowsDirectoryA(buffer.data(), limit);
    if (n == 0 || n > limit) return {};
    buffer.resize(n);
    return buffer;
}

std::string SpecialFolder(int csidl) {
    UniquePidl location;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, location.Put())) || !location) return {};
    char path[MAX_PATH * 4] = {};
    if (!::SHGetPathFromIDListA(location.Get(), path)) return {};
    return path;
}

std::string ProgramFolder() {
    char path[MAX_PATH * 4] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tb

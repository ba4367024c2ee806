#pragma once
// The shell and system folders, as the program uses them.

#include <windows.h>

#include <optional>
#include <string>

namespace tb {

// The shell's folder browser, file-system folders only. Nothing when the user
// cancels or the chosen item has no file-system path.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title);

// ShellExecute "open" with no parameters, an empty working directory, shown
// normally; returns the shell's result (above 32 = success).
INT_PTR ShellOpen(HWND owner, const std::string& file);

// GetTempPath (with its trailing backslash), at most `limit` characters.
std::string TempFolder(DWORD limit = MAX_PATH);
// GetWindowsDirectory, at most `limit` characters.
std::string WindowsFolder(UINT limit = MAX_PATH);
// A special folder (CSIDL_...) through SHGetSpecialFolderLocation; "" if none.
std::string SpecialFolder(int csidl);
// Folder of the running program, with a trailing backslash.
std::string ProgramFolder();

// True when running under Wine.
bool RunningUnderWine();

}  // namespace tb

#include "common/Profile.h"

#include <windows.h>

#include <vector>

#include "framework/Shell.h"
#include "framework/Text.h"

namespace tb {

std::string ReadIniString(const char* section, const char* key, unsigned bufferSize) {
    if (bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize + 1, '\0');
    DWORD n = ::GetPrivateProfileStringA(section, key, "", buffer.data(), bufferSize, kSettingsFile);
    if (n >= bufferSize) n = bufferSize - 1;
    return std::string(buffer.data(), n);
}

int ReadIniInt(const char* section, const char* key, int fallback) {
    return int(::GetPrivateProfileIntA(section, key, fallback, kSettingsFile));
}

void WriteIniString(const char* section, const char* key, const std::string& value) {
    ::WritePrivateProfileStringA(section, key, value.c_str(), kSettingsFile);
}

void WriteIntKey(const char* section, const char* key, int value) {
    WriteIniString(section, key, Format("%i", value));
}

std::string SettingsFilePath() {
    std::string folder = WindowsFolder();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder + kSettingsFile;
}

}  // namespace tb

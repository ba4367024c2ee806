#pragma once
// The settings file Vaultly.ini, read and written through the system's
// private-profile functions. The name carries no folder, so the system keeps
// the file in the Windows directory. Results of the profile functions are not
// examined: an unreadable file gives the defaults, a failed write is silent.

#include <string>

namespace tb {

constexpr char kSettingsFile[] = "Vaultly.ini";
constexpr char kSettingsSection[] = "Settings";

// String keys are read into a buffer of `bufferSize` characters (so at most
// bufferSize - 1 characters come back); a missing key reads as "".
constexpr unsigned kStringBuffer = 5000;
std::string ReadIniString(const char* section, const char* key, unsigned bufferSize = kStringBuffer);
// The system's integer reader: leading decimal digits, `fallback` when missing.
int ReadIniInt(const char* section, const char* key, int fallback);

void WriteIniString(const char* section, const char* key, const std::string& value);
// Every integer key is written as decimal text ("%i").
void WriteIntKey(const char* section, const char* key, int value);

// The full path of Vaultly.ini (for messages and tests).
std::string SettingsFilePath();

}  // namespace tb

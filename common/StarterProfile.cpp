#include "common/StarterProfile.h"

#include <windows.h>
#include <shlobj.h>

#include <cctype>

#include "common/Profile.h"
#include "framework/Shell.h"

namespace tb {

namespace {
constexpr unsigned kSectionProbe = 64;

char DriveLetterOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        return static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    return 0;
}
}  // namespace

SettingsRecord StarterProfile(char documentsDrive) {
    SettingsRecord record;
    record.General = kGeneralMonitor | kGeneralArchiveAtShutdown | kGeneralLearnMode | kGeneralLetMeChoose;
    record.Prompts = kPromptNewTypes;
    record.Drives = kDrivesCustom | kDrivesExcludeTemp | kDrivesExcludeInternetCache | kDrivesExcludeUnZipFolder;
    record.CustomDriveList = std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(documentsDrive))));
    record.FileTypes = kStarterFileTypes;
    record.ExcludeTypes = kStarterExcludeTypes;
    record.LocationDir = kStarterArchiveFolder;
    return record;
}

char DocumentsDrive() {
    if (char letter = DriveLetterOf(SpecialFolder(CSIDL_PERSONAL))) return letter;
    if (char letter = DriveLetterOf(WindowsFolder())) return letter;
    return 'c';
}

bool SettingsSectionExists() {
    char probe[kSectionProbe] = {};
    return ::GetPrivateProfileSectionA(kSettingsSection, probe, kSectionProbe, kSettingsFile) > 0;
}

bool ReadOrStartSettings(SettingsRecord& record) {
    const bool start = !SettingsSectionExists();
    if (start) {
        SettingsRecord starter = StarterProfile(DocumentsDrive());
        WriteSettings(starter);
    }
    ReadSettings(record);
    return start;
}

}  // namespace tb

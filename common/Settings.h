#pragma once
// The Settings record: the in-memory copy of the twenty keys of section
// "Settings" that drive monitoring and automatic archiving. A value type; the
// program keeps the live record and the working copy the settings sheet edits.

#include <string>

namespace tb {

// `General` bits.
enum GeneralFlags : int {
    kGeneralMonitor = 0x001,          // watch drives; automatic archiving only when set
    kGeneralArchiveAtShutdown = 0x002,
    kGeneralTimed = 0x004,
    kGeneralSpecificTime = 0x008,
    kGeneralEveryHours = 0x010,
    kGeneralSizeLimit = 0x020,
    kGeneralLearnMode = 0x040,
    kGeneralIgnoreNewTypes = 0x080,
    kGeneralAddRecommended = 0x100,
    kGeneralAddAll = 0x200,
    kGeneralLetMeChoose = 0x400,
};

// `Prompts` bits.
enum PromptFlags : int {
    kPromptPending = 0x01,
    kPromptNewTypes = 0x02,
    kPromptSizeLimit = 0x04,
    kPromptDiskSpace = 0x08,
    kPromptDriveAccess = 0x10,
    kPromptSilent = 0x20,
};

// `UnZipFlags` bits.
enum UnZipFlagBits : int {
    kUnZipUseDefault = 0x001,
    kUnZipUseLast = 0x002,
    kUnZipUseTemp = 0x004,
    kUnZipOverwrite = 0x008,
    kUnZipPrompt = 0x010,
    kUnZipRenameByNumber = 0x020,
    kUnZipNoPrompting = 0x040,
    kUnZipUseFolderNames = 0x080,
    kUnZipMyDocuments = 0x100,
};

// `Drives` bits.
enum DriveFlags : int {
    kDrivesAllLocal = 0x01,
    kDrivesAllRemote = 0x02,
    kDrivesCustom = 0x04,
    kDrivesExcludeDirs = 0x08,
    kDrivesExcludeTemp = 0x10,
    kDrivesExcludeInternetCache = 0x20,
    kDrivesExcludeUnZipFolder = 0x40,
};

// `Edit` bits.
enum EditFlags : int { kEditOpenInEditor = 0x01 };

// Days a dated archive stays on its own before it is folded into its month's
// archive, unless the settings say otherwise; never fewer than one (today's
// archive is never folded).
constexpr int kDefaultConsolidateDays = 30;
constexpr int kMinConsolidateDays = 1;

struct SettingsRecord {
    int General = 0;
    std::string Time;
    int Interval = 0;
    int Sizelimit = 0;
    int Method = 0;
    std::string CustomStore;
    std::string CustomRetrieve;
    std::string LocationDir;
    std::string LocationDirAlt;
    int LocationFlags = 0;
    int Drives = 0;
    std::string CustomDriveList;
    std::string ExcludeDirList;
    std::string FileTypes;
    std::string ExcludeTypes;
    std::string ExcludeFiles;
    int Prompts = 0;
    int UnZipFlags = 0;
    std::string DefUnZipPath;
    int Edit = 0;

    // Keys of section "Settings" beyond the twenty, read and written with
    // them: catching up on a missed automatic archive ("CatchUpMissed", on by
    // default), and folding old dated archives into one archive per month
    // ("ConsolidateArchives", off by default; those older than
    // "ConsolidateDays" days).
    int CatchUpMissed = 1;
    int ConsolidateArchives = 0;
    int ConsolidateDays = kDefaultConsolidateDays;

    bool operator==(const SettingsRecord& other) const;
    bool operator!=(const SettingsRecord& other) const { return !(*this == other); }
};

// Fills the record from Vaultly.ini, key by key in record order; missing keys
// give their defaults (0 and "", and those given above for the keys beyond
// the twenty).
void ReadSettings(SettingsRecord& record);
// Upper-cases the two type lists in the record, then writes the twenty keys in
// record order, and the keys beyond them.
void WriteSettings(SettingsRecord& record);

}  // namespace tb

#include "common/Settings.h"

#include <tuple>

#include "common/Profile.h"
#include "framework/Text.h"

namespace tb {

namespace {

// One visitor over the twenty fields in record order, so reading, writing and
// comparing can never disagree about the keys.
template <typename Record, typename IntField, typename TextField>
void ForEachField(Record& r, IntField onInt, TextField onText) {
    onInt("General", r.General);
    onText("Time", r.Time);
    onInt("Interval", r.Interval);
    onInt("Sizelimit", r.Sizelimit);
    onInt("Method", r.Method);
    onText("CustomStore", r.CustomStore);
    onText("CustomRetrieve", r.CustomRetrieve);
    onText("LocationDir", r.LocationDir);
    onText("LocationDirAlt", r.LocationDirAlt);
    onInt("LocationFlags", r.LocationFlags);
    onInt("Drives", r.Drives);
    onText("CustomDriveList", r.CustomDriveList);
    onText("ExcludeDirList", r.ExcludeDirList);
    onText("FileTypes", r.FileTypes);
    onText("ExcludeTypes", r.ExcludeTypes);
    onText("ExcludeFiles", r.ExcludeFiles);
    onInt("Prompts", r.Prompts);
    onInt("UnZipFlags", r.UnZipFlags);
    onText("DefUnZipPath", r.DefUnZipPath);
    onInt("Edit", r.Edit);
}

// The keys beyond the twenty, with their defaults.
template <typename Record, typename IntField>
void ForEachExtraField(Record& r, IntField onInt) {
    onInt("CatchUpMissed", r.CatchUpMissed, 1);
    onInt("ConsolidateArchives", r.ConsolidateArchives, 0);
    onInt("ConsolidateDays", r.ConsolidateDays, kDefaultConsolidateDays);
}

}  // namespace

namespace {
auto Tie(const SettingsRecord& r) {
    return std::tie(r.General, r.Time, r.Interval, r.Sizelimit, r.Method, r.CustomStore,
                    r.CustomRetrieve, r.LocationDir, r.LocationDirAlt, r.LocationFlags, r.Drives,
                    r.CustomDriveList, r.ExcludeDirList, r.FileTypes, r.ExcludeTypes, r.ExcludeFiles,
                    r.Prompts, r.UnZipFlags, r.DefUnZipPath, r.Edit, r.CatchUpMissed,
                    r.ConsolidateArchives, r.ConsolidateDays);
}
}  // namespace

bool SettingsRecord::operator==(const SettingsRecord& other) const { return Tie(*this) == Tie(other); }

void ReadSettings(SettingsRecord& record) {
    ForEachField(
        record,
        [](const char* key, int& value) { value = ReadIniInt(kSettingsSection, key, 0); },
        [](const char* key, std::string& value) { value = ReadIniString(kSettingsSection, key); });
    ForEachExtraField(record, [](const char* key, int& value, int fallback) {
        value = ReadIniInt(kSettingsSection, key, fallback);
    });
}

void WriteSettings(SettingsRecord& record) {
    record.FileTypes = ToUpper(record.FileTypes);
    record.ExcludeTypes = ToUpper(record.ExcludeTypes);
    ForEachField(
        record,
        [](const char* key, int& value) { WriteIntKey(kSettingsSection, key, value); },
        [](const char* key, std::string& value) { WriteIniString(kSettingsSection, key, value); });
    ForEachExtraField(record, [](const char* key, int& value, int) { WriteIntKey(kSettingsSection, key, value); });
}

}  // namespace tb

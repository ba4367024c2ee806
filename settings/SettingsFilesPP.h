#pragma once
// Settings page "File Types" (dialog 135): the types archived automatically,
// the types never archived, and the files never archived.

#include <string>
#include <vector>

#include "settings/SettingsPage.h"

namespace tb {

// FileTypes = `list`, and each of its entries leaves ExcludeTypes: a type is
// never in both lists.
void SetMonitoredTypes(SettingsRecord& record, const std::string& list);
// ExcludeTypes = `list`, and each of its entries leaves FileTypes.
void SetExcludedTypes(SettingsRecord& record, const std::string& list);
// ExcludeFiles from the lines of its list: each followed by ";", at most 10000.
std::string ExcludedFilesFromLines(const std::vector<std::string>& lines);

class SettingsFilesPP : public CSettingsPage {
public:
    explicit SettingsFilesPP(SettingsRecord& record);

    void Load() override { Refill(); }
    // Every change is stored at once.
    void Store() override {}

protected:
    BOOL OnInitDialog() override;

private:
    void Refill();
    void EditTypes(int mode);
    void AddFile();
    void RemoveFile();
};

}  // namespace tb

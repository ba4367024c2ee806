#pragma once
// The classification pass of the automatic archive run: sorts the pending
// files into the files to archive, the files left out, the files of types in
// neither type list and those new types, applying `ExcludeFiles`, `FileTypes`,
// `ExcludeTypes` and the individual file size limit.

#include <functional>
#include <string>
#include <vector>

#include "common/Settings.h"
#include "res/resource.h"

namespace tb {

// The answers of the File Size Limit dialog: the id of the button pressed.
enum SizeLimitAnswer : int {
    kSizeIncludeFile = IDC_FSL_INCLUDE,          // 1
    kSizeSkipFile = IDC_FSL_SKIP,                // 2
    kSizeEditSettings = IDC_FSL_EDIT_SETTINGS,   // 1054
    kSizeSkipAll = IDC_FSL_SKIP_ALL,             // 1076
    kSizeIncludeAll = IDC_FSL_INCLUDE_ALL,       // 1162
};

struct OversizeAnswer {
    int result = kSizeSkipAll;
    bool dontShowAgain = false;
};

// The type of a pending file: the text from its last '.' to the end,
// upper-cased; "" when the file is to be ignored (no '.', more than 6
// characters with the dot, or a backslash in it).
std::string ArchiveTypeOf(const std::string& path);

class CClassificationPass {
public:
    using SizeOf = std::function<unsigned long long(const std::string& path)>;
    using AskOversize = std::function<OversizeAnswer(const std::string& path, unsigned long long size)>;

    // Once per run: forget "Include All" and "Skip All".
    void StartRun() {
        m_includeAll = 0;
        m_skipAll = 0;
    }
    // One pass over the pending files. Returns false when the user chose
    // "Edit Settings" in the size-limit dialog: the caller shows the settings
    // and runs the pass again.
    bool Run(const std::vector<std::string>& pending, SettingsRecord& settings, const SizeOf& sizeOf,
             const AskOversize& askOversize);

    std::vector<std::string> m_archive;
    std::vector<std::string> m_skipped;
    std::vector<std::string> m_untyped;
    std::vector<std::string> m_newTypes;
    int m_includeAll = 0;
    int m_skipAll = 0;
};

}  // namespace tb

#pragma once
// Archives for the tests of the dialogs that read them, made through the
// program's own zip engine from files written for the purpose.

#include <string>
#include <utility>
#include <vector>

#include "tests/unit/TestFolder.h"
#include "doctest/doctest.h"
#include "zip/ZipEngine.h"

namespace tb {

// Writes each (stored name, content) under `folder`\in and adds them to
// `folder`\`name` with their folder names; with a password the entries are
// encrypted. Returns the archive's path.
inline std::string MakeTestArchive(const TestFolder& folder, const std::string& name,
                                   const std::vector<std::pair<std::string, std::string>>& entries,
                                   const std::string& password = "") {
    const std::string source = folder.Path(name + ".in");
    std::string list;
    for (const auto& entry : entries) {
        folder.File(name + ".in\\" + entry.first, entry.second);
        list += (list.empty() ? "\"" : " \"") + entry.first + "\"";
    }
    // Stored names are relative to the source folder: the engine is run from it.
    char previous[MAX_PATH * 4] = {};
    ::GetCurrentDirectoryA(sizeof previous, previous);
    ::SetCurrentDirectoryA(source.c_str());
    CZipEngine engine(nullptr);
    engine.m_password = password;
    const int added = engine.ZipFiles(folder.Path(name), list,
                                      kZipOpAdd | kZipOptKeepFolders | kZipOptQuiet | (password.empty() ? 0 : kZipOptEncrypt));
    ::SetCurrentDirectoryA(previous);
    REQUIRE(added == 1);
    return folder.Path(name);
}

}  // namespace tb

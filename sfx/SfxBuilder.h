#pragma once
// Building a self-extracting program from its script: the extractor program,
// the script with the pictures it names, and the source archive moved behind
// them with its offsets rewritten. The program is written under a temporary
// name beside the output and takes the output's name only when it is complete,
// so a failed build neither leaves a half-written program nor destroys a file
// it was to replace.

#include <string>

#include "sfx/Script.h"

namespace tb::sfx {

struct BuildSettings {
    std::string stub;          // the extractor program (UTF-8 path)
    std::string baseFolder;    // where relative icon and bitmap names are looked for first
};

// Returns kSfxOk or one of the error codes of AdfactryApi.h; `why` says more.
int BuildSelfExtractor(const CScript& script, const BuildSettings& settings, std::string& why);

// Where a file the script names is: an absolute path as it is, a relative one
// in `baseFolder` when it exists there, otherwise as given (the current folder).
std::string ResolveScriptPath(const std::string& name, const std::string& baseFolder);

}  // namespace tb::sfx

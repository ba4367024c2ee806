#pragma once
// The script as a file: read whole, changed, written whole.

#include <functional>
#include <string>

#include "sfx/Script.h"

namespace tb::sfx {

// False when the file is missing or is not a script of ours.
bool LoadScript(const std::string& path, CScript& script);
bool SaveScript(const std::string& path, const CScript& script);
// Loads, applies `change`, saves; returns an error code of AdfactryApi.h.
int UpdateScript(const std::string& path, const std::function<void(CScript&)>& change);

}  // namespace tb::sfx

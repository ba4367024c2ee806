#pragma once
// Joining paths, in one place for the whole program.

#include <string>

namespace tb {

// folder + "\" + name, without doubling the separator the folder ends with
// (a root like "C:\"); `name` alone when the folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace tb

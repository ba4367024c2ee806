#pragma once
// Joining paths, and making folders, in one place for the whole program.

#include <string>

namespace tb {

// folder + "\" + name, without doubling the separator the folder ends with
// (a root like "C:\"); `name` alone when the folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);

// Makes `folder` with every missing folder above it. True when the folder
// exists afterwards; false when something is in the way (a file of that
// name, a drive or share that is not there, no access).
bool MakeFolderTree(const std::string& folder);

}  // namespace tb

#pragma once
// The run log: one line for each automatic archive run, in "Vaultly.log"
// beside the settings file (the Windows folder). It keeps the newest lines
// only, so it never grows without bound.

#include <cstddef>
#include <string>
#include <vector>

namespace tb {

constexpr size_t kRunLogLines = 500;

// The full path of Vaultly.log.
std::string RunLogPath();

// Adds `line` at the end of the log at `path`; once the log holds more than
// `keep` lines by a margin, only the newest `keep` stay. False when the file
// could not be written.
bool AppendRunLog(const std::string& path, const std::string& line, size_t keep = kRunLogLines);
// The lines of the log, oldest first; none when there is no log.
std::vector<std::string> ReadRunLog(const std::string& path);

}  // namespace tb

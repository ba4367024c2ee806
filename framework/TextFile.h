#pragma once
// Small text files of the program's own (the run log, the declined files):
// read whole into lines, and written whole beside the file and then put in
// its place, so a write cut short never replaces a whole file. Win32 calls
// only: the C++ streams would double the program's size.

#include <string>
#include <vector>

namespace tb {

// The non-empty lines of the file (CR LF or LF), oldest first; none when the
// file is missing, unreadable or larger than `largest` bytes.
std::vector<std::string> ReadTextLines(const std::string& path, unsigned long largest = 16ul * 1024 * 1024);

// Writes `text` to `path` + `suffix`, flushes it and moves it over `path`.
// False (and no file left beside it) when any step failed.
bool ReplaceTextFile(const std::string& path, const std::string& text, const char* suffix = ".new");

// Adds `text` at the end of the file, which is made when missing.
bool AppendTextFile(const std::string& path, const std::string& text);

}  // namespace tb

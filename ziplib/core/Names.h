#pragma once
// Entry names and file lists: parsing the quoted lists callers hand in, wildcard
// matching, the stored name of a file on disk, and turning a stored name into a
// path below the destination folder that can never leave it.

#include <string>
#include <vector>

namespace zl {

// Splits a list of names: each in double quotes, or blank-separated without quotes.
std::vector<std::string> ParseFileList(const std::string& list);

// Folds ASCII letters to lower case and '\' to '/', the form names are compared in.
std::string NameKey(const std::string& name);

// '*' (any run, folders included) and '?' (one character); case and separator
// insensitive. "*.*" and "*" match every name.
bool WildcardMatch(const std::string& pattern, const std::string& name);
bool HasWildcards(const std::string& text);
// Whether a name from a caller's list selects a stored entry: exactly (case and
// separator insensitive; a folder also by its name without the trailing '/'),
// or as a wildcard pattern when the caller asked for patterns. Stored names
// may hold '*' and '?' themselves, so an exact name is never a pattern.
bool NameSelects(const std::string& listed, const std::string& stored, bool asPattern);

// The name a file on disk is stored under: with folder names, the path without
// drive letter, UNC server and share, leading separators, "." and ".." parts, with
// '/' separators; without them, the last part only. Empty when nothing is left.
std::string StoredName(const std::string& path, bool keepFolders);

// The relative path an entry is written to below the destination, parts joined
// by `separator`: drive letters, UNC prefixes and leading separators are dropped,
// characters Windows does not allow become '_', device names get a leading '_'.
// Returns false for a name that climbs out with "..", or that has nothing left.
bool SafeRelativePath(const std::string& name, bool keepFolders, char separator, std::string& out);

// Joins a folder and a relative path.
std::string JoinPath(const std::string& folder, const std::string& relative, char separator);
// The folder part of a path (empty when there is none).
std::string ParentPath(const std::string& path);

}  // namespace zl

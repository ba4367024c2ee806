#pragma once
// The numbered lists of Vaultly.ini that change tracking keeps: section
// "Directories" (the folders of the watched drives) and section "Changes" (the
// folders in which something was written), keys Dir1, Dir2, ... A list ends at
// the first key that is missing or empty.
//
// A list is read with one call for the whole section and written with one call
// for the whole section: the private-profile functions look keys up one by one
// in a linear list, so reading or writing ten thousand keys singly takes tens
// of seconds, while one section takes milliseconds. The values and the file
// come out exactly as reading or writing the keys one by one would give them.

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tb {

constexpr char kDirectoriesSection[] = "Directories";
constexpr char kChangesSection[] = "Changes";
// Values of both lists are read with a buffer of 2000 characters.
constexpr unsigned kDirValueBuffer = 2000;

// "Dir" followed by n in decimal.
std::string DirKey(int n);

// The keys of one section as they are now, in file order.
class CIniSection {
public:
    explicit CIniSection(const char* section);

    // What GetPrivateProfileString would return with a buffer of `bufferSize`
    // characters: the value of the first key of that name (any case), without
    // surrounding quotes, cut to bufferSize - 1 characters; "" when missing.
    std::string Value(const std::string& key, unsigned bufferSize = kDirValueBuffer) const;

    // Applies the assignments in order, as WritePrivateProfileString would (an
    // existing key keeps its place, a new one goes to the end), and writes the
    // whole section back in one call.
    void Write(const std::vector<std::pair<std::string, std::string>>& assignments);

private:
    int Find(const std::string& key) const;

    std::string m_section;
    std::vector<std::pair<std::string, std::string>> m_lines;  // key, raw value
    std::unordered_map<std::string, size_t> m_index;             // upper-cased key -> first line
};

// Dir1, Dir2, ... of a section up to the first missing or empty value, at most
// `limit` values, each as read with a 2000-character buffer.
std::vector<std::string> ReadDirList(const char* section, int limit);

}  // namespace tb

#pragma once
// Reads a numbered list (Dir1, Dir2, ...) of the test's Vaultly.ini key by key
// through the system's own profile reader, up to the first missing or empty key.

#include <set>
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "tests/unit/TestIni.h"

// Lists of paths print as their entries when a check fails.
namespace doctest {
template <>
struct StringMaker<std::vector<std::string>> {
    static String convert(const std::vector<std::string>& list) {
        std::string text = "{";
        for (const std::string& item : list) text += (text.size() > 1 ? ", \"" : "\"") + item + "\"";
        return (text + "}").c_str();
    }
};
template <>
struct StringMaker<std::set<std::string>> {
    static String convert(const std::set<std::string>& items) {
        return StringMaker<std::vector<std::string>>::convert(std::vector<std::string>(items.begin(), items.end()));
    }
};
}  // namespace doctest

namespace tb {

inline std::vector<std::string> ReadListKeyByKey(const TestIni& ini, const char* section) {
    std::vector<std::string> list;
    for (int n = 1;; ++n) {
        std::string value = ini.Value(section, ("Dir" + std::to_string(n)).c_str());
        if (value.empty()) return list;
        list.push_back(value);
    }
}

// True when the key is present in the section with an empty value (an end mark).
inline bool HasEmptyKey(const TestIni& ini, const char* section, const std::string& key) {
    char buffer[16] = {};
    ::GetPrivateProfileStringA(section, key.c_str(), "<missing>", buffer, sizeof buffer, kSettingsFile);
    return buffer[0] == '\0';
}

}  // namespace tb

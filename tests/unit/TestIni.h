#pragma once
// A Vaultly.ini made for one test: created (or removed) at the start, removed
// at the end, so every test starts from a state it made itself.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/Profile.h"

namespace tb {

class TestIni {
public:
    // No settings file at all.
    TestIni() { Remove(); }
    // A settings file with exactly `text`.
    explicit TestIni(const std::string& text) {
        Remove();
        std::ofstream out(SettingsFilePath(), std::ios::binary);
        out << text;
    }
    ~TestIni() { Remove(); }
    TestIni(const TestIni&) = delete;
    TestIni& operator=(const TestIni&) = delete;

    std::string Text() const {
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, kSettingsFile);  // flush the cache
        std::ifstream in(SettingsFilePath(), std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }

    // The raw text of a key, "" when missing.
    std::string Value(const char* section, const char* key) const {
        char buffer[8192] = {};
        ::GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, kSettingsFile);
        return buffer;
    }

private:
    static void Remove() {
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, kSettingsFile);
        ::DeleteFileA(SettingsFilePath().c_str());
    }
};

}  // namespace tb

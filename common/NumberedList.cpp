#include "common/NumberedList.h"

#include <windows.h>

#include <cstring>

#include "common/Profile.h"
#include "framework/Text.h"

namespace tb {

std::string DirKey(int n) { return "Dir" + std::to_string(n); }

CIniSection::CIniSection(const char* section) : m_section(section) {
    std::vector<char> buffer(1 << 16);
    DWORD n = 0;
    for (;;) {
        n = ::GetPrivateProfileSectionA(section, buffer.data(), DWORD(buffer.size()), kSettingsFile);
        // A buffer too small is reported as its size minus two.
        if (n + 2 < buffer.size()) break;
        buffer.assign(buffer.size() * 2, '\0');
    }
    for (const char* p = buffer.data(); p < buffer.data() + n && *p; p += std::strlen(p) + 1) {
        std::string line(p);
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            m_lines.emplace_back(line, std::string());
        else
            m_lines.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        m_index.emplace(ToUpper(m_lines.back().first), m_lines.size() - 1);  // the first one stays
    }
}

int CIniSection::Find(const std::string& key) const {
    auto it = m_index.find(ToUpper(key));
    return it == m_index.end() ? -1 : int(it->second);
}

std::string CIniSection::Value(const std::string& key, unsigned bufferSize) const {
    int index = Find(key);
    if (index < 0 || bufferSize == 0) return {};
    std::string value = m_lines[size_t(index)].second;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
    return value;
}

void CIniSection::Write(const std::vector<std::pair<std::string, std::string>>& assignments) {
    if (assignments.empty()) return;
    for (const auto& [key, value] : assignments) {
        int index = Find(key);
        if (index >= 0) {
            m_lines[size_t(index)].second = value;
        } else {
            m_lines.emplace_back(key, value);
            m_index.emplace(ToUpper(key), m_lines.size() - 1);
        }
    }
    std::string text;
    for (const auto& [key, value] : m_lines) {
        text += key;
        text += '=';
        text += value;
        text += '\0';
    }
    text += '\0';
    ::WritePrivateProfileSectionA(m_section.c_str(), text.data(), kSettingsFile);
}

std::vector<std::string> ReadDirList(const char* section, int limit) {
    CIniSection keys(section);
    std::vector<std::string> list;
    for (int n = 1; n <= limit; ++n) {
        std::string value = keys.Value(DirKey(n));
        if (value.empty()) break;
        list.push_back(std::move(value));
    }
    return list;
}

}  // namespace tb

#include "framework/TextFile.h"

#include <windows.h>

#include "framework/Handles.h"

namespace tb {

namespace {

bool WriteAll(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return ::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
}

}  // namespace

std::vector<std::string> ReadTextLines(const std::string& path, unsigned long largest) {
    std::vector<std::string> lines;
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return lines;
    const DWORD size = ::GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > largest) return lines;
    std::string text(size, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.Get(), text.data(), size, &read, nullptr)) return lines;
    text.resize(read);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool ReplaceTextFile(const std::string& path, const std::string& text, const char* suffix) {
    const std::string temporary = path + suffix;
    {
        UniqueFile file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !WriteAll(file.Get(), text) || !::FlushFileBuffers(file.Get())) {
            file.Reset();
            ::DeleteFileA(temporary.c_str());
            return false;
        }
    }
    if (::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileA(temporary.c_str());
    return false;
}

bool AppendTextFile(const std::string& path, const std::string& text) {
    UniqueFile file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.Get(), text);
}

}  // namespace tb

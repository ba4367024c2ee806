#include "autoarchive/RunLog.h"

#include <windows.h>

#include "framework/Handles.h"
#include "framework/Shell.h"

namespace tb {

namespace {
constexpr char kRunLogName[] = "Vaultly.log";
constexpr DWORD kLargestLog = 16 * 1024 * 1024;  // a log beyond this is not ours to read

bool WriteAll(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return ::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines, size_t from) {
    // Written beside the log and then put in its place: a log cut short never
    // replaces a whole one.
    const std::string temporary = path + ".new";
    std::string text;
    for (size_t i = from; i < lines.size(); ++i) text += lines[i] + "\r\n";
    {
        UniqueFile file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !WriteAll(file.Get(), text)) {
            file.Reset();
            ::DeleteFileA(temporary.c_str());
            return false;
        }
    }
    return ::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}
}  // namespace

std::string RunLogPath() {
    std::string path = WindowsFolder();
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + kRunLogName;
}

std::vector<std::string> ReadRunLog(const std::string& path) {
    std::vector<std::string> lines;
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return lines;
    const DWORD size = ::GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > kLargestLog) return lines;
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

bool AppendRunLog(const std::string& path, const std::string& line, size_t keep) {
    // The whole log is rewritten only now and then: a tenth more than it keeps.
    std::vector<std::string> lines = ReadRunLog(path);
    if (lines.size() + 1 > keep + keep / 10) {
        lines.push_back(line);
        return WriteLines(path, lines, lines.size() - keep);
    }
    UniqueFile file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.Get(), line + "\r\n");
}

}  // namespace tb

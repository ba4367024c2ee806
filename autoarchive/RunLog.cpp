#include "autoarchive/RunLog.h"

#include <windows.h>

#include <fstream>

#include "framework/Shell.h"

namespace tb {

namespace {
constexpr char kRunLogName[] = "Vaultly.log";

bool WriteLines(const std::string& path, const std::vector<std::string>& lines, size_t from) {
    // Written beside the log and then put in its place: a log cut short never
    // replaces a whole one.
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (size_t i = from; i < lines.size(); ++i) out << lines[i] << "\r\n";
        if (!out.flush()) return false;
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
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
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
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << line << "\r\n";
    return static_cast<bool>(out.flush());
}

}  // namespace tb

#include "autoarchive/RunLog.h"

#include "framework/Shell.h"
#include "framework/TextFile.h"

namespace tb {

namespace {
constexpr char kRunLogName[] = "Vaultly.log";
}  // namespace

std::string RunLogPath() {
    std::string path = WindowsFolder();
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + kRunLogName;
}

std::vector<std::string> ReadRunLog(const std::string& path) { return ReadTextLines(path); }

bool AppendRunLog(const std::string& path, const std::string& line, size_t keep) {
    // The whole log is rewritten only now and then: a tenth more than it keeps.
    std::vector<std::string> lines = ReadRunLog(path);
    if (lines.size() + 1 > keep + keep / 10) {
        lines.push_back(line);
        std::string text;
        for (size_t i = lines.size() - keep; i < lines.size(); ++i) text += lines[i] + "\r\n";
        return ReplaceTextFile(path, text);
    }
    return AppendTextFile(path, line + "\r\n");
}

}  // namespace tb

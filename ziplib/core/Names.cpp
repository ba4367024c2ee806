#include "Names.h"

#include <cstring>

namespace zl {

namespace {

bool IsSep(char c) { return c == '/' || c == '\\'; }

char Fold(char c) {
    if (c == '\\') return '/';
    if (c >= 'A' && c <= 'Z') return char(c - 'A' + 'a');
    return c;
}

std::vector<std::string> SplitParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (IsSep(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

// Drops a drive letter ("C:") or a UNC server and share ("\\server\share") in front.
std::string StripRoot(const std::string& path) {
    if (path.size() >= 2 && IsSep(path[0]) && IsSep(path[1])) {
        size_t pos = 2, seps = 0;
        // "\\?\C:\..." and "\\?\UNC\server\share\..." long path forms.
        if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSep(path[3])) {
            std::string rest = path.substr(4);
            if (rest.size() >= 4 && (rest.compare(0, 3, "UNC") == 0 || rest.compare(0, 3, "unc") == 0) && IsSep(rest[3]))
                return StripRoot("\\\\" + rest.substr(4));
            return StripRoot(rest);
        }
        while (pos < path.size() && seps < 2) {
            if (IsSep(path[pos])) ++seps;
            ++pos;
        }
        return seps < 2 ? std::string() : path.substr(pos);
    }
    if (path.size() >= 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z'))
        return path.substr(2);
    return path;
}

// Names Windows takes for devices whatever the extension: CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, and COM or LPT with a digit 0-9 or a superscript 1, 2, 3.
bool IsDeviceName(const std::string& part) {
    std::string base = part.substr(0, part.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::string key = NameKey(base);
    static const char* const names[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* n : names)
        if (key == n) return true;
    if (key.size() < 4 || (key.compare(0, 3, "com") != 0 && key.compare(0, 3, "lpt") != 0)) return false;
    const std::string digit = key.substr(3);
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') ||
           digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";   // superscript 1, 2, 3 in UTF-8
}

}  // namespace

std::vector<std::string> ParseFileList(const std::string& list) {
    std::vector<std::string> names;
    size_t i = 0;
    while (i < list.size()) {
        char c = list[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') { ++i; continue; }
        if (c == '"') {
            size_t close = list.find('"', i + 1);
            if (close == std::string::npos) close = list.size();
            std::string name = list.substr(i + 1, close - i - 1);
            if (!name.empty()) names.push_back(name);
            i = close + 1;
        } else {
            size_t endPos = list.find_first_of(" \t\r\n", i);
            if (endPos == std::string::npos) endPos = list.size();
            names.push_back(list.substr(i, endPos - i));
            i = endPos;
        }
    }
    return names;
}

std::string NameKey(const std::string& name) {
    std::string key(name);
    for (char& c : key) c = Fold(c);
    return key;
}

bool HasWildcards(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    // Iterative matcher with one backtrack point: linear in practice, never recursive.
    size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool NameSelects(const std::string& listed, const std::string& stored, bool asPattern) {
    if (asPattern && WildcardMatch(listed, stored)) return true;
    const std::string key = NameKey(listed), storedKey = NameKey(stored);
    return key == storedKey || (!storedKey.empty() && storedKey.back() == '/' && key + "/" == storedKey);
}

std::string StoredName(const std::string& path, bool keepFolders) {
    std::vector<std::string> parts = SplitParts(StripRoot(path));
    std::string out;
    if (!keepFolders) {
        for (auto it = parts.rbegin(); it != parts.rend(); ++it)
            if (!it->empty() && *it != "." && *it != "..") return *it;
        return out;
    }
    for (const std::string& part : parts) {
        if (part.empty() || part == "." || part == "..") continue;
        if (!out.empty()) out += '/';
        out += part;
    }
    return out;
}

bool SafeRelativePath(const std::string& name, bool keepFolders, char separator, std::string& out) {
    out.clear();
    std::vector<std::string> parts = SplitParts(StripRoot(name));
    std::vector<std::string> kept;
    for (std::string part : parts) {
        if (part.empty() || part == ".") continue;
        // Windows drops trailing dots and blanks: "..  " would climb too.
        std::string trimmed = part;
        while (!trimmed.empty() && (trimmed.back() == '.' || trimmed.back() == ' ')) trimmed.pop_back();
        if (trimmed.empty()) {
            if (part.find('.') != std::string::npos && part.find_first_not_of(". ") == std::string::npos &&
                part.find("..") != std::string::npos)
                return false;  // "..", "...", ". ." and the like
            continue;
        }
        for (char& c : part) {
            unsigned char u = static_cast<unsigned char>(c);
            if (u < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) c = '_';
        }
        if (IsDeviceName(part)) part = "_" + part;
        kept.push_back(part);
    }
    if (kept.empty()) return false;
    if (!keepFolders) {
        out = kept.back();
        return true;
    }
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i) out += separator;
        out += kept[i];
    }
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& relative, char separator) {
    if (folder.empty()) return relative;
    if (IsSep(folder.back())) return folder + relative;
    return folder + separator + relative;
}

std::string ParentPath(const std::string& path) {
    size_t pos = path.find_last_of("/\\");
    if (pos == std::string::npos) return std::string();
    return path.substr(0, pos);
}

}  // namespace zl

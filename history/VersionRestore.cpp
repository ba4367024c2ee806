#include "history/VersionRestore.h"

#include <cctype>
#include <cstring>

#include "framework/DirectoryWalker.h"
#include "framework/Path.h"
#include "framework/Text.h"
#include "zip/ZipEngine.h"

namespace tb {

namespace {

bool IsDeviceName(const std::string& name) {
    const std::string base = ToUpper(name.substr(0, name.find('.')));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices)
        if (base == device) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// "name (n).ext" for the numbered alternatives.
std::string Numbered(const std::string& name, int n) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + Format(" (%d)", n);
    return name.substr(0, dot) + Format(" (%d)", n) + name.substr(dot);
}

std::string FullPath(const std::string& path) {
    char full[4096] = {};
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length == 0 || length >= sizeof full ? std::string() : std::string(full, length);
}

// A folder of our own inside the destination for the library to write into;
// removed with whatever is left in it.
class CScratchFolder {
public:
    explicit CScratchFolder(const std::string& inside) {
        for (int n = 0; n < 100 && m_path.empty(); ++n) {
            const std::string candidate =
                JoinPath(inside, Format("~tbrestore-%lu-%d", ::GetCurrentProcessId(), int(::GetTickCount() % 100000) + n));
            if (::CreateDirectoryA(candidate.c_str(), nullptr)) m_path = candidate;
        }
        if (!m_path.empty()) ::SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    ~CScratchFolder() {
        if (m_path.empty()) return;
        {
            CDirectoryWalker walk(m_path, CDirectoryWalker::Options(CDirectoryWalker::kWholeTree,
                                                                    CDirectoryWalker::Order::ContentsFirst));
            for (WalkEntry entry; walk.Next(entry);) {
                if (entry.IsDirectory()) ::RemoveDirectoryA(entry.path.c_str());
                else {
                    ::SetFileAttributesA(entry.path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    ::DeleteFileA(entry.path.c_str());
                }
            }
        }
        ::RemoveDirectoryA(m_path.c_str());
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    const std::string& Path() const { return m_path; }

    // The one file the library wrote; "" when there is none.
    std::string WrittenFile() const {
        CDirectoryWalker walk(m_path, CDirectoryWalker::Options(0));
        for (WalkEntry entry; walk.Next(entry);)
            if (!entry.IsDirectory()) return entry.path;
        return "";
    }

private:
    std::string m_path;
};

std::string SystemMessage(DWORD code) {
    char text[512] = {};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                          text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? Format("error %lu", code) : message;
}

}  // namespace

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string RestoreFileName(const std::string& storedName) {
    const size_t slash = storedName.find_last_of("\\/");
    std::string name = slash == std::string::npos ? storedName : storedName.substr(slash + 1);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c) != nullptr) c = '_';
    if (name.find_first_not_of(". ") == std::string::npos) return "_";
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.back() = '_';
    if (IsDeviceName(name)) name = "_" + name;
    return name;
}

std::string NameWithDay(const std::string& name, const std::string& dayText) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + " (" + dayText + ")";
    return name.substr(0, dot) + " (" + dayText + ")" + name.substr(dot);
}

std::string FreeName(const std::string& folder, const std::string& name,
                     const std::function<bool(const std::string& path)>& exists) {
    if (!exists(JoinPath(folder, name))) return name;
    for (int n = 2; n < 10000; ++n) {
        const std::string candidate = Numbered(name, n);
        if (!exists(JoinPath(folder, candidate))) return candidate;
    }
    return Numbered(name, int(::GetTickCount() % 1000000));
}

bool InsideFolder(const std::string& folder, const std::string& path) {
    std::string base = FullPath(folder);
    const std::string full = FullPath(path);
    if (base.empty() || full.empty()) return false;
    if (base.back() != '\\') base += '\\';
    return full.size() > base.size() && StartsWithNoCase(full, base) &&
           full.find('\\', base.size()) == std::string::npos;
}

std::string RestoreDrives(const std::string& customDriveList) {
    std::string drives;
    for (char c : customDriveList) {
        const char letter = char(std::toupper(static_cast<unsigned char>(c)));
        if (letter >= 'A' && letter <= 'Z' && drives.find(letter) == std::string::npos) drives += letter;
    }
    const DWORD present = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        const char letter = char('A' + i);
        if (!(present & (1u << i)) || drives.find(letter) != std::string::npos) continue;
        const char root[] = {letter, ':', '\\', '\0'};
        if (::GetDriveTypeA(root) == DRIVE_FIXED) drives += letter;
    }
    return drives;
}

std::string OriginalFolder(const std::string& storedName, const std::string& drives,
                           const std::function<bool(const std::string& path)>& fileExists,
                           const std::function<bool(const std::string& path)>& folderExists) {
    std::string path = ReplaceAll(storedName, "/", "\\");
    while (!path.empty() && path.front() == '\\') path.erase(0, 1);
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos || slash == 0) return "";
    const std::string folders = path.substr(0, slash);
    for (const std::string& part : Split(folders, "\\"))
        if (part.empty() || part == "." || part == ".." || part.find(':') != std::string::npos) return "";
    const std::string name = RestoreFileName(path);
    for (char drive : drives) {
        const std::string candidate = std::string(1, drive) + ":\\" + folders;
        if (fileExists(JoinPath(candidate, name))) return candidate;
    }
    for (char drive : drives) {
        const std::string candidate = std::string(1, drive) + ":\\" + folders;
        if (folderExists(candidate)) return candidate;
    }
    return "";
}

RestoreOutcome RestoreVersion(const RestoreRequest& request, IRestorePrompts& prompts, HWND progressWindow) {
    RestoreOutcome outcome;
    const std::string& folder = request.folder;
    if (folder.empty() || !FolderExists(folder)) {
        outcome.problem = "The folder " + folder + " does not exist.";
        return outcome;
    }
    const std::string name = RestoreFileName(request.copy.entryName);
    std::string target = JoinPath(folder, name);
    bool replace = false;
    if (FileExists(target) || FolderExists(target)) {
        const std::string alternative =
            JoinPath(folder, FreeName(folder, NameWithDay(name, request.copy.DayText()),
                                      [](const std::string& p) { return FileExists(p) || FolderExists(p); }));
        switch (FolderExists(target) ? ExistingAnswer::KeepBoth : prompts.AskExisting(target, alternative)) {
        case ExistingAnswer::Cancel:
            outcome.status = RestoreOutcome::Status::Cancelled;
            return outcome;
        case ExistingAnswer::KeepBoth:
            target = alternative;
            break;
        case ExistingAnswer::Replace:
            replace = true;
            break;
        }
    }
    if (!InsideFolder(folder, target)) {
        outcome.problem = "The file would be written outside " + folder + ".";
        return outcome;
    }

    CScratchFolder scratch(folder);
    if (scratch.Path().empty()) {
        outcome.problem = "Unable to write in " + folder + ": " + SystemMessage(::GetLastError());
        return outcome;
    }
    CZipEngine engine(progressWindow);
    engine.m_password = request.password;
    engine.CollectPasswordProblems();
    // Quiet: the library tells nothing itself; what went wrong is told once by the caller.
    const int options = kUnzipOptNoFolderNames | kUnzipOptOverwrite | kUnzipOptQuiet;
    const bool byPosition = (request.copy.flags & kZipInfoNameCut) != 0;
    const int extracted = byPosition ? engine.ExtractFiles(request.copy.archive, "", scratch.Path(),
                                                           int(request.copy.position), options)
                                     : engine.ExtractFiles(request.copy.archive, request.copy.entryName,
                                                           scratch.Path(), -1, options);
    const PasswordProblems& problems = engine.PasswordProblemsSeen();
    if (!problems.entries.empty()) {
        outcome.status = problems.wrongPassword ? RestoreOutcome::Status::WrongPassword
                                                : RestoreOutcome::Status::NeedsPassword;
        return outcome;
    }
    const std::string written = scratch.WrittenFile();
    if (!extracted || written.empty()) {
        outcome.problem = "The file could not be taken from " + request.copy.archive + ".";
        return outcome;
    }
    if (!::MoveFileExA(written.c_str(), target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
        outcome.problem = "Unable to write " + target + ": " + SystemMessage(::GetLastError());
        return outcome;
    }
    outcome.status = RestoreOutcome::Status::Restored;
    outcome.path = target;
    return outcome;
}

}  // namespace tb

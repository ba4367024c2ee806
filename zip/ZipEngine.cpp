#include "zip/ZipEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

ZipEngineShared gZipShared;

namespace {

bool FileExists(const char* utf8Path) {
    wchar_t wide[kZipRenameBufferSize];
    if (MultiByteToWideChar(CP_UTF8, 0, utf8Path, -1, wide, kZipRenameBufferSize) == 0) return false;
    return GetFileAttributesW(wide) != INVALID_FILE_ATTRIBUTES;
}

// Removes the first occurrence of `word` from the NUL-terminated `text`.
void CutWord(char* text, const char* word) {
    char* at = std::strstr(text, word);
    if (at == nullptr) return;
    size_t n = std::strlen(word);
    std::memmove(at, at + n, std::strlen(at + n) + 1);
}

// A file name as the file system compares it (ASCII letters folded).
std::string NameKey(const std::string& path) {
    std::string key(path);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c == '/') c = '\\';
    }
    return key;
}

// A name is taken when a file has it, or when it was given to an earlier entry
// of the running extraction that the library may still be writing.
bool NameTaken(const std::string& path) {
    return gZipShared.namesGiven.count(NameKey(path)) != 0 || FileExists(path.c_str());
}

}  // namespace

CZipEngine::CZipEngine() {
    std::memset(&m_entryInfo, 0, sizeof m_entryInfo);
    m_progressWindow = GetActiveWindow();
    gZipShared.progressWindow = m_progressWindow;
    gZipShared.abort = 0;
    gZipShared.collectPasswordProblems = 0;
    gZipShared.passwordProblems = PasswordProblems();
    ResetUnzipCommand();
    ResetZipCommand();
}

CZipEngine::CZipEngine(HWND parent) : CZipEngine() {
    if (parent != nullptr) {
        m_progressWindow = parent;
        gZipShared.progressWindow = parent;
    }
}

HWND CZipEngine::SetProgressWindow(HWND window) {
    if (window != nullptr) {
        m_progressWindow = window;
        gZipShared.progressWindow = window;
    }
    return window;
}

void CZipEngine::CollectPasswordProblems() {
    gZipShared.collectPasswordProblems = 1;
    gZipShared.passwordProblems = PasswordProblems();
}

int CZipEngine::AbortZipOperation() {
    gZipShared.abort = 1;
    return 1;
}

void CZipEngine::ResetUnzipCommand() {
    std::memset(&m_unzip, 0, sizeof m_unzip);
    m_unzip.size = sizeof m_unzip;
    m_unzip.entryInfo = &m_entryInfo;
    m_unzip.fileSpec = "*.*";
    m_unzip.index = -1;
    m_unzip.noFolderNames = 1;
    m_unzip.allFiles = 1;
    m_unzip.restoreTimes = 1;
    m_unzip.itemStatus = &CZipEngine::ItemStatusCallback;
    m_unzip.progress = &CZipEngine::ProgressCallback;
    m_unzip.message = &CZipEngine::MessageCallback;
    m_unzip.rename = &CZipEngine::RenameCallback;
}

void CZipEngine::ResetZipCommand() {
    std::memset(&m_zip, 0, sizeof m_zip);
    m_zip.size = sizeof m_zip;
    m_zip.level = 5;
    m_zip.replaceExisting = 1;
    m_zip.recurseFolders = 1;
    m_zip.threads = 0;
    m_zip.bufferKiB = 64;
    m_zip.progress = &CZipEngine::ProgressCallback;
    m_zip.itemStatus = &CZipEngine::ItemStatusCallback;
    m_zip.message = &CZipEngine::MessageCallback;
    m_zip.rename = &CZipEngine::RenameCallback;
}

int CZipEngine::ApplyUnzipOptions(int bits) {
    m_unzip.noFolderNames = (bits & kUnzipNoFolderNames) ? 1 : 0;
    m_unzip.overwrite = (bits & kUnzipOverwrite) ? 1 : 0;
    m_unzip.quiet = (bits & kUnzipQuiet) ? 1 : 0;
    gZipShared.renameByNumbering = (bits & kUnzipRenameByNumber) ? 1 : 0;
    m_unzip.allFiles = (bits & kUnzipAllFiles) ? 1 : 0;
    return bits;
}

int CZipEngine::ApplyZipOptions(int bits) {
    m_zip.noFolderNames = (bits & kZipKeepFolders) ? 0 : 1;
    m_zip.encrypt = (bits & kZipEncrypt) ? 1 : 0;
    m_zip.quiet = (bits & kZipQuiet) ? 1 : 0;
    return bits;
}

int CZipEngine::ListArchive(std::string archive, std::string /*ignored*/, int index) {
    if (archive.empty()) {
        m_archiveName.clear();
        return 0;
    }
    if (archive != m_archiveName) {
        ResetUnzipCommand();
        m_archiveName = archive;
        m_unzip.archive = m_archiveName.c_str();
        m_unzip.function = kUnzipFunctionCount;
        m_lastResult = dunzip(&m_unzip);
        gZipShared.lastCount = m_unzip.count;
        return m_unzip.count;
    }
    if (index >= 0 && index <= gZipShared.lastCount) {
        ResetUnzipCommand();
        m_unzip.archive = m_archiveName.c_str();
        m_unzip.index = index;
        m_unzip.function = kUnzipFunctionByIndex;
        dunzip(&m_unzip);
        return 1;
    }
    if (index == -2) {
        ResetUnzipCommand();
        m_unzip.archive = m_archiveName.c_str();
        m_unzip.function = kUnzipFunctionNext;
        dunzip(&m_unzip);
        return 1;
    }
    return 1;
}

int CZipEngine::ExtractFiles(std::string archive, std::string fileSpec, std::string destFolder, int index,
                             int unzipOptions) {
    if (archive != m_archiveName) {
        ResetUnzipCommand();
        m_archiveName = archive;
    }
    if (archive.empty()) return 0;
    ResetUnzipCommand();
    m_unzip.password = m_password.c_str();
    if (!m_password.empty()) m_unzip.passwordGiven = 1;
    std::string spec;
    if (!fileSpec.empty()) {
        m_unzip.archive = archive.c_str();
        spec = fileSpec[0] == '"' ? fileSpec : "\"" + fileSpec + "\"";
        m_unzip.fileSpec = spec.c_str();
    } else {
        if (index == -1) return 0;
        m_unzip.archive = archive.c_str();
        m_unzip.index = index;
    }
    if (destFolder.empty() || destFolder.back() != '\\') destFolder += '\\';
    m_unzip.destination = destFolder.c_str();
    ApplyUnzipOptions(unzipOptions);
    m_unzip.function = kUnzipFunctionExtract;
    gZipShared.namesGiven.clear();
    m_lastResult = dunzip(&m_unzip);
    gZipShared.namesGiven.clear();
    return m_lastResult == 0 ? 1 : 0;
}

int CZipEngine::ZipFiles(std::string archive, std::string fileSpec, int operation) {
    if (archive.empty()) return 0;
    ResetZipCommand();
    m_zip.password = m_password.c_str();
    if (operation & kZipJobAdd) {
        m_zip.function = kZipFunctionAdd;
    } else if (operation & kZipJobDelete) {
        m_zip.function = kZipFunctionDelete;
    } else if (operation & kZipJobFunction3) {
        m_zip.function = kZipFunctionFreshen;
    } else {
        return 0;
    }
    m_zip.archive = archive.c_str();
    m_zip.fileList = fileSpec.c_str();
    if (operation & kZipJobAdd) ApplyZipOptions(operation);
    gZipShared.unreadableFiles.clear();
    m_lastResult = dzip(&m_zip);
    return m_lastResult == 0 ? 1 : 0;
}

int CALLBACK CZipEngine::ProgressCallback(const char* text, int percent, void* /*user*/) {
    SendMessageA(gZipShared.progressWindow, kWmZipProgress, WPARAM(percent), LPARAM(text));
    return gZipShared.abort ? 1 : 0;
}

int CALLBACK CZipEngine::ItemStatusCallback(const char* text, int percent, void* /*user*/) {
    SendMessageA(gZipShared.progressWindow, kWmZipItem, WPARAM(percent), LPARAM(text));
    return gZipShared.abort ? 1 : 0;
}

int CALLBACK CZipEngine::MessageCallback(int code, unsigned /*style*/, int /*reserved*/, int /*size*/, char* text,
                                         const char* file, void* /*user*/) {
    if (code == kZipMsgCannotReadFile && file != nullptr) gZipShared.unreadableFiles.emplace_back(file);
    if (gZipShared.collectPasswordProblems && (code == kZipMsgWrongPassword || code == kZipMsgPasswordNeeded)) {
        PasswordProblems& problems = gZipShared.passwordProblems;
        if (code == kZipMsgWrongPassword) problems.wrongPassword = true;
        const std::string entry = file != nullptr ? file : "";
        if (std::find(problems.entries.begin(), problems.entries.end(), entry) == problems.entries.end())
            problems.entries.push_back(entry);
        return IDOK;  // answered: the caller tells the user once
    }
    if (text != nullptr) {
        CutWord(text, "DynaZIP");
        CutWord(text, "DynaZip");
    }
    return 0;
}

int CALLBACK CZipEngine::RenameCallback(char* name, void* /*user*/) {
    if (!gZipShared.renameByNumbering || name == nullptr) return 0;
    std::string path(name);
    if (!NameTaken(path)) {
        gZipShared.namesGiven.insert(NameKey(path));
        return 0;
    }
    size_t dot = path.rfind('.');
    // Only a dot of the file name counts; one in a folder name does not.
    size_t separator = path.find_last_of("\\/");
    if (dot == std::string::npos || dot == 0 || (separator != std::string::npos && dot < separator)) return 0;
    std::string base = path.substr(0, dot), extension = path.substr(dot);
    for (int n = 1; n <= 99; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%03.0f", double(n));
        std::string candidate = base + "." + number + extension;
        if (candidate.size() >= kZipRenameBufferSize) return 0;
        if (!NameTaken(candidate)) {
            std::memcpy(name, candidate.c_str(), candidate.size() + 1);
            gZipShared.namesGiven.insert(NameKey(candidate));
            return 0;
        }
    }
    return 0;
}

#include "zip/ZipEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tb {

namespace {

// The DLLs hand names over in the program's code page (UTF-8 under our
// manifest, the system's ANSI page where that is not honoured).
bool FileExists(const char* path) {
    wchar_t wide[kZipRenameBufferSize];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, kZipRenameBufferSize) == 0) return false;
    return GetFileAttributesW(wide) != INVALID_FILE_ATTRIBUTES;
}

// Removes the first occurrence of `word` from the NUL-terminated `text`.
void CutWord(char* text, const char* word) {
    char* at = std::strstr(text, word);
    if (at == nullptr) return;
    size_t n = std::strlen(word);
    std::memmove(at, at + n, std::strlen(at + n) + 1);
}

CZipEngine* EngineOf(void* user) { return static_cast<CZipEngine*>(user); }

// A file name as the file system compares it (ASCII letters folded).
std::string NameKey(const std::string& path) {
    std::string key(path);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c == '/') c = '\\';
    }
    return key;
}

}  // namespace

CZipEngine::CZipEngine() {
    std::memset(&m_entryInfo, 0, sizeof m_entryInfo);
    m_progressWindow = GetActiveWindow();
    ResetUnzipCommand();
    ResetZipCommand();
}

CZipEngine::CZipEngine(HWND parent) : CZipEngine() {
    if (parent != nullptr) m_progressWindow = parent;
}

HWND CZipEngine::SetProgressWindow(HWND window) {
    if (window != nullptr) m_progressWindow = window;
    return window;
}

void CZipEngine::CollectPasswordProblems() {
    m_collectPasswordProblems = 1;
    m_passwordProblems = PasswordProblems();
}

int CZipEngine::AbortZipOperation() {
    m_abort = 1;
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
    m_unzip.itemStatusUser = m_unzip.progressUser = m_unzip.messageUser = m_unzip.renameUser = this;
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
    m_zip.progressUser = m_zip.itemStatusUser = m_zip.messageUser = m_zip.renameUser = this;
}

int CZipEngine::ApplyUnzipOptions(int bits) {
    m_unzip.noFolderNames = (bits & kUnzipOptNoFolderNames) ? 1 : 0;
    m_unzip.overwrite = (bits & kUnzipOptOverwrite) ? 1 : 0;
    m_unzip.quiet = (bits & kUnzipOptQuiet) ? 1 : 0;
    m_renameByNumbering = (bits & kUnzipOptRenameByNumber) ? 1 : 0;
    m_unzip.allFiles = (bits & kUnzipOptAllFiles) ? 1 : 0;
    return bits;
}

int CZipEngine::ApplyZipOptions(int bits) {
    m_zip.noFolderNames = (bits & kZipOptKeepFolders) ? 0 : 1;
    m_zip.encrypt = (bits & kZipOptEncrypt) ? 1 : 0;
    m_zip.quiet = (bits & kZipOptQuiet) ? 1 : 0;
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
        m_lastCount = m_unzip.count;
        return m_unzip.count;
    }
    if (index >= 0 && index <= m_lastCount) {
        ResetUnzipCommand();
        m_unzip.archive = m_archiveName.c_str();
        m_unzip.index = index;
        m_unzip.function = kUnzipFunctionByIndex;
        m_lastResult = dunzip(&m_unzip);
        return 1;
    }
    if (index == -2) {
        ResetUnzipCommand();
        m_unzip.archive = m_archiveName.c_str();
        m_unzip.function = kUnzipFunctionNext;
        m_lastResult = dunzip(&m_unzip);
        return 1;
    }
    return 1;
}

int CZipEngine::CountEntries(const std::string& archive) {
    ListArchive("", "", -1);
    return ListArchive(archive, "", -1);
}

const ZipEntryInfo& CZipEngine::NextEntry(const std::string& archive) {
    ListArchive(archive, "", -2);
    return m_entryInfo;
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
    m_namesGiven.clear();
    m_lastResult = dunzip(&m_unzip);
    m_namesGiven.clear();
    return m_lastResult == 0 ? 1 : 0;
}

int CZipEngine::ZipFiles(std::string archive, std::string fileSpec, int operation) {
    if (archive.empty()) return 0;
    ResetZipCommand();
    m_zip.password = m_password.c_str();
    if (operation & kZipOpAdd) {
        m_zip.function = kZipFunctionAdd;
    } else if (operation & kZipOpDelete) {
        m_zip.function = kZipFunctionDelete;
    } else if (operation & kZipOpFreshen) {
        m_zip.function = kZipFunctionFreshen;
    } else {
        return 0;
    }
    m_zip.archive = archive.c_str();
    m_zip.fileList = fileSpec.c_str();
    if (operation & kZipOpAdd) ApplyZipOptions(operation);
    m_unreadableFiles.clear();
    m_lastResult = dzip(&m_zip);
    return m_lastResult == 0 ? 1 : 0;
}

int CZipEngine::Report(UINT message, const char* text, int percent) {
    SendMessageA(m_progressWindow, message, WPARAM(percent), LPARAM(text));
    return m_abort ? 1 : 0;
}

int CALLBACK CZipEngine::ProgressCallback(const char* text, int percent, void* user) {
    return user ? EngineOf(user)->Report(WM_TB_ZIP_PROGRESS, text, percent) : 0;
}

int CALLBACK CZipEngine::ItemStatusCallback(const char* text, int percent, void* user) {
    return user ? EngineOf(user)->Report(WM_TB_ZIP_ITEM, text, percent) : 0;
}

int CALLBACK CZipEngine::MessageCallback(int code, unsigned /*style*/, int /*reserved*/, int /*size*/, char* text,
                                         const char* file, void* user) {
    if (code == kZipMsgCannotReadFile && file != nullptr && user) EngineOf(user)->m_unreadableFiles.emplace_back(file);
    if (user && EngineOf(user)->m_collectPasswordProblems &&
        (code == kZipMsgWrongPassword || code == kZipMsgPasswordNeeded)) {
        PasswordProblems& problems = EngineOf(user)->m_passwordProblems;
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

bool CZipEngine::NameTaken(const std::string& path) const {
    return m_namesGiven.count(NameKey(path)) != 0 || FileExists(path.c_str());
}

int CALLBACK CZipEngine::RenameCallback(char* name, void* user) {
    if (!user || !EngineOf(user)->m_renameByNumbering || name == nullptr) return 0;
    CZipEngine& engine = *EngineOf(user);
    std::string path(name);
    if (!engine.NameTaken(path)) {
        engine.m_namesGiven.insert(NameKey(path));
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
        if (!engine.NameTaken(candidate)) {
            std::memcpy(name, candidate.c_str(), candidate.size() + 1);
            engine.m_namesGiven.insert(NameKey(candidate));
            return 0;
        }
    }
    return 0;
}

}  // namespace tb

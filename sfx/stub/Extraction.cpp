#include "sfx/stub/Extraction.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>

#include "core/Crypto.h"
#include "core/ExtractJob.h"
#include "core/Names.h"
#include "sfx/WideText.h"

namespace tb::sfx {

namespace {

Outcome Fail(StubResult result, uint32_t group, const std::string& detail) { return Outcome{result, group, detail}; }

// The platform's file system for reading; writing goes nowhere. The password
// check runs the real extract job on it, so an entry is decoded and checked
// completely without a byte reaching the disk.
class CDiscardingFileSystem : public zl::IFileSystem {
public:
    char Separator() const override { return '\\'; }
    std::unique_ptr<zl::IReadFile> OpenRead(const std::string& path) override { return m_real.OpenRead(path); }
    std::unique_ptr<zl::IWriteFile> CreateNew(const std::string&) override { return std::make_unique<CSink>(); }
    bool Stat(const std::string& path, zl::FileInfo& info) override {
        if (path != m_folder) return false;
        info = zl::FileInfo();
        info.isDirectory = true;
        return true;
    }
    bool Replace(const std::string&, const std::string&, bool) override { return true; }
    bool Remove(const std::string&) override { return true; }
    bool RemoveIfUnused(const std::string&) override { return true; }
    bool CanHold(const std::string& path) override { return m_real.CanHold(path); }
    bool MakeDirectory(const std::string&) override { return true; }
    bool SetTimes(const std::string&, uint32_t, int64_t, bool) override { return true; }
    bool List(const std::string&, std::vector<zl::DirEntry>&) override { return false; }
    std::string CurrentDirectory() override { return m_real.CurrentDirectory(); }
    uint32_t LastErrorCode() override { return 0; }
    std::string LastErrorText() override { return std::string(); }
    const std::string& Folder() const { return m_folder; }

private:
    class CSink : public zl::IWriteFile {
    public:
        bool Write(const void*, size_t) override { return true; }
        bool SetPosition(uint64_t) override { return true; }
        bool Truncate() override { return true; }
        bool SetTimes(uint32_t, int64_t, bool) override { return true; }
        bool Commit(bool) override { return true; }
    };
    zl::IFileSystem& m_real = zl::PlatformFileSystem();
    const std::string m_folder = "?:\\discard";
};

// Which message group and exit code a problem the job reports stands for.
Outcome Classify(zl::MessageCode code, const std::string& text) {
    switch (code) {
    case zl::kMsgCrcError: return Fail(kStubCrcError, ids::kCrcError, text);
    case zl::kMsgWrongPassword:
    case zl::kMsgPasswordNeeded: return Fail(kStubPasswordError, ids::kPasswordError, text);
    case zl::kMsgCannotOpenArchive:
    case zl::kMsgBadArchive:
    case zl::kMsgCannotReadFile: return Fail(kStubArchiveError, ids::kAccessError, text);
    case zl::kMsgCannotWrite:
        // The job says "Cannot write" when a file it made could not be written,
        // "Cannot create" when it could not be made.
        if (text.compare(0, 13, "Cannot write ") == 0) return Fail(kStubDiskFull, ids::kDiskError, text);
        return Fail(kStubCreateError, ids::kCreateError, text);
    default: return Fail(kStubExtractError, ids::kExtractError, text);
    }
}

ULONGLONG FreeBytes(const std::string& folder) {
    ULARGE_INTEGER free{};
    if (!::GetDiskFreeSpaceExW(Widen(folder).c_str(), &free, nullptr, nullptr)) return ~0ull;
    return free.QuadPart;
}

bool PathExists(const std::string& path) { return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The job's events: questions go to the host, the first problem is kept, and a
// full disk stops the job.
class CEvents : public zl::IJobEvents {
public:
    CEvents(const ExtractionRequest& request, IExtractionHost& host) : m_request(request), m_host(host) {}

    bool Progress(const std::string& text, int percent) override { return !m_stop && m_host.Progress(text, percent); }
    bool ItemStatus(const std::string&, int) override { return !m_stop; }
    void Rename(std::string&) override {}

    zl::Answer Message(const zl::ZipError& problem, bool question) override {
        const std::string& file = problem.file;
        if (question) return Overwrite(file);
        const zl::MessageCode code = problem.code;
        Outcome o = Classify(code, problem.text);
        auto replaced = m_replaced.find(file);
        if (code == zl::kMsgCannotWrite && replaced != m_replaced.end()) {
            o.result = kStubCreateError;
            o.group = replaced->second ? ids::kReadOnlyError : ids::kOverwriteError;
        } else if (code == zl::kMsgCannotWrite &&
                   (problem.systemCode == ERROR_DISK_FULL || problem.systemCode == ERROR_HANDLE_DISK_FULL ||
                    FreeBytes(m_request.folder) < (1u << 20))) {
            o.result = kStubDiskFull;
            o.group = ids::kDiskFull;
        }
        if (o.result == kStubDiskFull) m_stop = true;   // nothing more will fit
        if (m_first.result == kStubOk) m_first = o;
        return zl::Answer::Ok;
    }

    const Outcome& First() const { return m_first; }
    bool Stopped() const { return m_stop; }

private:
    zl::Answer Overwrite(const std::string& path) {
        const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
        const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
        IExtractionHost::Answer answer = IExtractionHost::Answer::No;
        if (m_request.askOverwrite) answer = m_host.AskOverwrite(path, readOnly);
        else if (m_request.overwriteSilently) answer = IExtractionHost::Answer::Yes;
        if (answer == IExtractionHost::Answer::Cancel) return zl::Answer::Cancel;
        if (answer == IExtractionHost::Answer::No) return zl::Answer::No;
        if (readOnly) ::SetFileAttributesW(Widen(path).c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
        m_replaced[path] = readOnly;
        return zl::Answer::Yes;
    }

    const ExtractionRequest& m_request;
    IExtractionHost& m_host;
    Outcome m_first;
    std::map<std::string, bool> m_replaced;   // files the user agreed to replace, and whether read-only
    std::atomic<bool> m_stop{false};
};

Outcome FromJobResult(zl::ZipResult r) {
    switch (r) {
    case zl::kZipOk:
    case zl::kZipNothingToDo: return Outcome();
    case zl::kZipAborted: return Fail(kStubCancelled, ids::kCancelled, "cancelled");
    case zl::kZipInternal: return Fail(kStubMemoryError, ids::kMemoryError, "out of memory");
    case zl::kZipCannotOpen:
    case zl::kZipBadArchive: return Fail(kStubArchiveError, ids::kAccessError, "the archive cannot be read");
    case zl::kZipWrongPassword: return Fail(kStubPasswordError, ids::kPasswordError, "wrong password");
    case zl::kZipCrcError: return Fail(kStubCrcError, ids::kCrcError, "CRC error");
    case zl::kZipWriteError: return Fail(kStubCreateError, ids::kCreateError, "cannot write");
    default: return Fail(kStubExtractError, ids::kExtractError, "some entries could not be extracted");
    }
}

}  // namespace

bool NeedsPassword(const zl::ZipDirectory& directory) {
    return std::any_of(directory.entries.begin(), directory.entries.end(),
                       [](const zl::ZipEntry& e) { return e.IsEncrypted() && !e.IsDirectory(); });
}

Outcome CheckPassword(const SelfArchive& archive, const std::string& password) {
    const zl::ZipDirectory& dir = *archive.directory;
    long smallest = -1;
    for (size_t i = 0; i < dir.entries.size(); ++i) {
        const zl::ZipEntry& e = dir.entries[i];
        if (e.IsEncrypted() && !e.IsDirectory() &&
            (smallest < 0 || e.compressedSize < dir.entries[size_t(smallest)].compressedSize))
            smallest = long(i);
    }
    if (smallest < 0) return Outcome();
    CDiscardingFileSystem fs;
    zl::CSilentEvents events;
    zl::CExtractJob job(fs, &zl::PlatformCrypto(), events);
    zl::ExtractOptions options;
    options.archive = archive.path;
    options.destination = fs.Folder();
    options.index = smallest;
    options.overwrite = true;
    options.threads = 1;
    options.havePassword = true;
    options.password = password;
    const zl::ZipResult r = job.Run(options, archive.directory);
    if (r == zl::kZipOk) return Outcome();
    if (r == zl::kZipWrongPassword || r == zl::kZipCrcError)
        return Fail(kStubPasswordError, ids::kPasswordError, "the password does not open the archive");
    return FromJobResult(r);
}

Outcome PrepareFolder(const std::string& folder) {
    WideString path = Widen(folder);
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.empty()) return Fail(kStubPathError, ids::kPathError, "no folder");
    // Every missing folder from the top down, below the drive ("C:\\") or the
    // share ("\\\\server\\share\\").
    size_t first = 3;
    if (path.compare(0, 2, L"\\\\") == 0) {
        const size_t server = path.find_first_of(L"\\/", 2);
        const size_t share = server == WideString::npos ? server : path.find_first_of(L"\\/", server + 1);
        if (share == WideString::npos) return Outcome();   // the share itself
        first = share + 1;
    }
    for (size_t at = path.find_first_of(L"\\/", first); ; at = path.find_first_of(L"\\/", at + 1)) {
        const WideString part = path.substr(0, at);
        const DWORD attributes = ::GetFileAttributesW(part.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!::CreateDirectoryW(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_NOT_READY) return Fail(kStubPathError, ids::kInsertDisk, "the drive is not ready");
                return Fail(kStubPathError, ids::kPathError, "cannot make " + Narrow(part));
            }
        } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return Fail(kStubPathError, ids::kPathError, Narrow(part) + " is a file");
        }
        if (at == WideString::npos) break;
    }
    return Outcome();
}

Outcome CheckFreeSpace(const zl::ZipDirectory& directory, const ExtractionRequest& request) {
    ULONGLONG needed = 0;
    for (const zl::ZipEntry& e : directory.entries) {
        std::string relative;
        if (e.IsDirectory() || !zl::SafeRelativePath(e.name, request.keepFolders, '\\', relative)) continue;
        if (!PathExists(zl::JoinPath(request.folder, relative, '\\'))) needed += e.size;
    }
    if (needed > FreeBytes(request.folder)) return Fail(kStubDiskFull, ids::kDiskFull, "not enough free space");
    return Outcome();
}

Outcome Extract(const SelfArchive& archive, const ExtractionRequest& request, IExtractionHost& host) {
    CEvents events(request, host);
    zl::CExtractJob job(zl::PlatformFileSystem(), &zl::PlatformCrypto(), events);
    zl::ExtractOptions options;
    options.archive = archive.path;
    options.destination = request.folder;
    options.keepFolders = request.keepFolders;
    options.overwrite = false;   // every existing file is a question the events answer
    options.quiet = false;
    options.havePassword = request.havePassword;
    options.password = request.password;
    zl::ZipResult r;
    try {
        r = job.Run(options, archive.directory);
    } catch (const std::bad_alloc&) {
        r = zl::kZipInternal;
    }
    if (events.First().result != kStubOk && (r != zl::kZipAborted || events.Stopped())) return events.First();
    return FromJobResult(r);
}

}  // namespace tb::sfx

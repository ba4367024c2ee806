// The ZIP core's file system on Windows (the DLLs). Paths arrive as UTF-8 and
// are converted to UTF-16, with the "\\?\" prefix for long paths, so that any
// name the volume can hold works whatever the process's code page.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/Io.h"
#include "core/Names.h"
#include "win32/WideString.h"

namespace zl {

namespace {

WideString Widen(const std::string& text) {
    if (text.empty()) return WideString();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    WideString out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

std::string Narrow(const wchar_t* text, size_t size) {
    if (size == 0) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, int(size), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, int(size), &out[0], n, nullptr, nullptr);
    return out;
}

// The wide form of a path; long ones become absolute "\\?\" paths.
WideString PathW(const std::string& path) {
    WideString w = Widen(path);
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    if (w.size() < 240 || w.compare(0, 4, L"\\\\?\\") == 0) return w;
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return w;
    WideString full(n, L'\0');
    n = GetFullPathNameW(w.c_str(), n, &full[0], nullptr);
    full.resize(n);
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The NT form of a path ("\??\C:\...", "\??\UNC\server\..."), for the
// rename of an open file.
WideString NtPath(const std::string& path) {
    WideString w = PathW(path);
    if (w.compare(0, 4, L"\\\\?\\") == 0) return L"\\??\\" + w.substr(4);
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return WideString();
    WideString full(n, L'\0');
    n = GetFullPathNameW(w.c_str(), n, &full[0], nullptr);
    full.resize(n);
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\??\\UNC\\" + full.substr(2);
    return L"\\??\\" + full;
}

class CHandle {
public:
    explicit CHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    bool Close() {
        bool ok = true;
        if (Valid()) ok = CloseHandle(m_h) != 0;
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

// Reads at any position from several threads: a seek and a read under a lock.
// (A read with an OVERLAPPED position would be queued to a completion port,
// which under Wine is a round trip to its server on every read.)
class CWinReadFile : public IReadFile {
public:
    CWinReadFile(HANDLE h, uint64_t size) : m_h(h), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        std::lock_guard<std::mutex> lock(m_lock);
        LARGE_INTEGER at;
        at.QuadPart = LONGLONG(offset);
        if (!SetFilePointerEx(m_h.Get(), at, nullptr, FILE_BEGIN)) return -1;
        size_t done = 0;
        while (done < count) {
            DWORD want = DWORD(std::min<size_t>(count - done, 1u << 30)), got = 0;
            if (!ReadFile(m_h.Get(), static_cast<char*>(buffer) + done, want, &got, nullptr)) return -1;
            if (got == 0) break;
            done += got;
        }
        return int64_t(done);
    }

private:
    CHandle m_h;
    uint64_t m_size;
    std::mutex m_lock;
};

bool FileTimeOf(uint32_t dosTime, int64_t unixTime, bool haveUnixTime, FILETIME& ft) {
    if (haveUnixTime) {
        uint64_t t = uint64_t(unixTime + 11644473600LL) * 10000000ULL;
        ft.dwLowDateTime = DWORD(t);
        ft.dwHighDateTime = DWORD(t >> 32);
        return true;
    }
    FILETIME local;
    return DosDateTimeToFileTime(WORD(dosTime >> 16), WORD(dosTime), &local) && LocalFileTimeToFileTime(&local, &ft);
}

class CWinWriteFile : public IWriteFile {
public:
    explicit CWinWriteFile(HANDLE h) : m_h(h) {}
    bool Write(const void* data, size_t count) override {
        const char* p = static_cast<const char*>(data);
        while (count > 0) {
            DWORD want = DWORD(std::min<size_t>(count, 1u << 30)), done = 0;
            if (!WriteFile(m_h.Get(), p, want, &done, nullptr) || done == 0) return false;
            p += done;
            count -= done;
        }
        return true;
    }
    bool SetPosition(uint64_t offset) override {
        LARGE_INTEGER li;
        li.QuadPart = LONGLONG(offset);
        return SetFilePointerEx(m_h.Get(), li, nullptr, FILE_BEGIN) != 0;
    }
    bool Truncate() override { return SetEndOfFile(m_h.Get()) != 0; }
    bool SetTimes(uint32_t dosTime, int64_t unixTime, bool haveUnixTime) override {
        FILETIME ft;
        return FileTimeOf(dosTime, unixTime, haveUnixTime, ft) && SetFileTime(m_h.Get(), nullptr, nullptr, &ft);
    }
    bool Commit(bool durable) override {
        if (durable && !FlushFileBuffers(m_h.Get())) return false;
        return m_h.Close();
    }
    // Renamed through its own handle, then closed: opening it again by name
    // to move it costs three more round trips to the Wine server per file.
    bool CommitAs(IFileSystem& fs, const std::string& from, const std::string& to) override {
        const WideString target = NtPath(to);
        if (!target.empty()) {
            std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
            auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
            info->ReplaceIfExists = TRUE;
            info->RootDirectory = nullptr;
            info->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
            std::memcpy(info->FileName, target.data(), info->FileNameLength);
            if (SetFileInformationByHandle(m_h.Get(), FileRenameInfo, info, DWORD(buffer.size()))) return m_h.Close();
        }
        return IWriteFile::CommitAs(fs, from, to);
    }

private:
    CHandle m_h;
};

uint32_t DosTimeOf(const FILETIME& utc) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return (1u << 21) | (1u << 16);
    return uint32_t(date) << 16 | time;
}

int64_t UnixTimeOf(const FILETIME& ft) {
    uint64_t t = uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
    return int64_t(t / 10000000ULL) - 11644473600LL;
}

class CWinFileSystem : public IFileSystem {
public:
    char Separator() const override { return '\\'; }

    std::unique_ptr<IReadFile> OpenRead(const std::string& path) override {
        HANDLE h = CreateFileW(PathW(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE) return nullptr;
        LARGE_INTEGER size;
        if (!GetFileSizeEx(h, &size)) {
            CloseHandle(h);
            return nullptr;
        }
        return std::unique_ptr<IReadFile>(new CWinReadFile(h, uint64_t(size.QuadPart)));
    }

    std::unique_ptr<IWriteFile> CreateNew(const std::string& path) override {
        // Delete access lets the file be renamed through this handle.
        HANDLE h = CreateFileW(PathW(path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return nullptr;
        return std::unique_ptr<IWriteFile>(new CWinWriteFile(h));
    }

    bool Stat(const std::string& path, FileInfo& info) override {
        WideString w = PathW(path);
        // A trailing separator names the folder itself.
        while (w.size() > 3 && (w.back() == L'\\') && w[w.size() - 2] != L':') w.pop_back();
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &data)) return false;
        info.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        info.size = info.isDirectory ? 0 : (uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
        info.dosTime = DosTimeOf(data.ftLastWriteTime);
        info.unixTime = UnixTimeOf(data.ftLastWriteTime);
        info.writeTime = uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
        info.attributes = data.dwFileAttributes & 0x3F;
        // Identity without opening the file (which costs as much again): the
        // creation time, which a file replaced by another never shares.
        info.fileId = (uint64_t(data.ftCreationTime.dwHighDateTime) << 32 | data.ftCreationTime.dwLowDateTime) ^ info.size;
        return true;
    }

    bool Replace(const std::string& from, const std::string& to, bool durable) override {
        return MoveFileExW(PathW(from).c_str(), PathW(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0)) != 0;
    }

    bool Remove(const std::string& path) override { return DeleteFileW(PathW(path).c_str()) != 0; }

    // A file another job has open was created without sharing: Windows refuses to delete it.
    bool RemoveIfUnused(const std::string& path) override { return Remove(path); }

    bool MakeDirectory(const std::string& path) override { return MakeFolder(path) != FolderMade::kFailed; }

    FolderMade MakeFolder(const std::string& path) override {
        WideString w = PathW(path);
        if (CreateDirectoryW(w.c_str(), nullptr)) return FolderMade::kMade;
        DWORD attributes = GetFileAttributesW(w.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderMade::kExisted
                                                                                                : FolderMade::kFailed;
    }

    // The longest path Windows takes (with the "\\?\" prefix) is 32,767 UTF-16
    // units, and each part 255.
    bool CanHold(const std::string& path) override {
        const WideString w = PathW(path);
        if (w.size() >= 32767) return false;
        size_t part = 0;
        for (wchar_t c : w) {
            part = c == L'\\' ? 0 : part + 1;
            if (part > 255) return false;
        }
        return true;
    }

    bool SetTimes(const std::string& path, uint32_t dosTime, int64_t unixTime, bool haveUnixTime) override {
        FILETIME ft;
        if (!FileTimeOf(dosTime, unixTime, haveUnixTime, ft)) return false;
        CHandle h(CreateFileW(PathW(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
        return h.Valid() && SetFileTime(h.Get(), nullptr, nullptr, &ft);
    }

    bool List(const std::string& folder, std::vector<DirEntry>& entries) override {
        WideString pattern = PathW(folder.empty() ? "." : folder);
        if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
        pattern += L'*';
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            WideString name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            DirEntry e;
            e.name = Narrow(name.data(), name.size());
            e.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entries.push_back(e);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return true;
    }

    std::string CurrentDirectory() override {
        wchar_t buffer[MAX_PATH * 4];
        DWORD n = GetCurrentDirectoryW(DWORD(sizeof buffer / sizeof buffer[0]), buffer);
        return n ? Narrow(buffer, n) : std::string(".");
    }

    uint32_t LastErrorCode() override { return GetLastError(); }

    std::string LastErrorText() override {
        DWORD code = GetLastError();
        wchar_t* text = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::string out = text ? Narrow(text, wcslen(text)) : "error " + std::to_string(code);
        if (text) LocalFree(text);
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.')) out.pop_back();
        return out;
    }
};

}  // namespace

IFileSystem& PlatformFileSystem() {
    static CWinFileSystem fs;
    return fs;
}

}  // namespace zl

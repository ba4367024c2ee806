#pragma once
// The file system as the ZIP core sees it: a few small interfaces, so the same
// format code runs on Windows (the DLLs) and natively (tests, fuzzing, benchmarks).
// Paths are UTF-8 text; both '\' and '/' separate folders.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Events.h"

namespace zl {

struct FileInfo {
    uint64_t size = 0;
    bool isDirectory = false;
    uint32_t dosTime = 0;      // local time packed as MS-DOS date (high word) and time
    int64_t unixTime = 0;      // seconds since 1970 (UTC)
    uint64_t writeTime = 0;    // last write at the file system's full precision (100 ns or 1 ns units)
    uint32_t attributes = 0;   // MS-DOS attribute bits (0x01 read-only, 0x10 folder, ...)
    uint64_t fileId = 0;       // identity of the file on its volume (0 when unknown)
};

// A file opened for reading at any position.
class IReadFile {
public:
    virtual ~IReadFile() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to `count` bytes at `offset`; returns the number read (short only at the end) or -1.
    virtual int64_t ReadAt(uint64_t offset, void* buffer, size_t count) = 0;
};

// A file being written. Writes go to the current position; `SetPosition` moves it
// (used to patch headers and to drop a failed entry); `Commit` closes it, after
// flushing the data to the disk when asked to.
class IFileSystem;

class IWriteFile {
public:
    virtual ~IWriteFile() = default;
    virtual bool Write(const void* data, size_t count) = 0;
    virtual bool SetPosition(uint64_t offset) = 0;
    virtual bool Truncate() = 0;          // ends the file at the current position
    virtual bool SetTimes(uint32_t dosTime, int64_t unixTime, bool haveUnixTime) = 0;
    virtual bool Commit(bool durable) = 0;
    // Closes the file (not flushed) under the name `to` in its folder,
    // replacing a file of that name; `from` is its name now. False leaves it
    // under `from`. Systems that rename an open file do it in one step.
    virtual bool CommitAs(IFileSystem& fs, const std::string& from, const std::string& to);
};

struct DirEntry {
    std::string name;
    bool isDirectory = false;
};

enum class FolderMade { kMade, kExisted, kFailed };

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual char Separator() const = 0;
    virtual std::unique_ptr<IReadFile> OpenRead(const std::string& path) = 0;
    // Creates a new file; fails when it exists already. The file stays locked
    // against RemoveIfUnused while it is open.
    virtual std::unique_ptr<IWriteFile> CreateNew(const std::string& path) = 0;
    // Removes a file that no job has open (a temporary file a killed job left).
    virtual bool RemoveIfUnused(const std::string& path) = 0;
    virtual bool Stat(const std::string& path, FileInfo& info) = 0;
    // Moves `from` over `to` in one step, replacing `to`; durably when asked.
    virtual bool Replace(const std::string& from, const std::string& to, bool durable = true) = 0;
    virtual bool Remove(const std::string& path) = 0;
    virtual bool MakeDirectory(const std::string& path) = 0;   // one level; true when it exists
    // One level, telling whether this call made it (a system that cannot
    // tell says it existed).
    virtual FolderMade MakeFolder(const std::string& path) {
        return MakeDirectory(path) ? FolderMade::kExisted : FolderMade::kFailed;
    }
    // Whether the system can hold a file of this path at all (its length, and
    // the length of each of its parts).
    virtual bool CanHold(const std::string& path) = 0;
    virtual bool SetTimes(const std::string& path, uint32_t dosTime, int64_t unixTime, bool haveUnixTime) = 0;
    virtual bool List(const std::string& folder, std::vector<DirEntry>& entries) = 0;
    virtual std::string CurrentDirectory() = 0;
    // The last system error of this thread: its code (errno, GetLastError) and its text.
    virtual uint32_t LastErrorCode() = 0;
    virtual std::string LastErrorText() = 0;
};

inline bool IWriteFile::CommitAs(IFileSystem& fs, const std::string& from, const std::string& to) {
    return Commit(false) && fs.Replace(from, to, false);
}

// A problem the system's last error caused: its code, and "<what>: <its text>".
inline ZipError SystemProblem(IFileSystem& fs, ZipResult result, MessageCode code, const std::string& what,
                              const std::string& file) {
    ZipError e;
    e.result = result;
    e.code = code;
    e.systemCode = fs.LastErrorCode();
    e.text = what + ": " + fs.LastErrorText();
    e.file = file;
    return e;
}

// A problem of the archive or of a job's input, with no system error behind it.
inline ZipError Problem(ZipResult result, MessageCode code, const std::string& text, const std::string& file) {
    ZipError e;
    e.result = result;
    e.code = code;
    e.text = text;
    e.file = file;
    return e;
}

// The platform's file system (POSIX natively, Win32 in the DLLs).
IFileSystem& PlatformFileSystem();

}  // namespace zl

// The ZIP core's file system on POSIX systems (the native build).
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Io.h"
#include "core/Names.h"

namespace zl {

namespace {

class CFd {
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    ~CFd() { if (m_fd >= 0) ::close(m_fd); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    int Release() { int fd = m_fd; m_fd = -1; return fd; }

private:
    int m_fd;
};

class CPosixReadFile : public IReadFile {
public:
    CPosixReadFile(int fd, uint64_t size) : m_fd(fd), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        size_t done = 0;
        while (done < count) {
            ssize_t n = ::pread(m_fd.Get(), static_cast<char*>(buffer) + done, count - done, off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (n == 0) break;
            done += size_t(n);
        }
        return int64_t(done);
    }

private:
    CFd m_fd;
    uint64_t m_size;
};

time_t DosToUnix(uint32_t dosTime) {
    struct tm local {};
    local.tm_year = int((dosTime >> 25) & 0x7F) + 80;
    local.tm_mon = int((dosTime >> 21) & 0x0F) - 1;
    local.tm_mday = int((dosTime >> 16) & 0x1F);
    local.tm_hour = int((dosTime >> 11) & 0x1F);
    local.tm_min = int((dosTime >> 5) & 0x3F);
    local.tm_sec = int(dosTime & 0x1F) * 2;
    local.tm_isdst = -1;
    return mktime(&local);
}

class CPosixWriteFile : public IWriteFile {
public:
    explicit CPosixWriteFile(int fd) : m_fd(fd) {}
    bool Write(const void* data, size_t count) override {
        const char* p = static_cast<const char*>(data);
        while (count > 0) {
            ssize_t n = ::write(m_fd.Get(), p, count);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            p += n;
            count -= size_t(n);
        }
        return true;
    }
    bool SetPosition(uint64_t offset) override { return ::lseek(m_fd.Get(), off_t(offset), SEEK_SET) == off_t(offset); }
    bool Truncate() override {
        off_t pos = ::lseek(m_fd.Get(), 0, SEEK_CUR);
        return pos >= 0 && ::ftruncate(m_fd.Get(), pos) == 0;
    }
    bool SetTimes(uint32_t dosTime, int64_t unixTime, bool haveUnixTime) override {
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = haveUnixTime ? time_t(unixTime) : DosToUnix(dosTime);
        times[0].tv_nsec = times[1].tv_nsec = 0;
        return ::futimens(m_fd.Get(), times) == 0;
    }
    bool Commit(bool durable) override {
        if (durable && ::fsync(m_fd.Get()) != 0) return false;
        return ::close(m_fd.Release()) == 0;
    }

private:
    CFd m_fd;
};

uint32_t ToDosTime(time_t t) {
    struct tm local;
    localtime_r(&t, &local);
    if (local.tm_year < 80) return (1 << 21) | (1 << 16);  // 1980-01-01
    return uint32_t(local.tm_year - 80) << 25 | uint32_t(local.tm_mon + 1) << 21 | uint32_t(local.tm_mday) << 16 |
           uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 | uint32_t(local.tm_sec / 2);
}

class CPosixFileSystem : public IFileSystem {
public:
    char Separator() const override { return '/'; }

    std::unique_ptr<IReadFile> OpenRead(const std::string& path) override {
        CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.Get() < 0) return nullptr;
        struct stat st;
        if (::fstat(fd.Get(), &st) != 0 || S_ISDIR(st.st_mode)) {
            if (S_ISDIR(st.st_mode)) errno = EISDIR;
            return nullptr;
        }
        return std::unique_ptr<IReadFile>(new CPosixReadFile(fd.Release(), uint64_t(st.st_size)));
    }

    std::unique_ptr<IWriteFile> CreateNew(const std::string& path) override {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return nullptr;
        ::flock(fd, LOCK_EX | LOCK_NB);   // held until closed: the file is in use
        return std::unique_ptr<IWriteFile>(new CPosixWriteFile(fd));
    }

    bool RemoveIfUnused(const std::string& path) override {
        CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (fd.Get() < 0 || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return false;
        return ::unlink(path.c_str()) == 0;
    }

    bool Stat(const std::string& path, FileInfo& info) override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) return false;
        info.size = S_ISDIR(st.st_mode) ? 0 : uint64_t(st.st_size);
        info.isDirectory = S_ISDIR(st.st_mode);
        info.unixTime = st.st_mtime;
        info.writeTime = uint64_t(st.st_mtim.tv_sec) * 1000000000u + uint64_t(st.st_mtim.tv_nsec);
        info.dosTime = ToDosTime(st.st_mtime);
        info.attributes = info.isDirectory ? 0x10 : 0x20;
        if (!(st.st_mode & S_IWUSR)) info.attributes |= 0x01;
        info.fileId = uint64_t(st.st_ino) ^ (uint64_t(st.st_dev) << 48) ^ uint64_t(st.st_mtim.tv_nsec) << 20;
        return true;
    }

    bool Replace(const std::string& from, const std::string& to, bool durable) override {
        if (::rename(from.c_str(), to.c_str()) != 0) return false;
        if (!durable) return true;
        // Make the new name durable: sync the folder that holds it.
        std::string folder = ParentPath(to);
        CFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Get() >= 0) ::fsync(dir.Get());
        return true;
    }

    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    bool MakeDirectory(const std::string& path) override { return MakeFolder(path) != FolderMade::kFailed; }

    FolderMade MakeFolder(const std::string& path) override {
        if (::mkdir(path.c_str(), 0755) == 0) return FolderMade::kMade;
        struct stat st;
        return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? FolderMade::kExisted
                                                                                         : FolderMade::kFailed;
    }

    bool CanHold(const std::string& path) override {
        if (path.size() >= PATH_MAX) return false;
        size_t part = 0;
        for (char c : path) {
            part = c == '/' ? 0 : part + 1;
            if (part > NAME_MAX) return false;
        }
        return true;
    }

    bool SetTimes(const std::string& path, uint32_t dosTime, int64_t unixTime, bool haveUnixTime) override {
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = haveUnixTime ? time_t(unixTime) : DosToUnix(dosTime);
        times[0].tv_nsec = times[1].tv_nsec = 0;
        return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
    }

    bool List(const std::string& folder, std::vector<DirEntry>& entries) override {
        DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
        if (!d) return false;
        while (struct dirent* de = ::readdir(d)) {
            std::string name = de->d_name;
            if (name == "." || name == "..") continue;
            DirEntry e;
            e.name = name;
            struct stat st;
            e.isDirectory = ::stat(JoinPath(folder, name, '/').c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            entries.push_back(e);
        }
        ::closedir(d);
        return true;
    }

    std::string CurrentDirectory() override {
        char buffer[4096];
        return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
    }

    uint32_t LastErrorCode() override { return uint32_t(errno); }
    std::string LastErrorText() override { return std::strerror(errno); }
};

}  // namespace

IFileSystem& PlatformFileSystem() {
    static CPosixFileSystem fs;
    return fs;
}

}  // namespace zl

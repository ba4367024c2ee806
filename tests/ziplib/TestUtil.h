#pragma once
// Helpers of the native tests of the ZIP core: scratch folders, files, running
// the peer tools, and events that record what a job reported.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/Crypto.h"
#include "core/Events.h"
#include "core/ExtractJob.h"
#include "core/Format.h"
#include "core/Io.h"

namespace zt {

// A scratch folder removed with its contents at the end of the test.
class CScratch {
public:
    CScratch() {
        char pattern[] = "/tmp/zltest.XXXXXX";
        m_path = ::mkdtemp(pattern);
    }
    ~CScratch() { std::system(("rm -rf '" + m_path + "'").c_str()); }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void WriteFile(const std::string& path, const std::string& data) {
    std::string folder = path.substr(0, path.rfind('/'));
    std::system(("mkdir -p '" + folder + "'").c_str());
    std::ofstream(path, std::ios::binary) << data;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

inline std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s) c = char(rng());
    return s;
}

inline std::string TextBytes(size_t size, unsigned seed) {
    static const char* words[] = {"ledger ", "tally ", "box ", "archive ", "file\n", "zip ", "2001 ", "report "};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) s += words[rng() % 8];
    s.resize(size);
    return s;
}

// Runs a shell command quietly; returns its exit status.
inline int Run(const std::string& command) {
    int status = std::system(("{ " + command + "\n} >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a shell command and returns what it printed.
inline std::string Capture(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
    return out;
}

// Files in a folder tree (relative names, sorted), for comparing trees.
inline std::vector<std::string> TreeFiles(const std::string& folder) {
    std::string out = Capture("cd '" + folder + "' && find . -type f | LC_ALL=C sort");
    std::vector<std::string> names;
    std::stringstream s(out);
    std::string line;
    while (std::getline(s, line)) names.push_back(line.substr(2));
    return names;
}

// Runs `check` in a child process that may take no more address space than
// this one holds now plus `bytes`, so that whatever the code under test
// allocates is bounded by it; true when the check held there.
inline bool HoldsWithin(size_t bytes, const std::function<bool()>& check) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        size_t pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%zu", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        const rlim_t limit = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + bytes;
        const struct rlimit r = {limit, limit};
        if (pages == 0 || ::setrlimit(RLIMIT_AS, &r) != 0) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Recorded {
    zl::MessageCode code;
    std::string text;
    uint32_t systemCode;
};

class CRecordingEvents : public zl::IJobEvents {
public:
    bool Progress(const std::string&, int percent) override {
        ++progressCalls;
        lastPercent = percent;
        return !(abortAtProgress > 0 && progressCalls >= abortAtProgress);
    }
    bool ItemStatus(const std::string& text, int) override {
        items.push_back(text);
        return true;
    }
    zl::Answer Message(const zl::ZipError& problem, bool question) override {
        messages.push_back({problem.code, problem.text, problem.systemCode});
        return question ? answer : zl::Answer::Ok;
    }
    void Rename(std::string& path) override {
        renames.push_back(path);
        if (!renameTo.empty()) path = renameTo;
    }
    bool HasMessage(zl::MessageCode code) const {
        for (const Recorded& m : messages)
            if (m.code == code) return true;
        return false;
    }
    bool HasMessage(zl::MessageCode code, const std::string& part) const {
        for (const Recorded& m : messages)
            if (m.code == code && m.text.find(part) != std::string::npos) return true;
        return false;
    }

    int abortAtProgress = 0;
    int progressCalls = 0;
    int lastPercent = -1;
    zl::Answer answer = zl::Answer::No;
    std::string renameTo;
    std::vector<std::string> items;
    std::vector<std::string> renames;
    std::vector<Recorded> messages;
};

// Format limits of zero: every entry, size and offset takes the ZIP64 layout.
inline zl::ZipLimits AllZip64() {
    zl::ZipLimits limits;
    limits.field32 = 0;
    limits.count16 = 0;
    limits.newFile = 0;
    return limits;
}

// The whole archive extracted into `dest` by the core, quietly (with
// `password` for protected entries).
inline zl::ZipResult ExtractAll(const std::string& archive, const std::string& dest, CRecordingEvents& ev,
                                const std::string& password = "") {
    zl::ExtractOptions o;
    o.archive = archive;
    o.destination = dest;
    o.quiet = true;
    o.havePassword = !password.empty();
    o.password = password;
    zl::CExtractJob job(zl::PlatformFileSystem(), &zl::PlatformCrypto(), ev);
    return job.Run(o);
}

inline zl::ZipResult ExtractAll(const std::string& archive, const std::string& dest, const std::string& password = "") {
    CRecordingEvents ev;
    return ExtractAll(archive, dest, ev, password);
}

// Reads an archive's directory with the core.
inline bool ReadArchive(const std::string& path, zl::ZipDirectory& dir) {
    auto file = zl::PlatformFileSystem().OpenRead(path);
    std::string why;
    return file && zl::ReadDirectory(*file, dir, why);
}

}  // namespace zt

namespace zt {

// Builds archives byte by byte, so tests can make what no well-behaved writer
// makes. Entries are stored (method 0) unless given compressed data.
class CZipBytes {
public:
    struct Entry {
        std::string name, data;
        uint16_t method = 0;
        uint32_t crc = 0;
        uint64_t size = 0;
        std::string centralComment;
        uint32_t localOffset = 0;
    };
    Entry& Add(const std::string& name, const std::string& data) {
        Entry e;
        e.name = name;
        e.data = data;
        e.size = data.size();
        e.crc = uint32_t(::crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
        m_entries.push_back(e);
        return m_entries.back();
    }
    // Local records, then the central directory (`centralCopies` records per
    // entry, all pointing at the same local record), then the end record.
    std::string Build(const std::string& comment = "", int centralCopies = 1) {
        std::string out;
        for (Entry& e : m_entries) {
            e.localOffset = uint32_t(out.size());
            zl::CByteWriter w;
            w.U32(zl::kLocalSig); w.U16(20); w.U16(0); w.U16(e.method); w.U16(0); w.U16(0x5021);
            w.U32(e.crc); w.U32(uint32_t(e.data.size())); w.U32(uint32_t(e.size));
            w.U16(uint16_t(e.name.size())); w.U16(0);
            out += w.Data() + e.name + e.data;
        }
        cdStart = out.size();
        count = 0;
        for (const Entry& e : m_entries) {
            for (int c = 0; c < centralCopies; ++c, ++count) {
                zl::CByteWriter w;
                w.U32(zl::kCentralSig); w.U16(20); w.U16(20); w.U16(0); w.U16(e.method); w.U16(0); w.U16(0x5021);
                w.U32(e.crc); w.U32(uint32_t(e.data.size())); w.U32(uint32_t(e.size));
                w.U16(uint16_t(e.name.size())); w.U16(0); w.U16(uint16_t(e.centralComment.size()));
                w.U16(0); w.U16(0); w.U32(0); w.U32(e.localOffset);
                out += w.Data() + e.name + e.centralComment;
            }
        }
        endPos = out.size();
        zl::CByteWriter w;
        w.U32(zl::kEndSig); w.U16(0); w.U16(0); w.U16(uint16_t(count)); w.U16(uint16_t(count));
        w.U32(uint32_t(endPos - cdStart)); w.U32(uint32_t(cdStart)); w.U16(uint16_t(comment.size()));
        return out + w.Data() + comment;
    }
    size_t cdStart = 0, endPos = 0;
    uint64_t count = 0;

private:
    std::vector<Entry> m_entries;
};

inline void Patch16(std::string& bytes, size_t at, uint16_t v) { zl::Put16(reinterpret_cast<uint8_t*>(&bytes[at]), v); }
inline void Patch32(std::string& bytes, size_t at, uint32_t v) { zl::Put32(reinterpret_cast<uint8_t*>(&bytes[at]), v); }
inline void Patch64(std::string& bytes, size_t at, uint64_t v) { zl::Put64(reinterpret_cast<uint8_t*>(&bytes[at]), v); }

// An archive held in memory, as the core reads files.
class CMemoryFile : public zl::IReadFile {
public:
    explicit CMemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}
    uint64_t Size() const override { return m_bytes.size(); }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        if (offset >= m_bytes.size()) return 0;
        size_t n = size_t(std::min<uint64_t>(count, m_bytes.size() - offset));
        std::memcpy(buffer, m_bytes.data() + offset, n);
        return int64_t(n);
    }

private:
    std::string m_bytes;
};

inline bool ParseBytes(const std::string& bytes, zl::ZipDirectory& dir, std::string& why) {
    CMemoryFile file(bytes);
    return zl::ReadDirectory(file, dir, why);
}

}  // namespace zt

namespace zt {

// The platform's file system with faults: the disk is "full" once `writeLimit`
// bytes were written; the byte written as number `corruptAt` (counting from
// 1) is silently changed, as a failing disk or cable would; Replace refuses
// when `refuseReplace` is set (a target another program holds open).
class CFaultyDisk : public zl::IFileSystem {
public:
    uint64_t writeLimit = UINT64_MAX;
    uint64_t corruptAt = 0;
    bool refuseReplace = false;
    uint64_t written = 0;

    char Separator() const override { return m_fs.Separator(); }
    std::unique_ptr<zl::IReadFile> OpenRead(const std::string& p) override { return m_fs.OpenRead(p); }
    std::unique_ptr<zl::IWriteFile> CreateNew(const std::string& p) override {
        auto inner = m_fs.CreateNew(p);
        if (!inner) return nullptr;
        return std::unique_ptr<zl::IWriteFile>(new CFile(std::move(inner), *this));
    }
    bool Stat(const std::string& p, zl::FileInfo& i) override { return m_fs.Stat(p, i); }
    bool Replace(const std::string& a, const std::string& b, bool d) override {
        m_refused = refuseReplace;
        return !refuseReplace && m_fs.Replace(a, b, d);
    }
    bool Remove(const std::string& p) override { return m_fs.Remove(p); }
    bool RemoveIfUnused(const std::string& p) override { return m_fs.RemoveIfUnused(p); }
    bool MakeDirectory(const std::string& p) override { return m_fs.MakeDirectory(p); }
    bool CanHold(const std::string& p) override { return m_fs.CanHold(p); }
    bool SetTimes(const std::string& p, uint32_t d, int64_t u, bool h) override { return m_fs.SetTimes(p, d, u, h); }
    bool List(const std::string& f, std::vector<zl::DirEntry>& e) override { return m_fs.List(f, e); }
    std::string CurrentDirectory() override { return m_fs.CurrentDirectory(); }
    uint32_t LastErrorCode() override { return m_refused ? 13 : 28; }
    std::string LastErrorText() override { return m_refused ? "Permission denied" : "No space left on device"; }

private:
    class CFile : public zl::IWriteFile {
    public:
        CFile(std::unique_ptr<zl::IWriteFile> inner, CFaultyDisk& disk) : m_inner(std::move(inner)), m_disk(disk) {}
        bool Write(const void* d, size_t n) override {
            if (n > m_disk.writeLimit - m_disk.written) return false;
            std::string bytes(static_cast<const char*>(d), n);
            if (m_disk.corruptAt > m_disk.written && m_disk.corruptAt <= m_disk.written + n)
                bytes[size_t(m_disk.corruptAt - m_disk.written - 1)] ^= 0x20;
            m_disk.written += n;
            return m_inner->Write(bytes.data(), n);
        }
        bool SetPosition(uint64_t o) override { return m_inner->SetPosition(o); }
        bool Truncate() override { return m_inner->Truncate(); }
        bool SetTimes(uint32_t d, int64_t u, bool h) override { return m_inner->SetTimes(d, u, h); }
        bool Commit(bool durable) override { return m_inner->Commit(durable); }

    private:
        std::unique_ptr<zl::IWriteFile> m_inner;
        CFaultyDisk& m_disk;
    };
    zl::IFileSystem& m_fs = zl::PlatformFileSystem();
    bool m_refused = false;
};

}  // namespace zt

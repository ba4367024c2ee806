// Extraction on several threads gives what one thread gives; killed jobs leave
// nothing under a final name, and their leftovers are cleared by the next job.
#include <doctest/doctest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "TestUtil.h"
#include "core/ExtractJob.h"
#include "core/UpdateJob.h"

using namespace zl;
using namespace zt;

namespace {

// The platform's file system, but files created off the calling thread are
// slow to appear: the worker threads always lag behind the decisions.
class CSlowWorkers : public IFileSystem {
public:
    char Separator() const override { return m_fs.Separator(); }
    std::unique_ptr<IReadFile> OpenRead(const std::string& p) override { return m_fs.OpenRead(p); }
    std::unique_ptr<IWriteFile> CreateNew(const std::string& p) override {
        if (std::this_thread::get_id() != m_main) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return m_fs.CreateNew(p);
    }
    bool RemoveIfUnused(const std::string& p) override { return m_fs.RemoveIfUnused(p); }
    bool Stat(const std::string& p, FileInfo& i) override { return m_fs.Stat(p, i); }
    bool Replace(const std::string& a, const std::string& b, bool d) override { return m_fs.Replace(a, b, d); }
    bool Remove(const std::string& p) override { return m_fs.Remove(p); }
    bool MakeDirectory(const std::string& p) override { return m_fs.MakeDirectory(p); }
    FolderMade MakeFolder(const std::string& p) override { return m_fs.MakeFolder(p); }
    bool CanHold(const std::string& p) override { return m_fs.CanHold(p); }
    bool SetTimes(const std::string& p, uint32_t d, int64_t u, bool h) override { return m_fs.SetTimes(p, d, u, h); }
    bool List(const std::string& f, std::vector<DirEntry>& e) override { return m_fs.List(f, e); }
    std::string CurrentDirectory() override { return m_fs.CurrentDirectory(); }
    uint32_t LastErrorCode() override { return m_fs.LastErrorCode(); }
    std::string LastErrorText() override { return m_fs.LastErrorText(); }

private:
    IFileSystem& m_fs = PlatformFileSystem();
    std::thread::id m_main = std::this_thread::get_id();
};

// Renames a file that exists to name.001.ext, name.002.ext, ... as the
// program's engine does.
class CNumbering : public CRecordingEvents {
public:
    void Rename(std::string& path) override {
        const size_t dot = path.rfind('.'), slash = path.rfind('/');
        if (!Exists(path) || dot == std::string::npos || (slash != std::string::npos && dot < slash)) return;
        for (int n = 1; n <= 99; ++n) {
            char number[8];
            std::snprintf(number, sizeof number, ".%03d", n);
            std::string candidate = path.substr(0, dot) + number + path.substr(dot);
            if (!Exists(candidate)) {
                path = candidate;
                return;
            }
        }
    }
};

ZipResult ExtractWith(IFileSystem& fs, const std::string& archive, const std::string& dest, unsigned threads,
                      CRecordingEvents& ev) {
    ExtractOptions o;
    o.archive = archive;
    o.destination = dest;
    o.quiet = true;
    o.threads = threads;
    CExtractJob job(fs, &PlatformCrypto(), ev);
    return job.Run(o);
}

// Runs `work` in a child process and kills it once it has written to the pipe
// it is given (it then waits to be killed).
void KillMidway(const std::function<void(int signalFd)>& work) {
    int fds[2];
    REQUIRE(::pipe(fds) == 0);
    pid_t child = ::fork();
    REQUIRE(child >= 0);
    if (child == 0) {
        ::close(fds[0]);
        work(fds[1]);
        ::_exit(3);   // finished without reaching the point: the parent sees it
    }
    ::close(fds[1]);
    char c = 0;
    REQUIRE(::read(fds[0], &c, 1) == 1);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(fds[0]);
    CHECK(WIFSIGNALED(status));
}

// Events that signal the parent at an item's half-way mark and then hang.
class CHangHalfway : public CSilentEvents {
public:
    explicit CHangHalfway(int fd) : m_fd(fd) {}
    bool ItemStatus(const std::string&, int percent) override {
        if (percent >= 50 && percent < 100) {
            ::write(m_fd, "x", 1);
            for (;;) ::pause();
        }
        return true;
    }

private:
    int m_fd;
};

}  // namespace

TEST_CASE("every collision is numbered in archive order, on any number of threads") {
    CScratch s;
    CZipBytes z;
    for (int i = 0; i < 12; ++i) z.Add("same.txt", "copy " + std::to_string(i));
    for (int i = 0; i < 12; ++i) z.Add("other" + std::to_string(i) + ".txt", "x");
    WriteFile(s / "dup.zip", z.Build());
    for (unsigned threads : {1u, 4u}) {
        CAPTURE(threads);
        const std::string dest = s / ("out" + std::to_string(threads));
        CSlowWorkers fs;
        CNumbering ev;
        CHECK(ExtractWith(fs, s / "dup.zip", dest, threads, ev) == kZipOk);
        CHECK(ReadFile(dest + "/same.txt") == "copy 0");
        for (int i = 1; i < 12; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/same.%03d.txt", i);
            CHECK(ReadFile(dest + name) == "copy " + std::to_string(i));
        }
        CHECK(TreeFiles(dest).size() == 24);
    }
}

TEST_CASE("folder and file entries of one path are handled in archive order on several threads") {
    CScratch s;
    CZipBytes z;
    z.Add("a/", "");
    z.Add("a/b", "file b");
    z.Add("a/b/", "");
    z.Add("a/b/c", "file c");
    for (int i = 0; i < 8; ++i) z.Add("pad" + std::to_string(i), "p");
    WriteFile(s / "order.zip", z.Build());
    CSlowWorkers fs;
    CRecordingEvents one, four;
    const ZipResult r1 = ExtractWith(fs, s / "order.zip", s / "one", 1, one);
    const ZipResult r4 = ExtractWith(fs, s / "order.zip", s / "four", 4, four);
    CHECK(r1 == r4);
    CHECK(TreeFiles(s / "one") == TreeFiles(s / "four"));
    CHECK(ReadFile(s / "four/a/b") == "file b");   // the file came first; the folder of the same name could not follow
    CHECK(one.messages.size() == four.messages.size());
}

TEST_CASE("a killed extraction leaves no partial file under the final name; the next one clears its leftover") {
    CScratch s;
    WriteFile(s / "in/big.bin", RandomBytes(24 * 1024 * 1024, 5));
    {
        UpdateOptions o;
        o.archive = s / "big.zip";
        o.names = {s / "in/big.bin"};
        o.keepFolders = false;
        o.level = 0;
        CSilentEvents ev;
        CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
        REQUIRE(job.Run(o) == kZipOk);
    }
    KillMidway([&](int fd) {
        CHangHalfway ev(fd);
        ExtractOptions o;
        o.archive = s / "big.zip";
        o.destination = s / "x";
        o.threads = 1;
        CExtractJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
        job.Run(o);
    });
    CHECK_FALSE(Exists(s / "x/big.bin"));
    CHECK(TreeFiles(s / "x") == std::vector<std::string>{"big.bin.tbx0~"});
    CRecordingEvents ev;
    CHECK(ExtractWith(PlatformFileSystem(), s / "big.zip", s / "x", 1, ev) == kZipOk);
    CHECK(TreeFiles(s / "x") == std::vector<std::string>{"big.bin"});
    CHECK(ReadFile(s / "x/big.bin") == ReadFile(s / "in/big.bin"));
}

TEST_CASE("a killed update's temporary file is removed by the next update; one another job holds stays") {
    CScratch s;
    WriteFile(s / "in/a.txt", "a");
    WriteFile(s / "in/big.bin", RandomBytes(24 * 1024 * 1024, 6));
    auto add = [&](const std::string& name, IJobEvents& ev) {
        UpdateOptions o;
        o.archive = s / "arc.zip";
        o.names = {s / ("in/" + name)};
        o.keepFolders = false;
        o.level = 0;
        o.threads = 1;
        CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
        return job.Run(o);
    };
    CSilentEvents quiet;
    REQUIRE(add("a.txt", quiet) == kZipOk);
    const std::string before = ReadFile(s / "arc.zip");
    KillMidway([&](int fd) {
        CHangHalfway ev(fd);
        add("big.bin", ev);
    });
    CHECK(ReadFile(s / "arc.zip") == before);
    CHECK(Exists(s / "arc.zip.tbz0~"));
    // Another job's temporary file, open and locked by it.
    auto held = PlatformFileSystem().CreateNew(s / "arc.zip.tbz7~");
    REQUIRE(held);
    WriteFile(s / "in/b.txt", "b");
    REQUIRE(add("b.txt", quiet) == kZipOk);
    CHECK_FALSE(Exists(s / "arc.zip.tbz0~"));
    CHECK(Exists(s / "arc.zip.tbz7~"));
    CHECK(TreeFiles(s.Path()) == std::vector<std::string>{"arc.zip", "arc.zip.tbz7~", "in/a.txt", "in/b.txt", "in/big.bin"});
}

namespace {

// Counts the folder operations (and the bytes of path they are handed).
class CCountingFolders : public CSlowWorkers {
public:
    bool Stat(const std::string& p, FileInfo& i) override {
        Count(p);
        ++stats;
        return CSlowWorkers::Stat(p, i);
    }
    bool MakeDirectory(const std::string& p) override {
        Count(p);
        return CSlowWorkers::MakeDirectory(p);
    }
    FolderMade MakeFolder(const std::string& p) override {
        Count(p);
        return CSlowWorkers::MakeFolder(p);
    }
    std::unique_ptr<IWriteFile> CreateNew(const std::string& p) override { return PlatformFileSystem().CreateNew(p); }
    size_t operations = 0;
    size_t stats = 0;

private:
    void Count(const std::string&) { ++operations; }
};

}  // namespace

TEST_CASE("a deep folder name: one folder operation per level, and a name too long for the system is refused first") {
    CScratch s;
    std::string deep;
    for (int i = 0; i < 1500; ++i) deep += "d/";
    CZipBytes z;
    z.Add(deep + "f.txt", "deep");
    z.Add("top.txt", "top");
    WriteFile(s / "deep.zip", z.Build());
    CCountingFolders fs;
    CRecordingEvents ev;
    CHECK(ExtractWith(fs, s / "deep.zip", s / "x", 1, ev) == kZipOk);
    CHECK(ReadFile(s / ("x/" + deep + "f.txt")) == "deep");
    CHECK(fs.operations <= 1500 + 16);   // one per level, plus a few for the destination and the files

    std::string tooDeep;
    for (int i = 0; i < 3000; ++i) tooDeep += "d/";
    CZipBytes t;
    t.Add(tooDeep + "f.txt", "too deep");
    t.Add("top.txt", "top");
    WriteFile(s / "toodeep.zip", t.Build());
    CCountingFolders fs2;
    CRecordingEvents ev2;
    CHECK(ExtractWith(fs2, s / "toodeep.zip", s / "y", 1, ev2) == kZipIncomplete);
    CHECK(ev2.HasMessage(kMsgUnsafeName));
    CHECK(TreeFiles(s / "y") == std::vector<std::string>{"top.txt"});
    CHECK(fs2.operations <= 16);   // nothing was tried for the long name
}

TEST_CASE("files bound for folders the extraction made are written without a look for them; elsewhere existing files count") {
    CScratch s;
    CZipBytes z;
    for (int d = 0; d < 5; ++d)
        for (int f = 0; f < 10; ++f) z.Add("d" + std::to_string(d) + "/f" + std::to_string(f) + ".txt", "data");
    z.Add("d0/f0.txt", "again");   // a name this run wrote already
    WriteFile(s / "a.zip", z.Build());
    for (unsigned threads : {1u, 4u}) {
        CAPTURE(threads);
        const std::string dest = s / ("x" + std::to_string(threads));
        CCountingFolders fresh;
        CRecordingEvents ev;
        CHECK(ExtractWith(fresh, s / "a.zip", dest, threads, ev) == kZipOk);
        CHECK(TreeFiles(dest).size() == 50);
        CHECK(ReadFile(dest + "/d0/f0.txt") == "data");
        // The destination and its parent, the first file of each folder (its
        // folder is not made yet when it is looked at), the name written twice.
        CHECK(fresh.stats <= 2 + 5 + 1);
    }
    // Into folders that exist: every file is looked for, and one that is there is kept.
    WriteFile(s / "y/d1/f1.txt", "mine");
    Run("mkdir -p '" + s.Path() + "/y/d0' '" + s.Path() + "/y/d2' '" + s.Path() + "/y/d3' '" + s.Path() + "/y/d4'");
    CCountingFolders existing;
    CRecordingEvents ev;
    CHECK(ExtractWith(existing, s / "a.zip", s / "y", 1, ev) == kZipOk);
    CHECK(ReadFile(s / "y/d1/f1.txt") == "mine");
    CHECK(TreeFiles(s / "y").size() == 50);
    CHECK(existing.stats >= 51);
}

#include <doctest/doctest.h>

#include <sys/stat.h>
#include <utime.h>

#include "TestUtil.h"
#include "core/DirectoryCache.h"
#include "core/ExtractJob.h"
#include "core/UpdateJob.h"

using namespace zl;
using namespace zt;

namespace {

ZipResult Add(const std::string& archive, std::vector<std::string> names, CRecordingEvents& events, bool keepFolders = true,
              const std::string& password = "", unsigned threads = 0, UpdateMode mode = UpdateMode::Add) {
    UpdateOptions o;
    o.mode = mode;
    o.wildcards = mode == UpdateMode::Delete;   // these tests delete by pattern
    o.archive = archive;
    o.names = std::move(names);
    o.keepFolders = keepFolders;
    o.encrypt = !password.empty();
    o.password = password;
    o.threads = threads;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), events);
    return job.Run(o);
}

ZipResult Extract(const std::string& archive, const std::string& dest, CRecordingEvents& events,
                  void (*tweak)(ExtractOptions&) = nullptr, const std::string* password = nullptr) {
    ExtractOptions o;
    o.archive = archive;
    o.destination = dest;
    o.quiet = true;
    if (password) {
        o.havePassword = true;
        o.password = *password;
    }
    if (tweak) tweak(o);
    CExtractJob job(PlatformFileSystem(), &PlatformCrypto(), events);
    return job.Run(o);
}

void SetTime(const std::string& path, time_t t) {
    struct utimbuf times{t, t};
    ::utime(path.c_str(), &times);
}

// A small tree: text, binary, empty and a nested file.
void MakeTree(const CScratch& s) {
    WriteFile(s / "in/docs/a.txt", TextBytes(5000, 1));
    WriteFile(s / "in/docs/b c.bin", RandomBytes(3000, 2));
    WriteFile(s / "in/docs/empty.txt", "");
    WriteFile(s / "in/docs/sub/deep.txt", TextBytes(200000, 3));
}

}  // namespace

TEST_CASE("add a tree, list it, extract it: same bytes, names, folders and times") {
    CScratch s;
    MakeTree(s);
    SetTime(s / "in/docs/a.txt", 1000000000);  // 2001-09-09
    CRecordingEvents ev;
    const std::string zip = s / "out.zip";
    REQUIRE(Add(zip, {s / "in/docs"}, ev) == kZipOk);
    CHECK(ev.messages.empty());
    CHECK(ev.lastPercent == 100);

    ZipDirectory dir;
    REQUIRE(ReadArchive(zip, dir));
    std::vector<std::string> names;
    for (const ZipEntry& e : dir.entries) names.push_back(e.name);
    const std::string base = s.Path().substr(1) + "/in/docs/";
    CHECK(names == std::vector<std::string>{base, base + "a.txt", base + "b c.bin", base + "empty.txt", base + "sub/",
                                            base + "sub/deep.txt"});
    CHECK(dir.entries[1].realMethod == kMethodDeflate);
    CHECK(dir.entries[2].realMethod == kMethodStored);   // random bytes do not shrink
    CHECK(dir.entries[5].compressedSize < dir.entries[5].size / 2);

    CRecordingEvents ev2;
    REQUIRE(Extract(zip, s / "x", ev2) == kZipOk);
    const std::string root = s / "x/" + base;
    CHECK(ReadFile(root + "a.txt") == ReadFile(s / "in/docs/a.txt"));
    CHECK(ReadFile(root + "b c.bin") == ReadFile(s / "in/docs/b c.bin"));
    CHECK(ReadFile(root + "sub/deep.txt") == ReadFile(s / "in/docs/sub/deep.txt"));
    CHECK(Exists(root + "empty.txt"));
    struct stat st;
    REQUIRE(::stat((root + "a.txt").c_str(), &st) == 0);
    CHECK(st.st_mtime == 1000000000);

    // Without folder names every file lands in the destination itself.
    CRecordingEvents ev3;
    REQUIRE(Extract(zip, s / "flat", ev3, [](ExtractOptions& o) { o.keepFolders = false; }) == kZipOk);
    CHECK(TreeFiles(s / "flat") == std::vector<std::string>{"a.txt", "b c.bin", "deep.txt", "empty.txt"});
}

TEST_CASE("adding again replaces same-named entries and copies the others byte for byte") {
    CScratch s;
    MakeTree(s);
    CRecordingEvents ev;
    const std::string zip = s / "a.zip";
    REQUIRE(Add(zip, {s / "in/docs/a.txt", s / "in/docs/sub/deep.txt"}, ev, false) == kZipOk);
    const std::string before = ReadFile(zip);
    ZipDirectory d1;
    REQUIRE(ReadArchive(zip, d1));
    const ZipEntry deep = d1.entries[1];
    const std::string deepRecord = before.substr(size_t(deep.localOffset), size_t(deep.compressedSize) + 30 + 8 + 9);

    WriteFile(s / "in/docs/a.txt", "changed");
    WriteFile(s / "in/new.txt", "new");
    REQUIRE(Add(zip, {s / "in/docs/a.txt", s / "in/new.txt"}, ev, false) == kZipOk);
    ZipDirectory d2;
    REQUIRE(ReadArchive(zip, d2));
    REQUIRE(d2.entries.size() == 3);
    CHECK(d2.entries[0].name == "a.txt");      // replaced where it was
    CHECK(d2.entries[0].size == 7);
    CHECK(d2.entries[1].name == "deep.txt");
    CHECK(d2.entries[2].name == "new.txt");    // new ones at the end
    const std::string after = ReadFile(zip);
    CHECK(after.find(deepRecord) != std::string::npos);  // kept entry copied unchanged

    // Freshen: only entries whose file is newer; nothing new is added.
    SetTime(s / "in/docs/a.txt", time(nullptr) + 3600);
    WriteFile(s / "in/other.txt", "x");
    REQUIRE(Add(zip, {s / "in/docs/a.txt", s / "in/other.txt", s / "in/docs/sub/deep.txt"}, ev, false, "", 0,
                UpdateMode::Freshen) == kZipOk);
    ZipDirectory d3;
    REQUIRE(ReadArchive(zip, d3));
    CHECK(d3.entries.size() == 3);
    CHECK(d3.entries[0].dosTime > d2.entries[0].dosTime);
    CHECK(d3.entries[1].dosTime == d2.entries[1].dosTime);
}

TEST_CASE("delete takes names with either separator and wildcards; no match leaves the archive alone") {
    CScratch s;
    MakeTree(s);
    CRecordingEvents ev;
    const std::string zip = s / "d.zip";
    REQUIRE(Add(zip, {s / "in/docs"}, ev) == kZipOk);
    const std::string base = s.Path().substr(1) + "/in/docs/";
    std::string backslashed = base + "sub\\deep.txt";
    REQUIRE(Add(zip, {backslashed, "*.BIN"}, ev, true, "", 0, UpdateMode::Delete) == kZipOk);
    ZipDirectory dir;
    REQUIRE(ReadArchive(zip, dir));
    for (const ZipEntry& e : dir.entries) {
        CHECK(e.name.find("deep.txt") == std::string::npos);
        CHECK(e.name.find(".bin") == std::string::npos);
    }
    CHECK(dir.entries.size() == 4);
    const std::string before = ReadFile(zip);
    CRecordingEvents ev2;
    CHECK(Add(zip, {"nothing/like/this"}, ev2, true, "", 0, UpdateMode::Delete) == kZipIncomplete);
    CHECK(ev2.HasMessage(kMsgNoMatch));
    CHECK(ReadFile(zip) == before);
    // Deleting everything leaves a valid empty archive.
    REQUIRE(Add(zip, {"*"}, ev2, true, "", 0, UpdateMode::Delete) == kZipOk);
    ZipDirectory empty;
    REQUIRE(ReadArchive(zip, empty));
    CHECK(empty.entries.empty());
}

TEST_CASE("a failed or aborted update leaves the archive byte for byte as it was, and no temporary file") {
    CScratch s;
    MakeTree(s);
    CRecordingEvents ev;
    const std::string zip = s / "keep.zip";
    REQUIRE(Add(zip, {s / "in/docs/a.txt"}, ev) == kZipOk);
    const std::string before = ReadFile(zip);
    WriteFile(s / "in/big.bin", RandomBytes(6 * 1024 * 1024, 9));

    for (int abortAt : {1, 2, 5}) {
        CRecordingEvents abortEvents;
        abortEvents.abortAtProgress = abortAt;
        CHECK(Add(zip, {s / "in/docs", s / "in/big.bin"}, abortEvents) == kZipAborted);
        CHECK(ReadFile(zip) == before);
    }
    CRecordingEvents abortDelete;
    abortDelete.abortAtProgress = 1;
    CHECK(Add(zip, {"*"}, abortDelete, true, "", 0, UpdateMode::Delete) == kZipAborted);
    CHECK(ReadFile(zip) == before);
    // A new archive that is aborted is never created.
    CRecordingEvents abortNew;
    abortNew.abortAtProgress = 1;
    CHECK(Add(s / "new.zip", {s / "in/big.bin"}, abortNew) == kZipAborted);
    CHECK_FALSE(Exists(s / "new.zip"));
    CHECK(Capture("ls -a '" + s.Path() + "' | grep -c '~' || true") == "0\n");

    // Not a ZIP archive: refused, file untouched.
    WriteFile(s / "junk.zip", "this is not an archive at all, just text that is long enough");
    CRecordingEvents junk;
    CHECK(Add(s / "junk.zip", {s / "in/docs/a.txt"}, junk) == kZipBadArchive);
    CHECK(ReadFile(s / "junk.zip") == "this is not an archive at all, just text that is long enough");
}

TEST_CASE("a file that cannot be read is reported and the rest is archived") {
    CScratch s;
    MakeTree(s);
    WriteFile(s / "in/locked.txt", "secret");
    ::chmod((s / "in/locked.txt").c_str(), 0);
    const bool root = ::geteuid() == 0;  // root reads anything: use a vanished file instead
    CRecordingEvents ev;
    const std::string zip = s / "p.zip";
    std::vector<std::string> names = {s / "in/docs/a.txt", root ? s / "in/vanished.txt" : s / "in/locked.txt",
                                      s / "in/docs/sub/deep.txt"};
    CHECK(Add(zip, names, ev, false) == kZipIncomplete);
    CHECK(ev.HasMessage(kMsgCannotReadFile));
    ZipDirectory dir;
    REQUIRE(ReadArchive(zip, dir));
    REQUIRE(dir.entries.size() == 2);
    CHECK(dir.entries[0].name == "a.txt");
    CHECK(dir.entries[1].name == "deep.txt");
}

TEST_CASE("AES-256 entries: right password extracts, wrong or missing one fails and leaves no file") {
    CScratch s;
    MakeTree(s);
    WriteFile(s / "in/large.txt", TextBytes(5 * 1024 * 1024 + 17, 4));  // streamed in pieces
    CRecordingEvents ev;
    const std::string zip = s / "aes.zip";
    REQUIRE(Add(zip, {s / "in/docs/a.txt", s / "in/large.txt", s / "in/docs/empty.txt"}, ev, false, "p\xC3\xA4ss") == kZipOk);
    ZipDirectory dir;
    REQUIRE(ReadArchive(zip, dir));
    for (const ZipEntry& e : dir.entries) {
        CHECK(e.IsEncrypted());
        CHECK(e.method == kMethodAes);
        CHECK(e.aesStrength == 3);
        CHECK(e.aesVersion == 2);
        CHECK(e.crc == 0);
    }
    std::string right = "p\xC3\xA4ss", wrong = "pass";
    CRecordingEvents ok;
    REQUIRE(Extract(zip, s / "ok", ok, nullptr, &right) == kZipOk);
    CHECK(ReadFile(s / "ok/large.txt") == ReadFile(s / "in/large.txt"));
    CHECK(ReadFile(s / "ok/a.txt") == ReadFile(s / "in/docs/a.txt"));

    CRecordingEvents bad;
    CHECK(Extract(zip, s / "bad", bad, nullptr, &wrong) == kZipWrongPassword);
    CHECK(bad.HasMessage(kMsgWrongPassword));
    CHECK(TreeFiles(s / "bad").empty());
    CRecordingEvents none;
    CHECK(Extract(zip, s / "none", none) == kZipWrongPassword);
    CHECK(none.HasMessage(kMsgPasswordNeeded));
    CHECK(TreeFiles(s / "none").empty());
    // Encrypting needs a password.
    UpdateOptions o;
    o.archive = s / "nopw.zip";
    o.names = {s / "in/docs/a.txt"};
    o.encrypt = true;
    CRecordingEvents nopw;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), nopw);
    CHECK(job.Run(o) == kZipWrongPassword);
    CHECK_FALSE(Exists(s / "nopw.zip"));
}

TEST_CASE("traditional encryption is read: right password extracts, wrong fails") {
    CScratch s;
    WriteFile(s / "p.txt", TextBytes(20000, 5));
    REQUIRE(Run("cd '" + s.Path() + "' && zip -q -P secret trad.zip p.txt") == 0);
    std::string right = "secret", wrong = "secreT";
    CRecordingEvents ok;
    REQUIRE(Extract(s / "trad.zip", s / "ok", ok, nullptr, &right) == kZipOk);
    CHECK(ReadFile(s / "ok/p.txt") == ReadFile(s / "p.txt"));
    CRecordingEvents bad;
    CHECK(Extract(s / "trad.zip", s / "bad", bad, nullptr, &wrong) != kZipOk);
    CHECK_FALSE(Exists(s / "bad/p.txt"));
}

TEST_CASE("existing files: skipped when quiet, replaced with overwrite, asked otherwise, renamed by the caller") {
    CScratch s;
    WriteFile(s / "in/a.txt", "archived");
    CRecordingEvents ev;
    const std::string zip = s / "e.zip";
    REQUIRE(Add(zip, {s / "in/a.txt"}, ev, false) == kZipOk);
    WriteFile(s / "out/a.txt", "mine");

    CRecordingEvents quiet;
    CHECK(Extract(zip, s / "out", quiet) == kZipOk);
    CHECK(ReadFile(s / "out/a.txt") == "mine");

    CRecordingEvents askNo;
    askNo.answer = Answer::No;
    CHECK(Extract(zip, s / "out", askNo, [](ExtractOptions& o) { o.quiet = false; }) == kZipOk);
    CHECK(askNo.HasMessage(kMsgFileExists));
    CHECK(ReadFile(s / "out/a.txt") == "mine");

    CRecordingEvents askCancel;
    askCancel.answer = Answer::Cancel;
    CHECK(Extract(zip, s / "out", askCancel, [](ExtractOptions& o) { o.quiet = false; }) == kZipAborted);

    CRecordingEvents askYes;
    askYes.answer = Answer::Yes;
    CHECK(Extract(zip, s / "out", askYes, [](ExtractOptions& o) { o.quiet = false; }) == kZipOk);
    CHECK(ReadFile(s / "out/a.txt") == "archived");

    WriteFile(s / "out/a.txt", "mine again");
    CRecordingEvents over;
    CHECK(Extract(zip, s / "out", over, [](ExtractOptions& o) { o.overwrite = true; }) == kZipOk);
    CHECK(ReadFile(s / "out/a.txt") == "archived");

    CRecordingEvents rename;
    rename.renameTo = s / "out/a.001.txt";
    CHECK(Extract(zip, s / "out", rename) == kZipOk);
    REQUIRE(rename.renames.size() == 1);
    CHECK(rename.renames[0] == s / "out/a.txt");   // the full destination path, before creation
    CHECK(ReadFile(s / "out/a.001.txt") == "archived");
}

TEST_CASE("listing cache: parsed once per archive state, stepping and indexing") {
    CScratch s;
    MakeTree(s);
    CRecordingEvents ev;
    const std::string zip = s / "l.zip";
    REQUIRE(Add(zip, {s / "in/docs"}, ev, false) == kZipOk);
    CDirectoryCache cache;
    IFileSystem& fs = PlatformFileSystem();
    uint64_t count = 0;
    std::string why;
    REQUIRE(cache.Count(fs, zip, count, why) == kZipOk);
    CHECK(count == 4);
    const ZipEntry* e = nullptr;
    size_t index = 0;
    std::vector<std::string> names;
    while (cache.Next(fs, zip, e, index, why) == kZipOk) names.push_back(e->name);
    CHECK(names == std::vector<std::string>{"a.txt", "b c.bin", "empty.txt", "deep.txt"});
    REQUIRE(cache.Count(fs, zip, count, why) == kZipOk);
    CHECK(cache.Parses() == 1);
    REQUIRE(cache.At(fs, zip, 2, e, why) == kZipOk);
    CHECK(e->name == "empty.txt");
    REQUIRE(cache.Next(fs, zip, e, index, why) == kZipOk);
    CHECK(e->name == "deep.txt");
    CHECK(cache.At(fs, zip, 4, e, why) == kZipNoMoreEntries);

    REQUIRE(Add(zip, {s / "in/docs/a.txt"}, ev, true) == kZipOk);  // the archive changes
    REQUIRE(cache.Count(fs, zip, count, why) == kZipOk);
    CHECK(count == 5);
    CHECK(cache.Parses() == 2);
    CHECK(cache.Count(fs, s / "missing.zip", count, why) == kZipCannotOpen);
    CHECK(count == 0);
}

TEST_CASE("parallel compression writes the same entries as one thread, in order") {
    CScratch s;
    for (int i = 0; i < 40; ++i) {
        size_t size = (i % 7 == 3) ? 3 * 1024 * 1024 + size_t(i) : size_t(i) * 1000;
        WriteFile(s / ("in/f" + std::to_string(100 + i) + ".dat"), i % 2 ? TextBytes(size, unsigned(i)) : RandomBytes(size, unsigned(i)));
    }
    CRecordingEvents ev;
    REQUIRE(Add(s / "one.zip", {s / "in"}, ev, false, "", 1) == kZipOk);
    REQUIRE(Add(s / "two.zip", {s / "in"}, ev, false, "", 4) == kZipOk);
    ZipDirectory one, two;
    REQUIRE(ReadArchive(s / "one.zip", one));
    REQUIRE(ReadArchive(s / "two.zip", two));
    REQUIRE(one.entries.size() == 40);
    REQUIRE(two.entries.size() == 40);
    for (size_t i = 0; i < 40; ++i) {
        CHECK(one.entries[i].name == two.entries[i].name);
        CHECK(one.entries[i].crc == two.entries[i].crc);
        CHECK(one.entries[i].compressedSize == two.entries[i].compressedSize);
    }
    CRecordingEvents ex;
    REQUIRE(Extract(s / "two.zip", s / "x", ex) == kZipOk);
    CHECK(ReadFile(s / "x/f103.dat") == ReadFile(s / "in/f103.dat"));
    CHECK(TreeFiles(s / "x").size() == 40);
}

TEST_CASE("ZIP64 layout (forced) is read back and updated") {
    CScratch s;
    MakeTree(s);
    UpdateOptions o;
    o.archive = s / "z64.zip";
    o.names = {s / "in/docs"};
    o.keepFolders = false;
    CRecordingEvents ev;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev, AllZip64());
    REQUIRE(job.Run(o) == kZipOk);
    ZipDirectory dir;
    REQUIRE(ReadArchive(o.archive, dir));
    REQUIRE(dir.entries.size() == 4);
    for (const ZipEntry& e : dir.entries) CHECK(e.zip64);
    CRecordingEvents ex;
    REQUIRE(Extract(o.archive, s / "x", ex) == kZipOk);
    CHECK(ReadFile(s / "x/deep.txt") == ReadFile(s / "in/docs/sub/deep.txt"));
    REQUIRE(Add(o.archive, {"a.txt"}, ev, true, "", 0, UpdateMode::Delete) == kZipOk);
    REQUIRE(ReadArchive(o.archive, dir));
    CHECK(dir.entries.size() == 3);
}

TEST_CASE("a full disk fails the job cleanly: the archive stays as it was, no partial file is left") {
    CScratch s;
    MakeTree(s);
    WriteFile(s / "in/big.bin", RandomBytes(3 * 1024 * 1024, 11));
    CRecordingEvents ev;
    const std::string zip = s / "full.zip";
    REQUIRE(Add(zip, {s / "in/docs"}, ev) == kZipOk);
    const std::string before = ReadFile(zip);
    for (uint64_t limit : {uint64_t(0), uint64_t(100), uint64_t(1024 * 1024)}) {
        CAPTURE(limit);
        CFaultyDisk disk;
        disk.writeLimit = limit;
        CRecordingEvents full;
        UpdateOptions o;
        o.archive = zip;
        o.names = {s / "in/big.bin"};
        CUpdateJob job(disk, &PlatformCrypto(), full);
        CHECK(job.Run(o) == kZipWriteError);
        CHECK(full.HasMessage(kMsgCannotWrite));
        // The problem carries the library's code and the system's.
        CHECK(job.FirstProblem().result == kZipWriteError);
        CHECK(job.FirstProblem().systemCode == 28);
        CHECK(full.messages.back().systemCode == 28);
        CHECK(ReadFile(zip) == before);
    }
    CFaultyDisk disk;
    disk.writeLimit = 4096;
    CRecordingEvents ex;
    ExtractOptions x;
    x.archive = zip;
    x.destination = s / "x";
    x.quiet = true;
    CExtractJob job(disk, &PlatformCrypto(), ex);
    CHECK(job.Run(x) == kZipWriteError);
    CHECK(ex.HasMessage(kMsgCannotWrite));
    // What fitted is complete; nothing half-written stays behind.
    for (const std::string& f : TreeFiles(s / "x")) {
        const std::string name = f.substr(f.rfind('/') + 1);
        CHECK(ReadFile(s / ("x/" + f)) == ReadFile(s / ("in/docs/" + (name == "deep.txt" ? "sub/" + name : name))));
    }
    CHECK(Capture("ls -a '" + s.Path() + "' | grep -c '~' || true") == "0\n");
}

TEST_CASE("a large file compressed in blocks on several threads gives one valid stream") {
    CScratch s;
    // Text with long repeats across block edges, so matches reach into the previous block.
    std::string data = TextBytes(13 * 1024 * 1024 + 777, 21);
    for (size_t at = 1024 * 1024 - 5000; at + 20000 < data.size(); at += 1024 * 1024)
        data.replace(at, 10000, data.substr(at - 30000, 10000));
    WriteFile(s / "in/large.txt", data);
    CRecordingEvents ev;
    REQUIRE(Add(s / "one.zip", {s / "in/large.txt"}, ev, false, "", 1) == kZipOk);
    REQUIRE(Add(s / "two.zip", {s / "in/large.txt"}, ev, false, "", 2) == kZipOk);
    ZipDirectory one, two;
    REQUIRE(ReadArchive(s / "one.zip", one));
    REQUIRE(ReadArchive(s / "two.zip", two));
    CHECK(one.entries[0].crc == two.entries[0].crc);
    CHECK(two.entries[0].size == data.size());
    // Restarting at each block costs little.
    CHECK(two.entries[0].compressedSize < one.entries[0].compressedSize * 102 / 100);
    CRecordingEvents ex;
    REQUIRE(Extract(s / "two.zip", s / "x", ex) == kZipOk);
    CHECK(ReadFile(s / "x/large.txt") == data);
    CHECK(Run("unzip -tq '" + s.Path() + "/two.zip'") == 0);
    // A file that shrinks while it is read is reported, not stored wrong.
    WriteFile(s / "in/shrinks.txt", data);
    UpdateOptions o;
    o.archive = s / "shrink.zip";
    o.names = {s / "in/shrinks.txt", s / "in/large.txt"};
    o.keepFolders = false;
    o.threads = 2;
    struct CShrinker : CRecordingEvents {
        std::string path;
        bool ItemStatus(const std::string& text, int percent) override {
            if (text == "shrinks.txt" && percent == 0) ::truncate(path.c_str(), 3 * 1024 * 1024);
            return CRecordingEvents::ItemStatus(text, percent);
        }
    } shrinker;
    shrinker.path = s / "in/shrinks.txt";
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), shrinker);
    ZipResult r = job.Run(o);
    ZipDirectory dir;
    REQUIRE(ReadArchive(o.archive, dir));
    // Either the blocks read before the cut made it whole (then the entry is
    // complete and right), or the entry was dropped and reported.
    if (r == kZipIncomplete) {
        CHECK(shrinker.HasMessage(kMsgCannotReadFile));
        REQUIRE(dir.entries.size() == 1);
        CHECK(dir.entries[0].name == "large.txt");
    } else {
        CHECK(r == kZipOk);
        CHECK(dir.entries[0].size == data.size());
    }
    CHECK(Run("unzip -tq '" + o.archive + "'") == 0);
}

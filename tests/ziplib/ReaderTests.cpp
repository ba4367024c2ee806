// Reading what other tools write, and only that: end records, counts,
// overlapping entries, an oversized central directory, the listing cache key.
#include <doctest/doctest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "TestUtil.h"
#include "core/DirectoryCache.h"
#include "core/ExtractJob.h"
#include "core/UpdateJob.h"

using namespace zl;
using namespace zt;

namespace {

// A 16 MiB run of zeros as one raw deflate stream (about 16 KiB).
std::string DeflatedZeros(size_t size) {
    std::string zeros(size, '\0'), out(compressBound(uLong(size)), '\0');
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    zs.next_in = reinterpret_cast<Bytef*>(&zeros[0]);
    zs.avail_in = uInt(size);
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(out.size() - zs.avail_out);
    deflateEnd(&zs);
    return out;
}

}  // namespace

TEST_CASE("entries whose data overlap are refused; a local name that differs from the central one is damage") {
    CScratch s;
    SUBCASE("64 central records on one 16 MiB stream") {
        CZipBytes z;
        CZipBytes::Entry& e = z.Add("zeros.bin", "");
        e.data = DeflatedZeros(16 << 20);
        e.method = 8;
        e.size = 16 << 20;
        e.crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(std::string(16 << 20, '\0').data()), 16 << 20));
        const std::string bomb = z.Build("", 64);
        CHECK(bomb.size() < 40000);
        ZipDirectory dir;
        std::string why;
        CHECK_FALSE(ParseBytes(bomb, dir, why));
        CHECK(why.find("overlap") != std::string::npos);
        WriteFile(s / "bomb.zip", bomb);
        CRecordingEvents ev;
        CHECK(ExtractAll(s / "bomb.zip", s / "x", ev) == kZipBadArchive);
        CHECK(TreeFiles(s.Path()) == std::vector<std::string>{"bomb.zip"});
        // The single record alone is fine.
        CHECK(ParseBytes(CZipBytes(z).Build("", 1), dir, why));
    }
    SUBCASE("the local header names another file") {
        CZipBytes z;
        z.Add("first.txt", "one");
        z.Add("second.txt", "two");
        std::string bytes = z.Build();
        ZipDirectory dir;
        std::string why;
        REQUIRE(ParseBytes(bytes, dir, why));
        bytes[size_t(dir.entries[1].localOffset) + 30] = 'S';   // "Second.txt" in the local header
        WriteFile(s / "names.zip", bytes);
        CRecordingEvents ev;
        CHECK(ExtractAll(s / "names.zip", s / "x", ev) == kZipBadArchive);
        CHECK(ev.HasMessage(kMsgDamagedEntry));
        CHECK(ReadFile(s / "x/first.txt") == "one");
        CHECK_FALSE(Exists(s / "x/second.txt"));
        CHECK_FALSE(Exists(s / "x/Second.txt"));
    }
}

namespace {

// A file of `size` zero bytes ending in an end record; only the reads are real.
class CSparseArchive : public IReadFile {
public:
    CSparseArchive(uint64_t size, std::string end) : m_size(size), m_end(std::move(end)) {}
    uint64_t Size() const override { return m_size; }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        largestRead = std::max(largestRead, count);
        if (offset >= m_size) return 0;
        count = size_t(std::min<uint64_t>(count, m_size - offset));
        std::memset(buffer, 0, count);
        const uint64_t endAt = m_size - m_end.size();
        for (size_t i = 0; i < count; ++i)
            if (offset + i >= endAt) static_cast<char*>(buffer)[i] = m_end[size_t(offset + i - endAt)];
        return int64_t(count);
    }
    size_t largestRead = 0;

private:
    uint64_t m_size;
    std::string m_end;
};

}  // namespace

TEST_CASE("a 1 GiB central directory is read in pieces and refused at its first bad record") {
    const uint64_t size = uint64_t(1) << 30;
    CByteWriter w;
    w.U32(kEndSig); w.U16(0); w.U16(0); w.U16(3); w.U16(3);
    w.U32(uint32_t(size - 22 - 4096)); w.U32(4096); w.U16(0);
    CSparseArchive file(size, w.Data());
    ZipDirectory dir;
    std::string why;
    CHECK_FALSE(ReadDirectory(file, dir, why));
    CHECK(why == "the central directory is damaged");
    CHECK(file.largestRead <= size_t(1) << 20);
}

TEST_CASE("entry counts that disagree with the records are refused, but for the 16-bit count Info-ZIP wraps") {
    CZipBytes z;
    z.Add("a.txt", "a");
    z.Add("b.txt", "b");
    z.Add("c.txt", "c");
    const std::string good = z.Build();
    ZipDirectory dir;
    std::string why;
    REQUIRE(ParseBytes(good, dir, why));
    auto withCount = [&](uint16_t n) {
        std::string bytes = good;
        Patch16(bytes, z.endPos + 8, n);
        Patch16(bytes, z.endPos + 10, n);
        return bytes;
    };
    CHECK_FALSE(ParseBytes(withCount(32), dir, why));
    CHECK(why == "the number of entries does not match the central directory");
    CHECK_FALSE(ParseBytes(withCount(0xFFFF), dir, why));     // "see ZIP64" with no ZIP64 record, 3 present
    CHECK_FALSE(ParseBytes(withCount(3 + 0x10000 - 0x10000 + 1), dir, why));

    SUBCASE("ZIP64 counts are exact") {
        CScratch s;
        WriteFile(s / "in/a.txt", "a");
        UpdateOptions o;
        o.archive = s / "z64.zip";
        o.names = {s / "in/a.txt"};
        CSilentEvents ev;
        CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev, AllZip64());
        REQUIRE(job.Run(o) == kZipOk);
        const std::string bytes = ReadFile(o.archive);
        REQUIRE(ParseBytes(bytes, dir, why));
        const size_t z64 = bytes.rfind(std::string("PK\x06\x06", 4));
        REQUIRE(z64 != std::string::npos);
        for (uint64_t n : {~uint64_t(0), uint64_t(0x10001), uint64_t(2)}) {
            CAPTURE(n);
            std::string bad = bytes;
            Patch64(bad, z64 + 24, n);
            Patch64(bad, z64 + 32, n);
            CHECK_FALSE(ParseBytes(bad, dir, why));
        }
    }
    SUBCASE("65,537 entries with the count wrapped to 1 and no ZIP64 records") {
        CZipBytes many;
        for (int i = 0; i < 0x10001; ++i) many.Add("f" + std::to_string(i), "");
        std::string bytes = many.Build();   // the 16-bit fields keep the low bits: 1
        REQUIRE(ParseBytes(bytes, dir, why));
        CHECK(dir.entries.size() == 0x10001);
    }
}

TEST_CASE("the last end record decides: a truncated comment is refused, never a hidden earlier archive") {
    CScratch s;
    CZipBytes hidden;
    hidden.Add("hidden.txt", "planted");
    const std::string front = hidden.Build();
    CZipBytes real;
    real.Add("real.txt", "the real one");
    std::string back = real.Build("comment");
    // The real archive follows the hidden one: its offsets move with it.
    ZipDirectory dir;
    std::string why;
    REQUIRE(ParseBytes(back, dir, why));
    Patch32(back, real.cdStart + 42, uint32_t(front.size()));
    Patch32(back, real.endPos + 16, uint32_t(front.size() + real.cdStart));
    const std::string whole = front + back;
    REQUIRE(ParseBytes(whole, dir, why));
    REQUIRE(dir.entries.size() == 1);
    CHECK(dir.entries[0].name == "real.txt");

    const std::string cut = whole.substr(0, whole.size() - 1);   // the comment loses a byte
    CHECK_FALSE(ParseBytes(cut, dir, why));
    CHECK(why.find("comment") != std::string::npos);
    // Nor does an update read the hidden archive and drop the real entries.
    WriteFile(s / "cut.zip", cut);
    WriteFile(s / "in/new.txt", "new");
    UpdateOptions o;
    o.archive = s / "cut.zip";
    o.names = {s / "in/new.txt"};
    CRecordingEvents ev;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    CHECK(job.Run(o) == kZipBadArchive);
    CHECK(ReadFile(s / "cut.zip") == cut);
}

TEST_CASE("bytes that look like a ZIP64 locator before the end record do not hide a valid archive") {
    CScratch s;
    CZipBytes z;
    z.Add("a.txt", "alpha");
    CZipBytes::Entry& last = z.Add("b.txt", "beta");
    // The last central record's comment ends in what looks like a locator.
    CByteWriter loc;
    loc.U32(kZip64LocatorSig); loc.U32(0); loc.U64(0x123456789); loc.U32(1);
    last.centralComment = loc.Data();
    const std::string bytes = z.Build();
    REQUIRE(bytes.compare(z.endPos - 20, 4, "PK\x06\x07") == 0);
    ZipDirectory dir;
    std::string why;
    REQUIRE(ParseBytes(bytes, dir, why));
    CHECK(dir.entries.size() == 2);
    WriteFile(s / "stray.zip", bytes);
    CHECK(Run("7z t '" + s.Path() + "/stray.zip'") == 0);   // as 7-Zip reads it
    CRecordingEvents ev;
    CHECK(ExtractAll(s / "stray.zip", s / "x", ev) == kZipOk);
    CHECK(ReadFile(s / "x/b.txt") == "beta");
}

TEST_CASE("the listing cache sees an archive rewritten in place to the same size and time") {
    CScratch s;
    CZipBytes a, b;
    a.Add("one.txt", "1111");
    b.Add("two.txt", "2222");
    const std::string first = a.Build("v1"), second = b.Build("v2");
    REQUIRE(first.size() == second.size());
    const std::string path = s / "same.zip";
    WriteFile(path, first);
    struct timespec times[2] = {{1000000000, 500}, {1000000000, 500}};
    REQUIRE(::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0);
    CDirectoryCache cache;
    IFileSystem& fs = PlatformFileSystem();
    uint64_t count = 0;
    std::string why;
    const ZipEntry* e = nullptr;
    size_t index = 0;
    REQUIRE(cache.Count(fs, path, count, why) == kZipOk);
    REQUIRE(cache.Next(fs, path, e, index, why) == kZipOk);
    CHECK(e->name == "one.txt");
    // Same inode, same size, the same write time to the nanosecond.
    {
        std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.write(second.data(), std::streamsize(second.size()));
    }
    REQUIRE(::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0);
    REQUIRE(cache.Count(fs, path, count, why) == kZipOk);
    REQUIRE(cache.Next(fs, path, e, index, why) == kZipOk);
    CHECK(e->name == "two.txt");
    CHECK(cache.Parses() == 2);
}

TEST_CASE("stored names with '*' and '?' are deleted and extracted by their exact names") {
    CScratch s;
    CZipBytes z;
    for (const char* name : {"a*.txt", "ab.txt", "a?.txt", "ac.txt"}) z.Add(name, std::string("content of ") + name);
    WriteFile(s / "names.zip", z.Build());

    ExtractOptions x;
    x.archive = s / "names.zip";
    x.destination = s / "x";
    x.quiet = true;
    x.patterns = {"a*.txt"};
    CRecordingEvents ev;
    CExtractJob extract(PlatformFileSystem(), &PlatformCrypto(), ev);
    CHECK(extract.Run(x) == kZipOk);
    CHECK(TreeFiles(s / "x") == std::vector<std::string>{"a_.txt"});
    CHECK(ReadFile(s / "x/a_.txt") == "content of a*.txt");
    // Asked for as a pattern, the same name takes all four.
    x.destination = s / "all";
    x.wildcards = true;
    CHECK(extract.Run(x) == kZipOk);
    CHECK(TreeFiles(s / "all").size() == 3);   // a*.txt and a?.txt both land on a_.txt

    UpdateOptions d;
    d.mode = UpdateMode::Delete;
    d.archive = s / "names.zip";
    d.names = {"a*.txt", "a?.txt"};
    CRecordingEvents del;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), del);
    CHECK(job.Run(d) == kZipOk);
    CHECK_FALSE(del.HasMessage(kMsgNoMatch));
    ZipDirectory dir;
    REQUIRE(ReadArchive(d.archive, dir));
    REQUIRE(dir.entries.size() == 2);
    CHECK(dir.entries[0].name == "ab.txt");
    CHECK(dir.entries[1].name == "ac.txt");
}

TEST_CASE("a name stored in code page 437 is read as its text, and an update keeps its stored bytes") {
    CScratch s;
    const std::string raw = "caf\x82.txt";   // "café.txt" in code page 437, without the UTF-8 flag
    CZipBytes z;
    z.Add(raw, "coffee");
    z.Add("plain.txt", "plain");
    WriteFile(s / "cp437.zip", z.Build());
    ZipDirectory dir;
    REQUIRE(ReadArchive(s / "cp437.zip", dir));
    REQUIRE(dir.entries.size() == 2);
    CHECK(dir.entries[0].name == "caf\xC3\xA9.txt");
    CHECK(dir.entries[0].RawName() == raw);
    CHECK(dir.entries[1].name == "plain.txt");
    CHECK(dir.entries[1].RawName() == "plain.txt");
    CRecordingEvents ev;
    CHECK(ExtractAll(s / "cp437.zip", s / "x", ev) == kZipOk);   // the local name matches the stored bytes
    CHECK(ReadFile(s / "x/caf\xC3\xA9.txt") == "coffee");

    WriteFile(s / "new.txt", "new");
    UpdateOptions o;
    o.archive = s / "cp437.zip";
    o.names = {s / "new.txt"};
    o.keepFolders = false;
    CSilentEvents silent;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), silent);
    REQUIRE(job.Run(o) == kZipOk);
    const std::string updated = ReadFile(s / "cp437.zip");
    CHECK(updated.substr(30, raw.size()) == raw);   // the copied local header
    ZipDirectory after;
    REQUIRE(ReadArchive(s / "cp437.zip", after));
    REQUIRE(after.entries.size() == 3);
    CHECK(after.entries[0].RawName() == raw);
    CHECK(after.entries[0].name == "caf\xC3\xA9.txt");
    CHECK(Run("python3 -c \"import zipfile,sys; n=zipfile.ZipFile(sys.argv[1]).namelist(); assert n[0]=='caf\\u00e9.txt', n\" '" +
              s.Path() + "/cp437.zip'") == 0);
    CHECK(Run("unzip -tq '" + s.Path() + "/cp437.zip'") == 0);
}

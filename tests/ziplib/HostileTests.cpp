#include <doctest/doctest.h>

#include "TestUtil.h"
#include "core/DecodeMemory.h"
#include "core/ExtractJob.h"
#include "core/UpdateJob.h"

using namespace zl;
using namespace zt;

namespace {

std::string MakeArchive(const CScratch& s, const std::string& name, const std::string& content) {
    WriteFile(s / ("src/" + name), content);
    UpdateOptions o;
    o.archive = s / "good.zip";
    o.names = {s / ("src/" + name)};
    o.keepFolders = false;
    CSilentEvents ev;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    REQUIRE(job.Run(o) == kZipOk);
    return ReadFile(o.archive);
}

}  // namespace

TEST_CASE("truncated and corrupted archives fail cleanly and leave no partial file") {
    CScratch s;
    const std::string good = MakeArchive(s, "t.txt", TextBytes(300000, 7));
    ZipDirectory dir;
    REQUIRE(ReadArchive(s / "good.zip", dir));
    const ZipEntry& e = dir.entries[0];

    SUBCASE("cut in the middle") {
        WriteFile(s / "cut.zip", good.substr(0, good.size() / 2));
        CRecordingEvents ev;
        CHECK(ExtractAll(s / "cut.zip", s / "x", ev) == kZipBadArchive);
        CHECK(ev.HasMessage(kMsgBadArchive));
        CHECK_FALSE(Exists(s / "x/t.txt"));
    }
    SUBCASE("central directory cut short") {
        WriteFile(s / "cd.zip", good.substr(0, good.size() - 30) + good.substr(good.size() - 22));
        CRecordingEvents ev;
        CHECK(ExtractAll(s / "cd.zip", s / "x", ev) == kZipBadArchive);
    }
    SUBCASE("a flipped byte in the compressed data") {
        std::string bad = good;
        bad[size_t(e.localOffset) + 30 + 5 + 9 + 1000] ^= 0x55;
        WriteFile(s / "flip.zip", bad);
        CRecordingEvents ev;
        ZipResult r = ExtractAll(s / "flip.zip", s / "x", ev);
        CHECK((r == kZipCrcError || r == kZipBadArchive));
        CHECK_FALSE(Exists(s / "x/t.txt"));
        CHECK(TreeFiles(s / "x").empty());
    }
    SUBCASE("a wrong CRC in the directory") {
        std::string bad = good;
        size_t cd = size_t(dir.centralStart);
        bad[cd + 16] ^= 1;
        WriteFile(s / "crc.zip", bad);
        CRecordingEvents ev;
        CHECK(ExtractAll(s / "crc.zip", s / "x", ev) == kZipCrcError);
        CHECK(ev.HasMessage(kMsgCrcError));
        CHECK(TreeFiles(s / "x").empty());
    }
    SUBCASE("a declared size smaller than the data (a bomb) stops at the declared size") {
        std::string bad = good;
        size_t cd = size_t(dir.centralStart);
        Put32(reinterpret_cast<uint8_t*>(&bad[cd + 24]), 10);
        WriteFile(s / "bomb.zip", bad);
        CRecordingEvents ev;
        CHECK(ExtractAll(s / "bomb.zip", s / "x", ev) == kZipBadArchive);
        CHECK(TreeFiles(s / "x").empty());
    }
    SUBCASE("an entry offset pointing nowhere") {
        std::string bad = good;
        Put32(reinterpret_cast<uint8_t*>(&bad[size_t(dir.centralStart) + 42]), 7);
        WriteFile(s / "off.zip", bad);
        CRecordingEvents ev;
        CHECK(ExtractAll(s / "off.zip", s / "x", ev) == kZipBadArchive);
    }
}

TEST_CASE("zip-slip names never write outside the destination") {
    CScratch s;
    const std::string script =
        "import zipfile\n"
        "z = zipfile.ZipFile('" + s.Path() + "/slip.zip', 'w')\n"
        "for n in ['../evil1.txt', 'a/../../evil2.txt', '/abs.txt', 'C:\\\\win.txt', '..\\\\evil3.txt', 'ok/fine.txt']:\n"
        "    z.writestr(zipfile.ZipInfo(n), 'x')\n"
        "z.close()\n";
    WriteFile(s / "make.py", script);
    REQUIRE(Run("python3 '" + s.Path() + "/make.py'") == 0);
    CRecordingEvents ev;
    CHECK(ExtractAll(s / "slip.zip", s / "dest/inner", ev) == kZipIncomplete);
    CHECK(ev.HasMessage(kMsgUnsafeName));
    CHECK_FALSE(Exists(s / "evil1.txt"));
    CHECK_FALSE(Exists(s / "dest/evil1.txt"));
    CHECK_FALSE(Exists(s / "evil2.txt"));
    CHECK_FALSE(Exists(s / "dest/evil3.txt"));
    CHECK_FALSE(Exists("/abs.txt"));
    // Absolute names are taken relative to the destination.
    CHECK(TreeFiles(s / "dest") == std::vector<std::string>{"inner/abs.txt", "inner/ok/fine.txt", "inner/win.txt"});
}

TEST_CASE("an entry name twice: the second follows the rules for existing files") {
    CScratch s;
    const std::string script =
        "import zipfile, warnings\nwarnings.simplefilter('ignore')\n"
        "z = zipfile.ZipFile('" + s.Path() + "/dup.zip', 'w')\n"
        "for i in range(40): z.writestr('f%d.txt' % i, 'filler %d' % i)\n"
        "z.writestr('same.txt', 'first')\nz.writestr('same.txt', 'second')\nz.close()\n";
    WriteFile(s / "make.py", script);
    REQUIRE(Run("python3 '" + s.Path() + "/make.py'") == 0);
    CRecordingEvents quiet;
    CHECK(ExtractAll(s / "dup.zip", s / "q", quiet) == kZipOk);
    CHECK(ReadFile(s / "q/same.txt") == "first");    // the second was skipped: the file existed
    ExtractOptions o;
    o.archive = s / "dup.zip";
    o.destination = s / "o";
    o.overwrite = true;
    o.patterns = {"same.txt"};
    CRecordingEvents ev;
    CExtractJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    CHECK(job.Run(o) == kZipOk);
    CHECK(ReadFile(s / "o/same.txt") == "second");   // the second replaced the first
    CHECK(TreeFiles(s / "q").size() == 41);
}

// The fuzz target's inputs: entries whose headers declare the largest values
// they hold, and the LZMA entry declaring 3 GB that once made the reader
// allocate as much.
TEST_CASE("entries declaring huge sizes and dictionaries are refused within the memory budget and leave no file") {
    struct Case {
        const char* file;
        ZipResult expected;
        const char* message;   // the text of the unsupported-entry message, when refused for memory
    };
    const Case cases[] = {
        {"regression/lzma-declared-3gb.zip", kZipUnsupported, "LZMA needs more memory than allowed"},
        {"corpus/lzma_largest.zip", kZipUnsupported, "LZMA needs more memory than allowed"},
        {"corpus/bzip2_largest.zip", kZipBadArchive, nullptr},
        {"corpus/deflate64_largest.zip", kZipBadArchive, nullptr},
    };
    for (const Case& c : cases) {
        const std::string archive = std::string(ZL_FUZZ_INPUTS "/") + c.file;
        CAPTURE(archive);
        CScratch s;
        REQUIRE(Exists(archive));
        CRecordingEvents ev;
        CHECK(ExtractAll(archive, s / "x", ev) == c.expected);
        CHECK(TreeFiles(s / "x").empty());
        if (c.message) CHECK(ev.HasMessage(kMsgUnsupported, c.message));
        // The same, where more than the budget cannot be had.
        CHECK(HoldsWithin(kDecodeMemoryBudget + 32 * 1024 * 1024, [&] {
            return ExtractAll(archive, s / "y") == c.expected && TreeFiles(s / "y").empty();
        }));
    }
}

// The compression methods other tools write (bzip2, LZMA, Deflate64): 7-Zip's
// archives read byte for byte, damaged data refused without leaving a file.
#include <doctest/doctest.h>

#include "TestUtil.h"
#include "core/DecodeMemory.h"
#include "core/Decoders.h"
#include "core/EntryReader.h"
#include "core/ExtractJob.h"

using namespace zl;
using namespace zt;

namespace {

struct Method {
    const char* option;   // 7-Zip's -mm value
    uint16_t id;
};
const Method kMethods[] = {{"BZip2", kMethodBzip2}, {"LZMA", kMethodLzma}, {"LZMA:eos=off", kMethodLzma}, {"Deflate64", kMethodDeflate64}};

// Text across bzip2's blocks and many Deflate64 windows; a block repeated at
// a distance only Deflate64's 64 KiB window reaches; small and empty files.
void MakeInput(const CScratch& s) {
    WriteFile(s / "in/text.txt", TextBytes(1500000, 11));
    const std::string block = RandomBytes(40000, 12);
    WriteFile(s / "in/repeat.bin", block + block + block + block + block + block);
    WriteFile(s / "in/random.bin", RandomBytes(5000, 13));
    WriteFile(s / "in/sub/small.txt", "a small file");
    WriteFile(s / "in/empty.txt", "");
}

const ZipEntry* Find(const ZipDirectory& dir, const std::string& name) {
    for (const ZipEntry& e : dir.entries)
        if (e.name == name) return &e;
    return nullptr;
}

// An archive of one entry with its sizes (local and central) rewritten.
std::string WithSizes(const std::string& zip, uint64_t centralStart, uint32_t packed, uint32_t size) {
    std::string out = zip;
    auto put = [&](size_t at, uint32_t v) { Put32(reinterpret_cast<uint8_t*>(&out[at]), v); };
    put(18, packed);
    put(22, size);
    put(size_t(centralStart) + 20, packed);
    put(size_t(centralStart) + 24, size);
    return out;
}

}  // namespace

TEST_CASE("7-Zip's bzip2, LZMA and Deflate64 entries extract byte for byte, plain, ZipCrypto and AES") {
    CScratch s;
    MakeInput(s);
    int n = 0;
    for (const Method& m : kMethods) {
        for (const char* encryption : {"", "ZipCrypto", "AES256"}) {
            CAPTURE(m.option);
            CAPTURE(encryption);
            const std::string password = *encryption ? "pw" : "";
            const std::string zip = s / ("m" + std::to_string(++n) + ".zip");
            const std::string dest = s / ("out" + std::to_string(n));
            REQUIRE(Run("cd '" + s.Path() + "' && 7z a -tzip -mm=" + m.option +
                        (*encryption ? std::string(" -mem=") + encryption + " -p" + password : std::string()) + " '" +
                        zip + "' in") == 0);
            ZipDirectory dir;
            REQUIRE(ReadArchive(zip, dir));
            for (const char* name : {"in/text.txt", "in/repeat.bin"}) {
                const ZipEntry* e = Find(dir, name);
                REQUIRE(e != nullptr);
                CHECK(e->realMethod == m.id);
            }
            if (m.id == kMethodLzma)   // the end marker is announced by flag bit 1
                CHECK((Find(dir, "in/text.txt")->flags & 0x0002) == (std::string(m.option) == "LZMA" ? 2 : 0));
            CHECK(ExtractAll(zip, dest, password) == kZipOk);
            CHECK(Run("diff -r '" + s.Path() + "/in' '" + dest + "/in'") == 0);
            if (*encryption) {
                CHECK(ExtractAll(zip, dest + "wrong", "nope") == kZipWrongPassword);
                CHECK(TreeFiles(dest + "wrong").empty());
            }
        }
    }
}

TEST_CASE("damaged bzip2, LZMA and Deflate64 data is refused and leaves no file") {
    CScratch s;
    WriteFile(s / "text.txt", TextBytes(300000, 21));
    int n = 0;
    for (const Method& m : kMethods) {
        CAPTURE(m.option);
        const std::string zip = s / (std::string("good") + std::to_string(++n) + ".zip");
        REQUIRE(Run("cd '" + s.Path() + "' && 7z a -tzip -mm=" + std::string(m.option) + " '" + zip + "' text.txt") == 0);
        const std::string good = ReadFile(zip);
        ZipDirectory dir;
        REQUIRE(ReadArchive(zip, dir));
        REQUIRE(dir.entries.size() == 1);
        const ZipEntry& e = dir.entries[0];
        REQUIRE(e.realMethod == m.id);
        const size_t dataStart = 30 + Get16(reinterpret_cast<const uint8_t*>(good.data()) + 26) +
                                 Get16(reinterpret_cast<const uint8_t*>(good.data()) + 28);
        const uint32_t packed = uint32_t(e.compressedSize), size = uint32_t(e.size);

        struct Damage {
            std::string what;
            std::string bytes;
            ZipResult expected;   // kZipOk: damaged data, refused as damaged or by its CRC
        };
        std::vector<Damage> cases;
        for (size_t part : {3, 2}) {
            std::string bad = good;
            for (size_t i = 0; i < 4; ++i) bad[dataStart + packed / part + i] ^= 0x55;
            cases.push_back({"bytes changed at 1/" + std::to_string(part), bad, kZipOk});
        }
        // LZMA stops at the declared size, so there the CRC refuses it.
        cases.push_back({"size one less than the data", WithSizes(good, dir.centralStart, packed, size - 1), kZipOk});
        cases.push_back({"size one more than the data", WithSizes(good, dir.centralStart, packed, size + 1), kZipBadArchive});
        cases.push_back({"data cut in half", WithSizes(good, dir.centralStart, packed / 2, size), kZipBadArchive});
        cases.push_back({"no data at all", WithSizes(good, dir.centralStart, 0, size), kZipBadArchive});
        if (m.id == kMethodLzma) {
            std::string bad = good;
            bad[dataStart + 4] = char(0xFF);   // lc/lp/pb beyond what LZMA defines
            cases.push_back({"impossible LZMA properties", bad, kZipUnsupported});
        }
        for (const Damage& d : cases) {
            CAPTURE(d.what);
            const std::string path = s / ("bad" + std::to_string(n) + ".zip");
            const std::string dest = s / ("out" + std::to_string(n));
            WriteFile(path, d.bytes);
            const ZipResult r = ExtractAll(path, dest);
            if (d.expected == kZipOk) CHECK((r == kZipBadArchive || r == kZipCrcError));
            else CHECK(r == d.expected);
            CHECK(TreeFiles(dest).empty());
            Run("rm -rf '" + dest + "'");
            // Whatever the data holds, no more than the declared size comes out.
            ZipDirectory badDir;
            REQUIRE(ReadArchive(path, badDir));
            auto file = PlatformFileSystem().OpenRead(path);
            CEntryReader reader(*file, badDir, 0, nullptr);
            uint64_t given = 0;
            ReadBuffers buffers;
            if (reader.Open(nullptr) == kZipOk) {
                CHECK(reader.Pump([&](const uint8_t*, size_t got) { given += got; return kZipOk; }, buffers) != kZipOk);
                CHECK(given <= badDir.entries[0].size);
            }
        }
    }
}

TEST_CASE("methods nobody reads here are refused as unsupported, not as damage") {
    CScratch s;
    CZipBytes zip;
    zip.Add("xz.bin", "not really xz").method = 95;
    zip.Add("ppmd.bin", "not really PPMd").method = 98;
    WriteFile(s / "other.zip", zip.Build());
    ExtractOptions o;
    o.archive = s / "other.zip";
    o.destination = s / "out";
    o.quiet = true;
    CRecordingEvents ev;
    CExtractJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    CHECK(job.Run(o) != kZipOk);
    CHECK(ev.HasMessage(kMsgUnsupported));
    CHECK_FALSE(ev.HasMessage(kMsgDamagedEntry));
    CHECK(TreeFiles(s / "out").empty());
}

TEST_CASE("7-Zip's strongest settings extract within the memory budget") {
    CScratch s;
    MakeInput(s);
    // LZMA at 7-Zip's "ultra" level takes a 256 MiB dictionary; an entry as
    // large as that needs all of it (from a pipe 7-Zip does not shrink it).
    const uint64_t zeros = 270u * 1024 * 1024;
    REQUIRE(Run("cd '" + s.Path() + "' && head -c " + std::to_string(zeros) +
                " /dev/zero | 7z a -tzip -mm=LZMA -mx=9 -sizeros.bin lzma_ultra.zip") == 0);
    const std::string lzma = ReadFile(s / "lzma_ultra.zip");
    const size_t dataStart = 30 + Get16(reinterpret_cast<const uint8_t*>(lzma.data()) + 26) +
                             Get16(reinterpret_cast<const uint8_t*>(lzma.data()) + 28);
    REQUIRE(lzma.size() > dataStart + 9);
    CHECK(Get32(reinterpret_cast<const uint8_t*>(lzma.data()) + dataStart + 5) == 256u * 1024 * 1024);
    for (const char* option : {"BZip2", "Deflate64", "LZMA"})
        REQUIRE(Run("cd '" + s.Path() + "' && 7z a -tzip -mx=9 -mm=" + std::string(option) + " '" + option + "_ultra.zip' in") == 0);
    CHECK(HoldsWithin(kDecodeMemoryBudget + 32 * 1024 * 1024, [&] {
        if (ExtractAll(s / "lzma_ultra.zip", s / "zeros") != kZipOk) return false;
        struct stat st;
        return ::stat((s / "zeros/zeros.bin").c_str(), &st) == 0 && uint64_t(st.st_size) == zeros;
    }));
    Run("rm -rf '" + s.Path() + "/zeros'");
    for (const char* option : {"BZip2", "Deflate64", "LZMA"}) {
        CAPTURE(option);
        const std::string dest = s / (std::string("out_") + option);
        CHECK(HoldsWithin(kDecodeMemoryBudget + 32 * 1024 * 1024,
                          [&] { return ExtractAll(s / (std::string(option) + "_ultra.zip"), dest) == kZipOk; }));
        CHECK(Run("diff -r '" + s.Path() + "/in' '" + dest + "/in'") == 0);
    }
}

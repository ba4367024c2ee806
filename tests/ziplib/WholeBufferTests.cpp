// The whole-buffer deflate and inflate paths (entries up to a few MiB) and the
// streamed ones beside them: the same bytes come back, and other tools accept
// what they write.
#include <doctest/doctest.h>

#include "TestUtil.h"
#include "core/ExtractJob.h"
#include "core/UpdateJob.h"
#include "core/WholeBuffer.h"

using namespace zl;
using namespace zt;

namespace {

// Sizes on both sides of the whole-buffer limit, and the ones deflate treats
// specially (empty, one byte, incompressible, long runs).
void MakeFiles(const CScratch& s) {
    WriteFile(s / "in/empty.txt", "");
    WriteFile(s / "in/one.txt", "x");
    WriteFile(s / "in/two.txt", "xy");
    WriteFile(s / "in/small.txt", TextBytes(100, 1));
    WriteFile(s / "in/text64k.txt", TextBytes(65536, 2));
    WriteFile(s / "in/limit-1.txt", TextBytes(kWholeBufferLimit - 1, 3));
    WriteFile(s / "in/limit.txt", TextBytes(kWholeBufferLimit, 4));
    WriteFile(s / "in/limit+1.txt", TextBytes(kWholeBufferLimit + 1, 5));
    WriteFile(s / "in/random.bin", RandomBytes(1000, 6));
    WriteFile(s / "in/random-limit.bin", RandomBytes(kWholeBufferLimit, 7));
    WriteFile(s / "in/zeros.bin", std::string(5 * 1024 * 1024 + 17, '\0'));
}

ZipResult Add(const CScratch& s, const std::string& zip, unsigned threads) {
    UpdateOptions o;
    o.archive = zip;
    o.names = {"in/*"};
    o.keepFolders = true;
    o.threads = threads;
    CSilentEvents ev;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    const std::string cwd = PlatformFileSystem().CurrentDirectory();
    REQUIRE(::chdir(s.Path().c_str()) == 0);
    const ZipResult r = job.Run(o);
    REQUIRE(::chdir(cwd.c_str()) == 0);
    return r;
}

ZipResult Extract(const std::string& zip, const std::string& dest) {
    ExtractOptions o;
    o.archive = zip;
    o.destination = dest;
    o.quiet = true;
    CSilentEvents ev;
    CExtractJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    return job.Run(o);
}

}  // namespace

TEST_CASE("files around the whole-buffer limit: unzip, 7-Zip and Python accept ours, and every path reads back the same bytes") {
    CScratch s;
    MakeFiles(s);
    for (unsigned threads : {1u, 2u}) {
        CAPTURE(threads);
        const std::string zip = s / ("ours" + std::to_string(threads) + ".zip");
        REQUIRE(Add(s, zip, threads) == kZipOk);
        CHECK(Run("unzip -tq '" + zip + "'") == 0);
        CHECK(Run("7z t '" + zip + "'") == 0);
        CHECK(Run("python3 -c 'import zipfile,sys; assert zipfile.ZipFile(sys.argv[1]).testzip() is None' '" + zip + "'") == 0);
        // Compressible files are deflated; incompressible ones stored.
        ZipDirectory dir;
        REQUIRE(ReadArchive(zip, dir));
        for (const ZipEntry& e : dir.entries) {
            CAPTURE(e.name);
            if (e.name == "in/random.bin" || e.name == "in/random-limit.bin" || e.size < 3) CHECK(e.realMethod == kMethodStored);
            else if (!e.IsDirectory()) CHECK(e.realMethod == kMethodDeflate);
        }
        const std::string ours = s / ("x" + std::to_string(threads));
        CHECK(Extract(zip, ours) == kZipOk);
        CHECK(Run("diff -r '" + s.Path() + "/in' '" + ours + "/in'") == 0);
        const std::string theirs = s / ("u" + std::to_string(threads));
        CHECK(Run("mkdir -p '" + theirs + "' && cd '" + theirs + "' && unzip -q '" + zip + "'") == 0);
        CHECK(Run("diff -r '" + s.Path() + "/in' '" + theirs + "/in'") == 0);
    }
    // Info-ZIP's deflate, read by our whole-buffer and streamed inflate.
    CHECK(Run("cd '" + s.Path() + "' && zip -qr -6 infozip.zip in") == 0);
    CHECK(Extract(s / "infozip.zip", s / "fromzip") == kZipOk);
    CHECK(Run("diff -r '" + s.Path() + "/in' '" + s.Path() + "/fromzip/in'") == 0);
}

TEST_CASE("the whole-buffer inflate refuses output beyond its room and damaged streams") {
    const std::string text = TextBytes(20000, 9);
    std::vector<uint8_t> packed;
    CWholeDeflater deflater;
    const size_t n = deflater.Compress(6, reinterpret_cast<const uint8_t*>(text.data()), text.size(), packed);
    REQUIRE(n > 0);
    REQUIRE(n < text.size());
    std::vector<uint8_t> out(text.size());
    size_t produced = 0;
    CHECK(InflateWhole(packed.data(), n, out.data(), out.size(), produced) == InflateResult::kOk);
    CHECK(produced == text.size());
    CHECK(std::string(out.begin(), out.end()) == text);
    CHECK(InflateWhole(packed.data(), n, out.data(), out.size() - 1, produced) == InflateResult::kTooLong);
    CHECK(InflateWhole(packed.data(), n / 2, out.data(), out.size(), produced) == InflateResult::kDamaged);
    // Incompressible input is not deflated (the caller stores it).
    const std::string noise = RandomBytes(5000, 10);
    CHECK(deflater.Compress(6, reinterpret_cast<const uint8_t*>(noise.data()), noise.size(), packed) == 0);
    CHECK(Crc32(0, text.data(), text.size()) == uint32_t(::crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size()))));
}

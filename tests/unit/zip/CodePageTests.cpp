// The DLLs in a process that runs with a single-byte ANSI code page, as on
// Windows versions that ignore the manifest's UTF-8 setting. This program has
// no manifest and runs under a Russian locale (code page 1251).
#include "doctest/doctest.h"

#include <string>

#include "ZipTestUtil.h"
#include "ziplib/dll/ZipRecords.h"

using namespace zt;

namespace {

const std::string kCyrillic1251 = "\xEF\xF0\xE8\xE2\xE5\xF2";            // "привет" in code page 1251
const std::string kCyrillicUtf8 = "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";

std::string Ansi(const std::string& utf8Path) {
    const std::wstring w = Wide(utf8Path);
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(size_t(n - 1));
    return out;
}

}  // namespace

TEST_CASE("record text in code page 1251: names go in and come back in it, files keep their real names") {
    REQUIRE(GetACP() == 1251);
    CTempFolder t;
    REQUIRE(WriteBytes(t / ("in\\" + kCyrillicUtf8 + ".txt"), "cyrillic"));
    const std::string folder = Ansi(t.Path());   // the temporary folder's path is plain ASCII here
    const std::string zip = folder + "\\" + kCyrillic1251 + ".zip";
    const std::string list = "\"" + folder + "\\in\\" + kCyrillic1251 + ".txt\"";
    ZipCommand z{};
    z.size = sizeof z;
    z.function = kZipFunctionAdd;
    z.archive = zip.c_str();
    z.fileList = list.c_str();
    z.level = 6;
    z.quiet = 1;
    z.noFolderNames = 1;
    z.replaceExisting = 1;
    z.recurseFolders = 1;
    z.password = "";
    REQUIRE(dzip(&z) == 0);
    CHECK(Exists(t / (kCyrillicUtf8 + ".zip")));   // the archive got its real name

    UnzipCommand u{};
    u.size = sizeof u;
    u.function = kUnzipFunctionCount;
    u.archive = zip.c_str();
    REQUIRE(dunzip(&u) == 0);
    REQUIRE(u.count == 1);
    ZipEntryInfo info;
    u.function = kUnzipFunctionNext;
    u.entryInfo = &info;
    REQUIRE(dunzip(&u) == 0);
    CHECK(std::string(info.path) == kCyrillic1251 + ".txt");
    CHECK((info.zipFlags & 0x0800) != 0);   // stored as UTF-8

    // Extract by that name into a folder named in the same code page.
    const std::string dest = folder + "\\" + kCyrillic1251;
    const std::string spec = "\"" + kCyrillic1251 + ".txt\"";
    UnzipCommand x{};
    x.size = sizeof x;
    x.function = kUnzipFunctionExtract;
    x.archive = zip.c_str();
    x.fileSpec = spec.c_str();
    x.index = -1;
    x.destination = dest.c_str();
    x.quiet = 1;
    x.allFiles = 1;
    x.restoreTimes = 1;
    REQUIRE(dunzip(&x) == 0);
    CHECK(ReadBytes(t / (kCyrillicUtf8 + "\\" + kCyrillicUtf8 + ".txt")) == "cyrillic");
}

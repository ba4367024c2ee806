// Interoperability of the core with Info-ZIP, 7-Zip and Python's zipfile, both ways.
#include <doctest/doctest.h>

#include "TestUtil.h"
#include "core/EntryReader.h"
#include "core/ExtractJob.h"
#include "core/Names.h"
#include "core/UpdateJob.h"

using namespace zl;
using namespace zt;

namespace {

const std::string kUtf8A = "r\xC3\xA9sum\xC3\xA9.txt";
const std::string kUtf8B = "\xE6\x97\xA5\xE6\x9C\xAC.txt";

void MakeInput(const CScratch& s) {
    WriteFile(s / "in/text.txt", TextBytes(300000, 1));
    WriteFile(s / "in/binary.bin", RandomBytes(200000, 2));
    WriteFile(s / "in/empty.txt", "");
    WriteFile(s / ("in/sub/" + kUtf8A), "accented");
    WriteFile(s / ("in/sub/" + kUtf8B), "japanese");
    Run("mkdir -p '" + s.Path() + "/in/emptyfolder'");
}

ZipResult Write(const std::string& archive, const std::string& folder, const std::string& password = "", bool zip64 = false) {
    UpdateOptions o;
    o.archive = archive;
    o.names = {folder + "/*"};
    o.keepFolders = true;
    o.encrypt = !password.empty();
    o.password = password;
    CSilentEvents ev;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev, zip64 ? AllZip64() : ZipLimits());
    std::string cwd = PlatformFileSystem().CurrentDirectory();
    // Relative names, so the archive holds in/... paths.
    REQUIRE(::chdir(ParentPath(folder).c_str()) == 0);
    o.names = {"in/*"};
    ZipResult r = job.Run(o);
    REQUIRE(::chdir(cwd.c_str()) == 0);
    return r;
}

bool SameTree(const std::string& a, const std::string& b) {
    return Run("diff -r '" + a + "' '" + b + "'") == 0;
}

std::string Py(const CScratch& s, const std::string& code) {
    static int n = 0;
    const std::string path = s / ("script" + std::to_string(++n) + ".py");
    WriteFile(path, code);
    return "python3 '" + path + "'";
}

}  // namespace

TEST_CASE("our archives pass unzip -t, 7z t and Python's zipfile, with UTF-8 names and empty folders") {
    CScratch s;
    MakeInput(s);
    for (bool zip64 : {false, true}) {
        CAPTURE(zip64);
        const std::string zip = s / (zip64 ? "ours64.zip" : "ours.zip");
        REQUIRE(Write(zip, s / "in", "", zip64) == kZipOk);
        CHECK(Run("unzip -tq '" + zip + "'") == 0);
        CHECK(Run("7z t '" + zip + "'") == 0);
        CHECK(Run(Py(s, "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n"
                        "names=z.namelist()\nassert 'in/sub/" + kUtf8A + "' in names, names\n"
                        "assert 'in/sub/" + kUtf8B + "' in names, names\nassert 'in/emptyfolder/' in names\n") +
                  " '" + zip + "'") == 0);
        Run("rm -rf '" + s.Path() + "/u' && mkdir '" + s.Path() + "/u'");
        CHECK(Run("cd '" + s.Path() + "/u' && unzip -q '" + zip + "'") == 0);
        CHECK(SameTree(s / "in", s / "u/in"));
    }
}

TEST_CASE("our AES-256 archives extract with 7-Zip and the password; a wrong password fails there too") {
    CScratch s;
    MakeInput(s);
    const std::string zip = s / "aes.zip";
    REQUIRE(Write(zip, s / "in", "Tally-2001") == kZipOk);
    CHECK(Run("7z t -pTally-2001 '" + zip + "'") == 0);
    CHECK(Run("7z t -pwrong '" + zip + "'") != 0);
    CHECK(Run("7z x -y -pTally-2001 -o'" + s.Path() + "/x' '" + zip + "'") == 0);
    CHECK(SameTree(s / "in", s / "x/in"));
    // Python sees the entries and their encryption flag.
    CHECK(Run(Py(s, "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\n"
                    "assert all(i.flag_bits & 1 for i in z.infolist() if not i.is_dir())\n") +
              " '" + zip + "'") == 0);
}

TEST_CASE("more than 65,535 entries: ZIP64 end records written and read") {
    CScratch s;
    // Files made by Python, quicker than the shell.
    REQUIRE(Run(Py(s, "import os\nos.makedirs('" + s.Path() + "/in/many')\n"
                      "for i in range(66000):\n    open('" + s.Path() + "/in/many/%05d' % i, 'w').close()\n")) == 0);
    const std::string zip = s / "many.zip";
    REQUIRE(Write(zip, s / "in") == kZipOk);
    CHECK(Run("unzip -tq '" + zip + "'") == 0);
    CHECK(Run(Py(s, "import zipfile,sys\nassert len(zipfile.ZipFile(sys.argv[1]).namelist()) == 66001\n") + " '" + zip + "'") == 0);
    ZipDirectory dir;
    REQUIRE(ReadArchive(zip, dir));
    CHECK(dir.entries.size() == 66001);
    // Python's archive of as many entries is read too.
    REQUIRE(Run(Py(s, "import zipfile\nz=zipfile.ZipFile('" + s.Path() + "/py.zip','w')\n"
                      "for i in range(70000): z.writestr('e%d' % i, '')\nz.close()\n")) == 0);
    REQUIRE(ReadArchive(s / "py.zip", dir));
    CHECK(dir.entries.size() == 70000);
}

TEST_CASE("archives of Info-ZIP, 7-Zip and Python list and extract correctly") {
    CScratch s;
    MakeInput(s);
    const std::string in = s.Path();
    struct Maker {
        std::string name;
        std::string command;
        std::string password;
    };
    const std::vector<Maker> makers = {
        {"zip deflate", "cd '" + in + "' && zip -qr z1.zip in", ""},
        {"zip stored", "cd '" + in + "' && zip -qr0 z2.zip in", ""},
        {"zip traditional", "cd '" + in + "' && zip -qr -P pw z3.zip in", "pw"},
        {"zip forced zip64", "cd '" + in + "' && zip -qr -fz z4.zip in", ""},
        {"zip streamed (data descriptors)", "cd '" + in + "' && (zip -qr - in | cat > z5.zip)", ""},
        {"zip streamed and encrypted", "cd '" + in + "' && (zip -qr -P pw - in | cat > z6.zip)", "pw"},
        {"7z deflate", "cd '" + in + "' && 7z a -tzip z7.zip in", ""},
        {"7z AES-256", "cd '" + in + "' && 7z a -tzip -mem=AES256 -ppw z8.zip in", "pw"},
        {"7z AES-128", "cd '" + in + "' && 7z a -tzip -mem=AES128 -ppw z9.zip in", "pw"},
        {"7z traditional", "cd '" + in + "' && 7z a -tzip -mem=ZipCrypto -ppw z10.zip in", "pw"},
        {"python deflate", Py(s, "import zipfile,os\nos.chdir('" + in + "')\nz=zipfile.ZipFile('z11.zip','w',zipfile.ZIP_DEFLATED)\n"
                                 "for r,d,f in os.walk('in'):\n"
                                 "    z.write(r)\n"
                                 "    for n in f: z.write(os.path.join(r,n))\nz.close()\n"), ""},
        {"python zip64 stream", Py(s, "import zipfile,os\nos.chdir('" + in + "')\n"
                                      "class W:\n"
                                      "    def __init__(s,f): s.f=f\n"
                                      "    def write(s,b): return s.f.write(b)\n"
                                      "    def flush(s): s.f.flush()\n"
                                      "out=open('z12.zip','wb')\nz=zipfile.ZipFile(W(out),'w',zipfile.ZIP_DEFLATED)\n"
                                      "for r,d,f in os.walk('in'):\n"
                                      "    z.write(r)\n"
                                      "    for n in f:\n"
                                      "        with open(os.path.join(r,n),'rb') as src, z.open(os.path.join(r,n),'w',force_zip64=True) as dst: dst.write(src.read())\n"
                                      "z.close(); out.close()\n"), ""},
    };
    int index = 0;
    for (const Maker& m : makers) {
        CAPTURE(m.name);
        ++index;
        REQUIRE(Run(m.command) == 0);
        const std::string zip = in + "/z" + std::to_string(index) + ".zip";
        const std::string dest = in + "/out" + std::to_string(index);
        CHECK(ExtractAll(zip, dest, m.password) == kZipOk);
        // Folders without files only come back where the writer stored them.
        Run("mkdir -p '" + dest + "/in/emptyfolder'");
        CHECK(SameTree(in + "/in", dest + "/in"));
        if (!m.password.empty()) CHECK(ExtractAll(zip, dest + "wrong", "nope") == kZipWrongPassword);
    }
}

TEST_CASE("a self-extractor's prepended data is kept, and its entries are read and updated") {
    CScratch s;
    MakeInput(s);
    REQUIRE(Run("cd '" + s.Path() + "' && zip -qr plain.zip in && (head -c 5000 /dev/urandom; cat plain.zip) > sfx.exe && zip -qA sfx.exe") == 0);
    CHECK(ExtractAll(s / "sfx.exe", s / "x") == kZipOk);
    CHECK(SameTree(s / "in/sub", s / "x/in/sub"));
    // Prepended data without adjusted offsets, as a plain concatenation gives.
    REQUIRE(Run("cd '" + s.Path() + "' && (head -c 777 /dev/urandom; cat plain.zip) > raw.exe") == 0);
    CHECK(ExtractAll(s / "raw.exe", s / "y") == kZipOk);
    const std::string stub = ReadFile(s / "raw.exe").substr(0, 777);
    WriteFile(s / "extra.txt", "added later");
    UpdateOptions o;
    o.archive = s / "raw.exe";
    o.names = {s / "extra.txt"};
    o.keepFolders = false;
    CSilentEvents ev;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    REQUIRE(job.Run(o) == kZipOk);
    CHECK(ReadFile(s / "raw.exe").substr(0, 777) == stub);
    CHECK(Run("unzip -tq '" + s.Path() + "/raw.exe'") == 0);
}

TEST_CASE("a file of more than 4 GiB and an entry beyond 4 GiB: real ZIP64 sizes and offsets") {
    CScratch s;
    // A sparse file reads as zeros without taking the disk space.
    const uint64_t size = (uint64_t(4) << 30) + 12345;
    REQUIRE(Run("truncate -s " + std::to_string(size) + " '" + s.Path() + "/huge.bin'") == 0);
    WriteFile(s / "after.txt", "behind the big one");
    UpdateOptions o;
    o.archive = s / "huge.zip";
    o.names = {s / "huge.bin", s / "after.txt"};
    o.keepFolders = false;
    o.level = 1;
    o.threads = 2;
    CSilentEvents ev;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    REQUIRE(job.Run(o) == kZipOk);
    ZipDirectory dir;
    REQUIRE(ReadArchive(o.archive, dir));
    REQUIRE(dir.entries.size() == 2);
    CHECK(dir.entries[0].size == size);
    CHECK(dir.entries[0].zip64);
    CHECK(Run("unzip -tq '" + o.archive + "'") == 0);
    CHECK(Run("7z t '" + o.archive + "'") == 0);
    CHECK(Run("unzip -p '" + o.archive + "' after.txt | grep -q 'behind the big one'") == 0);
    // Reading it back through the core checks the CRC of all 4 GiB.
    auto file = PlatformFileSystem().OpenRead(o.archive);
    CEntryReader reader(*file, dir, 0, nullptr);
    REQUIRE(reader.Open(nullptr) == kZipOk);
    ReadBuffers buffers;
    uint64_t total = 0;
    const ZipResult r = reader.Pump(
        [&](const uint8_t*, size_t got) {
            total += got;
            return kZipOk;
        },
        buffers);
    CHECK(r == kZipOk);
    CHECK(total == size);

    // An entry whose local header lies beyond 4 GiB (stored data pushes it there).
    Run("rm -f '" + s.Path() + "/huge.zip'");
    UpdateOptions st;
    st.archive = s / "offset.zip";
    st.names = {s / "huge.bin", s / "after.txt"};
    st.keepFolders = false;
    st.level = 0;
    CUpdateJob job2(PlatformFileSystem(), &PlatformCrypto(), ev);
    REQUIRE(job2.Run(st) == kZipOk);
    REQUIRE(ReadArchive(st.archive, dir));
    CHECK(dir.entries[1].localOffset > 0xFFFFFFFFull);
    CHECK(Run("unzip -p '" + st.archive + "' after.txt | grep -q 'behind the big one'") == 0);
    CHECK(Run(Py(s, "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nassert z.read('after.txt') == b'behind the big one'\n") +
              " '" + st.archive + "'") == 0);
    ExtractOptions x;
    x.archive = st.archive;
    x.destination = s / "x";
    x.patterns = {"after.txt"};
    x.quiet = true;
    CExtractJob ex(PlatformFileSystem(), &PlatformCrypto(), ev);
    CHECK(ex.Run(x) == kZipOk);
    CHECK(ReadFile(s / "x/after.txt") == "behind the big one");
}

// adfactry.dll through its ordinals, as the program drives it, and the
// programs it builds.
#include "doctest/doctest.h"

#include <algorithm>

#include "sfx/AdfactryApi.h"
#include "sfx/stub/SelfArchive.h"
#include "tests/unit/sfx/SfxTestUtil.h"
#include "zip/SelfExtractScript.h"

using namespace tb::sfx;

namespace {

// Remembers every call; fails the calls it is told to.
class CRecordingBuilder : public ISelfExtractBuilder {
public:
    int NewScript(const std::string&) override { return Note("new"); }
    int SetNumber(const std::string&, int id, int n) override { return Note("N " + std::to_string(id) + " " + std::to_string(n)); }
    int SetText(const std::string&, int id, const std::string& t) override { return Note("T " + std::to_string(id) + " " + t); }
    int Build(const std::string&) override { return Note("build"); }
    long Index(const std::string& call) const {
        auto it = std::find(calls.begin(), calls.end(), call);
        return it == calls.end() ? -1 : long(it - calls.begin());
    }
    std::vector<std::string> calls;
    std::string failing;

private:
    int Note(const std::string& call) {
        calls.push_back(call);
        return call == failing ? 42 : 0;
    }
};

SelfExtractValues Values() {
    SelfExtractValues v;
    v.caption = "cap";
    v.source = "src.zip";
    v.output = "out.exe";
    v.bitmap = "bmp";
    return v;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

BOOL CALLBACK TakeFirstGroup(HMODULE m, LPCSTR type, LPSTR name, LONG_PTR out) {
    HRSRC r = FindResourceA(m, name, type);
    reinterpret_cast<std::string*>(out)->assign(static_cast<const char*>(LockResource(LoadResource(m, r))),
                                                SizeofResource(m, r));
    return FALSE;
}

// The first icon group of a program and the data of its first icon.
std::pair<std::string, std::string> FirstIcon(const std::string& program) {
    tb::UniqueModule module(LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return {};
    std::string group, icon;
    EnumResourceNamesA(module.Get(), RT_GROUP_ICON, TakeFirstGroup, reinterpret_cast<LONG_PTR>(&group));
    if (group.size() >= 20) {
        const auto id = zl::Get16(reinterpret_cast<const uint8_t*>(group.data() + 18));
        HRSRC r = FindResourceA(module.Get(), MAKEINTRESOURCEA(id), RT_ICON);
        if (r) icon.assign(static_cast<const char*>(LockResource(LoadResource(module.Get(), r))), SizeofResource(module.Get(), r));
    }
    return {group, icon};
}

// A 16 × 16 icon file of one colour.
std::string IconFile(uint32_t colour) {
    std::string image(40 + 16 * 16 * 4 + 16 * 4, '\0');
    auto* p = reinterpret_cast<uint8_t*>(&image[0]);
    zl::Put32(p, 40);
    zl::Put32(p + 4, 16);
    zl::Put32(p + 8, 32);   // image and mask
    zl::Put16(p + 12, 1);
    zl::Put16(p + 14, 32);
    for (int i = 0; i < 256; ++i) zl::Put32(p + 40 + 4 * i, colour);
    std::string file(6 + 16, '\0');
    auto* f = reinterpret_cast<uint8_t*>(&file[0]);
    zl::Put16(f + 2, 1);
    zl::Put16(f + 4, 1);
    f[6] = 16;
    f[7] = 16;
    zl::Put16(f + 10, 1);
    zl::Put16(f + 12, 32);
    zl::Put32(f + 14, uint32_t(image.size()));
    zl::Put32(f + 18, 22);
    return file + image;
}

struct Building {
    zt::CTempFolder temp;
    CAdfactryLibrary library{st::DistFile(kAdfactryDll)};
    SelfExtractValues values;
    std::string script;

    Building() {
        REQUIRE(library.Loaded());
        st::MakeTree(temp / "src");
        REQUIRE(st::MakeArchive(temp / "source.zip", temp / "src"));
        values.caption = "Archive of April 01 2001";
        values.source = temp / "source.zip";
        values.output = temp / "out\\program.exe";
        values.bitmap = st::DistFile("tb.bmp");
        values.extractFolder = "%TEMP%\\unpacked";
        script = temp / "~s1.tmp";
        zt::MakeFolders(temp / "out");
    }
    SelfExtractResult Build() { return WriteAndBuildSelfExtractor(library, script, values, nullptr); }
};

}  // namespace

TEST_CASE("adfactry.dll exports its four functions by ordinal only") {
    tb::UniqueModule dll(LoadLibraryA(st::DistFile(kAdfactryDll).c_str()));
    REQUIRE(dll);
    auto exported = [&](LPCSTR name) { return GetProcAddress(dll.Get(), name) != nullptr; };
    for (WORD ordinal : {kOrdinalNewScript, kOrdinalSetNumber, kOrdinalSetText, kOrdinalBuild})
        CHECK(exported(MAKEINTRESOURCEA(ordinal)));
    CHECK_FALSE(exported(MAKEINTRESOURCEA(3)));
    for (const char* name : {"SfxNewScript", "SfxNewScript@4", "SfxBuild", "SfxSetText@12"}) CHECK_FALSE(exported(name));
}

TEST_CASE("the script is written in the dialog's order, and a failure stops where the dialog stops") {
    CRecordingBuilder b;
    int working = 0;
    auto result = WriteAndBuildSelfExtractor(b, "s", Values(), [&] { working = int(b.calls.size()); });
    CHECK(result.scriptCreated);
    CHECK(result.code == 0);
    const std::vector<std::string> start = {
        "new", "T 103 stowaway.exe;0", "N 403 1", "N 0 0", "N 200 2", "T 203 ", "N 600 1", "N 70611 1",
        "T 70610 bmp", "T 70601 cap", "T 70602 Percentage Done extracting files....", "T 100 src.zip",
        "T 101 out.exe", "N 72500 1", "N 72511 1", "T 72510 bmp", "T 72501 cap"};
    REQUIRE(b.calls.size() > start.size() + 80);
    CHECK(std::vector<std::string>(b.calls.begin(), b.calls.begin() + long(start.size())) == start);
    CHECK(working == 2);   // the working line shows after the icon source
    CHECK(b.calls[b.calls.size() - 2] == "T 73502 Insert Disk.");
    CHECK(b.calls.back() == "build");
    CHECK(b.Index("T 73101 Restart System - cap") < b.Index("N 70300 32"));
    CHECK(b.Index("N 70300 32") < b.Index("T 70402 File(s) are password protected. \nPlease enter a password."));
    CHECK(b.Index("T 71102 ") > 0);

    // The fourth call fails: nothing else is written.
    b = CRecordingBuilder();
    b.failing = "N 403 1";
    result = WriteAndBuildSelfExtractor(b, "s", Values(), nullptr);
    CHECK_FALSE(result.scriptCreated);
    CHECK(b.calls.size() == 3);
    // A failure of a checked call skips the rest and the build.
    b = CRecordingBuilder();
    b.failing = "N 200 2";
    result = WriteAndBuildSelfExtractor(b, "s", Values(), nullptr);
    CHECK(result.scriptCreated);
    CHECK(result.code == 42);
    CHECK(b.calls.back() == "N 200 2");
    // Between the check points only the last call of a group counts.
    for (const char* unchecked : {"T 70610 bmp", "N 303 0"}) {
        b = CRecordingBuilder();
        b.failing = unchecked;
        result = WriteAndBuildSelfExtractor(b, "s", Values(), nullptr);
        CHECK(result.code == 0);
        CHECK(b.calls.back() == "build");
    }
}

TEST_CASE("a program built through the ordinals is the extractor, its script and picture, and the archive") {
    Building x;
    const SelfExtractResult result = x.Build();
    REQUIRE(result.scriptCreated);
    REQUIRE(result.code == 0);

    SelfArchive program;
    REQUIRE(ReadScriptOf(x.values.output, program).result == kStubOk);
    const CScript& s = program.payload.script;
    CHECK(s.Text(70601) == x.values.caption);
    CHECK(s.Text(73101) == "Restart System - " + x.values.caption);
    CHECK(s.Text(203) == "%TEMP%\\unpacked");
    CHECK(s.Text(70002) == "Please specify a path....\n\nIf you choose a floppy, ENSURE that the disk is in the drive.");
    CHECK(s.Number(70300) == 32);           // ids the builder gives no meaning are carried along
    CHECK(s.Text(10000) == "");
    CHECK_FALSE(s.Text(100).has_value());   // the builder's own paths are not
    CHECK_FALSE(s.Text(101).has_value());
    CHECK(program.payload.files.at(x.values.bitmap) == zt::ReadBytes(st::DistFile("tb.bmp")));

    REQUIRE(ReadDirectoryOf(program).result == kStubOk);
    CHECK(program.directory->baseOffset == 0);
    st::CMemoryFile source(zt::ReadBytes(x.values.source));
    CHECK(st::NamesOf(*program.directory) == st::NamesOf(st::DirectoryOf(source)));
    const std::string bytes = zt::ReadBytes(x.values.output);
    CHECK(bytes.substr(0, 2) == "MZ");
    CHECK(bytes.size() == zt::ReadBytes(st::DistFile("tbsfx.exe")).size() + EncodePayload(program.payload).size() +
                               source.Size());
    CHECK(FilesIn(x.temp / "out") == std::vector<std::string>{"program.exe"});

    // A missing bitmap is left out; the build goes on.
    x.values.bitmap = x.temp / "missing.bmp";
    REQUIRE(x.Build().code == 0);
    REQUIRE(ReadScriptOf(x.values.output, program).result == kStubOk);
    CHECK(program.payload.files.empty());
}

TEST_CASE("a failed build names its cause and leaves no program, no temporary file, and the old file intact") {
    Building x;
    CHECK(x.library.SetNumber(x.temp / "none.txt", 1, 1) == kSfxScriptUnreadable);
    CHECK(x.library.Build(x.temp / "none.txt") == kSfxScriptUnreadable);
    zt::WriteBytes(x.temp / "not a script.txt", "hello");
    CHECK(x.library.SetText(x.temp / "not a script.txt", 1, "x") == kSfxScriptUnreadable);
    CHECK(zt::ReadBytes(x.temp / "not a script.txt") == "hello");

    REQUIRE(x.library.NewScript(x.script) == 0);
    CHECK(x.library.Build(x.script) == kSfxNoSource);
    REQUIRE(x.library.SetText(x.script, 100, x.values.source) == 0);
    CHECK(x.library.Build(x.script) == kSfxNoOutput);

    const std::string precious = "the program the user agreed to replace";
    zt::WriteBytes(x.values.output, precious);
    auto buildFrom = [&](const std::string& source, const std::string& output) {
        x.values.source = source;
        x.values.output = output;
        return x.Build().code;
    };
    CHECK(buildFrom(x.temp / "missing.zip", x.temp / "out\\program.exe") == kSfxSourceUnreadable);
    CHECK(buildFrom(x.temp / "not a script.txt", x.temp / "out\\program.exe") == kSfxSourceNotZip);
    const std::string zip = zt::ReadBytes(x.temp / "source.zip");
    zt::WriteBytes(x.temp / "cut.zip", zip.substr(0, zip.size() - 30));
    CHECK(buildFrom(x.temp / "cut.zip", x.temp / "out\\program.exe") == kSfxSourceNotZip);
    CHECK(buildFrom(x.temp / "source.zip", x.temp / "no such folder\\program.exe") == kSfxOutputUnwritable);
    // The new program is complete, but the old one cannot be replaced (it is open).
    {
        tb::UniqueFile open(CreateFileA((x.temp / "out\\program.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        REQUIRE(open);
        CHECK(buildFrom(x.temp / "source.zip", x.temp / "out\\program.exe") == kSfxOutputUnwritable);
    }
    CHECK(zt::ReadBytes(x.temp / "out\\program.exe") == precious);
    CHECK(FilesIn(x.temp / "out") == std::vector<std::string>{"program.exe"});
    CHECK_FALSE(zt::Exists(x.temp / "no such folder"));
    // Then it is.
    CHECK(buildFrom(x.temp / "source.zip", x.temp / "out\\program.exe") == 0);
    CHECK(zt::ReadBytes(x.temp / "out\\program.exe").substr(0, 2) == "MZ");
}

TEST_CASE("the icon source is used when it exists and skipped when it does not") {
    Building x;
    const auto stubIcon = FirstIcon(st::DistFile("tbsfx.exe"));
    REQUIRE(!stubIcon.first.empty());

    x.values.iconSource = "no such program.exe;0";
    REQUIRE(x.Build().code == 0);
    CHECK(FirstIcon(x.values.output) == stubIcon);

    const std::string ico = IconFile(0xFF2080C0);
    zt::WriteBytes(x.temp / "blue.ico", ico);
    x.values.iconSource = x.temp / "blue.ico";
    REQUIRE(x.Build().code == 0);
    const auto icon = FirstIcon(x.values.output);
    CHECK(icon.second == ico.substr(22));
    CHECK(zl::Get16(reinterpret_cast<const uint8_t*>(icon.first.data() + 4)) == 1);
    // The program still runs its own way: its script and archive are there.
    SelfArchive program;
    CHECK(ReadScriptOf(x.values.output, program).result == kStubOk);
    CHECK(ReadDirectoryOf(program).result == kStubOk);

    // A program's icon, taken by index.
    x.values.iconSource = x.temp / "out\\program.exe;0";
    x.values.output = x.temp / "second.exe";
    REQUIRE(x.Build().code == 0);
    CHECK(FirstIcon(x.values.output).second == ico.substr(22));
}

TEST_CASE("every call leaves the whole script on disk, and a script someone else changed between calls is read again") {
    zt::CTempFolder temp;
    CAdfactryLibrary library{st::DistFile(kAdfactryDll)};
    REQUIRE(library.Loaded());
    const std::string script = temp / "~s2.tmp";
    REQUIRE(library.NewScript(script) == kSfxOk);
    REQUIRE(library.SetText(script, 5, "five") == kSfxOk);
    CHECK(zt::ReadBytes(script) == "TBSCRIPT 1\r\nT 5 five\r\n");
    REQUIRE(library.SetNumber(script, 6, 66) == kSfxOk);
    CHECK(zt::ReadBytes(script) == "TBSCRIPT 1\r\nT 5 five\r\nN 6 66\r\n");

    // Rewritten with another size: the next call works on what is on disk.
    REQUIRE(zt::WriteBytes(script, "TBSCRIPT 1\r\nT 7 seven\r\n"));
    REQUIRE(library.SetNumber(script, 8, 1) == kSfxOk);
    const std::string mixed = "TBSCRIPT 1\r\nT 7 seven\r\nN 8 1\r\n";
    CHECK(zt::ReadBytes(script) == mixed);

    // Rewritten with the same size and an older write time: seen too.
    std::string same = mixed;
    same.replace(same.find("seven"), 5, "SEVEN");
    REQUIRE(zt::WriteBytes(script, same));
    {
        tb::UniqueFile file(CreateFileW(zt::Wide(script).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        REQUIRE(file);
        FILETIME old{};
        SYSTEMTIME april{2001, 4, 0, 1, 12, 0, 0, 0};
        REQUIRE(SystemTimeToFileTime(&april, &old));
        REQUIRE(SetFileTime(file.Get(), nullptr, nullptr, &old));
    }
    REQUIRE(library.SetNumber(script, 9, 2) == kSfxOk);
    CHECK(zt::ReadBytes(script) == same + "N 9 2\r\n");

    // Gone: refused, not served from memory.
    REQUIRE(DeleteFileW(zt::Wide(script).c_str()));
    CHECK(library.SetNumber(script, 10, 3) == kSfxScriptUnreadable);
    CHECK(library.Build(script) == kSfxScriptUnreadable);
}

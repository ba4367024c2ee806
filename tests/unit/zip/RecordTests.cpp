// DZIP32.dll and DUNZIP32.dll driven through raw byte records filled at the
// documented offsets, as a program in any language would.
#include "doctest/doctest.h"

#include <string>
#include <vector>

#include "ZipTestUtil.h"
#include "ziplib/dll/ZipRecords.h"

using namespace zt;

namespace {

struct CallbackLog {
    std::vector<std::string> progress, items, messages, renames;
    std::vector<int> codes, systemCodes;
    std::vector<void*> users;
    int abortAfter = 0;       // stop the job at this progress call (0 = never)
    int answer = 0;           // message callback answer
    std::string renameTo;
    void* renameUser = nullptr;
};
CallbackLog g_log;

int CALLBACK OnProgress(const char* text, int percent, void* user) {
    g_log.progress.push_back(std::string(text) + "|" + std::to_string(percent));
    g_log.users.push_back(user);
    return g_log.abortAfter > 0 && int(g_log.progress.size()) >= g_log.abortAfter ? 1 : 0;
}
int CALLBACK OnItem(const char* text, int percent, void* user) {
    g_log.items.push_back(text);
    g_log.users.push_back(user);
    return 0;
}
int CALLBACK OnMessage(int code, unsigned style, int reserved, int size, char* text, const char* file, void* user) {
    g_log.codes.push_back(code);
    g_log.systemCodes.push_back(reserved);
    g_log.messages.push_back(text);
    g_log.users.push_back(user);
    if (size > 10) std::strcpy(text, "rewritten");
    return g_log.answer;
}
int CALLBACK OnRename(char* name, void* user) {
    g_log.renames.push_back(name);
    g_log.renameUser = user;
    if (!g_log.renameTo.empty()) std::strcpy(name, g_log.renameTo.c_str());
    return 0;
}

// dzip with a raw 188-byte record.
int RawZip(int function, const std::string& archive, const std::string& list, bool keepFolders,
           const std::string& password = "", CRawRecord* out = nullptr) {
    CRawRecord r(188);
    r.Int(4, function);
    r.Ptr(8, archive.c_str());
    r.Ptr(12, list.c_str());
    r.Ptr(16, reinterpret_cast<void*>(&OnProgress));
    r.Ptr(20, reinterpret_cast<void*>(0x1111));
    r.Ptr(24, reinterpret_cast<void*>(&OnItem));
    r.Ptr(28, reinterpret_cast<void*>(0x2222));
    r.Int(40, 5);
    r.Int(44, 1);
    r.Int(76, keepFolders ? 0 : 1);
    r.Int(120, 1);
    r.Int(124, 1);
    r.Int(140, password.empty() ? 0 : 1);
    r.Ptr(144, password.c_str());
    r.Ptr(148, reinterpret_cast<void*>(&OnMessage));
    r.Ptr(152, reinterpret_cast<void*>(0x3333));
    r.Short(156, 0);
    r.Short(158, 64);
    int result = dzip(r.Data());
    if (out) *out = r;
    return result;
}

struct UnzipArgs {
    std::string archive, spec = "*.*", destination, password;
    int function = kUnzipFunctionExtract, index = -1;
    int overwrite = 0, quiet = 1, noFolderNames = 0, allFiles = 1, wildcards = 0;
    bool rename = false, passwordGiven = false;
};

int RawUnzip(const UnzipArgs& a, CRawRecord& r, ZipEntryInfo* info = nullptr) {
    r = CRawRecord(142);
    r.Int(4, a.function);
    r.Ptr(8, a.archive.c_str());
    r.Ptr(12, info);
    r.Ptr(16, a.spec.c_str());
    r.Int(20, a.index);
    r.Ptr(24, a.destination.empty() ? nullptr : a.destination.c_str());
    r.Int(36, a.overwrite);
    r.Int(40, a.quiet);
    r.Int(44, a.wildcards);
    r.Int(48, a.noFolderNames);
    r.Int(52, a.allFiles);
    r.Int(56, 1);
    r.Ptr(60, reinterpret_cast<void*>(&OnItem));
    r.Ptr(68, reinterpret_cast<void*>(&OnProgress));
    r.Int(92, a.passwordGiven ? 1 : 0);
    r.Ptr(96, a.password.c_str());
    r.Ptr(100, reinterpret_cast<void*>(&OnMessage));
    if (a.rename) {
        r.Ptr(118, reinterpret_cast<void*>(&OnRename));
        r.Ptr(122, reinterpret_cast<void*>(0x4444));
    }
    return dunzip(r.Data());
}

int Extract(const UnzipArgs& a) {
    CRawRecord r(142);
    return RawUnzip(a, r);
}

int Count(const std::string& archive) {
    UnzipArgs a;
    a.archive = archive;
    a.function = kUnzipFunctionCount;
    CRawRecord r(142);
    r.Int(76, 12345);
    RawUnzip(a, r);
    return r.GetInt(76);
}

std::vector<std::string> Names(const std::string& archive) {
    std::vector<std::string> names;
    int n = Count(archive);
    for (int i = 0; i < n; ++i) {
        UnzipArgs a;
        a.archive = archive;
        a.function = kUnzipFunctionNext;
        ZipEntryInfo info;
        CRawRecord r(142);
        if (RawUnzip(a, r, &info) != 0) break;
        names.push_back(info.path);
    }
    return names;
}

void MakeInput(const CTempFolder& t) {
    WriteBytes(t / "in\\a.txt", Text(4000, 1));
    WriteBytes(t / "in\\b c.txt", "second file");
    WriteBytes(t / "in\\sub\\deep.txt", Text(100000, 2));
}

}  // namespace

TEST_CASE("a wrong record size, a null record or a missing pointer gives a non-zero result") {
    CHECK(dunzip(nullptr) != 0);
    CHECK(dzip(nullptr) != 0);
    CHECK(dunzip(reinterpret_cast<void*>(0x10)) != 0);
    CRawRecord small(141);
    CHECK(dunzip(small.Data()) == kZipResultBadRecord);
    CRawRecord wrongSize(188);
    wrongSize.Int(0, 187);
    CHECK(dzip(wrongSize.Data()) == kZipResultBadRecord);

    CRawRecord u(142);
    u.Int(4, kUnzipFunctionCount);
    CHECK(dunzip(u.Data()) == kZipResultBadRecord);     // no archive
    u.Ptr(8, "C:\\nothing.zip");
    u.Int(4, kUnzipFunctionNext);
    CHECK(dunzip(u.Data()) == kZipResultBadRecord);     // no entry information block
    u.Int(4, kUnzipFunctionExtract);
    CHECK(dunzip(u.Data()) == kZipResultBadRecord);     // no destination
    u.Int(4, 99);
    CHECK(dunzip(u.Data()) == kZipResultBadRecord);

    CRawRecord z(188);
    z.Int(4, kZipFunctionAdd);
    z.Ptr(8, "C:\\nothing.zip");
    CHECK(dzip(z.Data()) == kZipResultBadRecord);       // no file list
    z.Ptr(12, "\"x\"");
    z.Int(4, 1);
    CHECK(dzip(z.Data()) == kZipResultBadRecord);       // unknown function
}

TEST_CASE("a message carries the system's error code beside the library's") {
    CTempFolder t;
    MakeInput(t);
    g_log = CallbackLog();
    // The archive's folder does not exist: the temporary file cannot be created.
    CHECK(RawZip(kZipFunctionAdd, t / "no such folder\\x.zip", "\"" + t / "in\\a.txt" + "\"", false) == kZipResultWriteError);
    REQUIRE(g_log.codes.size() == 1);
    CHECK(g_log.codes[0] == kZipMsgCannotWrite);
    CHECK(g_log.systemCodes[0] == ERROR_PATH_NOT_FOUND);
    // A problem of the archive itself has no system error behind it.
    WriteBytes(t / "junk.zip", std::string(100, 'j'));
    g_log = CallbackLog();
    CHECK(RawZip(kZipFunctionAdd, t / "junk.zip", "\"" + t / "in\\a.txt" + "\"", false) == kZipResultBadArchive);
    REQUIRE(g_log.codes.size() == 1);
    CHECK(g_log.codes[0] == kZipMsgBadArchive);
    CHECK(g_log.systemCodes[0] == 0);
}

TEST_CASE("count, next entry and entry by index fill the information block at its offsets") {
    CTempFolder t;
    MakeInput(t);
    SetLocalTime(t / "in\\a.txt", 2001, 4, 1, 13, 45);
    const std::string zip = t / "list.zip";
    g_log = CallbackLog();
    REQUIRE(RawZip(kZipFunctionAdd, zip, "\"" + t / "in\\a.txt" + "\" \"" + t / "in\\sub" + "\"", false) == 0);
    CHECK(g_log.messages.empty());
    for (void* user : g_log.users) CHECK((user == reinterpret_cast<void*>(0x1111) || user == reinterpret_cast<void*>(0x2222)));
    CHECK(g_log.progress.back() == "|100");

    CHECK(Count(zip) == 2);
    UnzipArgs a;
    a.archive = zip;
    a.function = kUnzipFunctionNext;
    unsigned char block[310];
    std::memset(block, 0xCC, sizeof block);
    CRawRecord r(142);
    REQUIRE(RawUnzip(a, r, reinterpret_cast<ZipEntryInfo*>(block)) == 0);
    unsigned size, packed, flags;
    std::memcpy(&size, block + 2, 4);
    std::memcpy(&packed, block + 6, 4);
    std::memcpy(&flags, block + 298, 4);
    CHECK(size == 4000);
    CHECK(packed < 4000);
    CHECK(std::string(reinterpret_cast<char*>(block + 20)) == "04-01-01 13:45");
    CHECK(std::string(reinterpret_cast<char*>(block + 38)) == "a.txt");
    CHECK((flags & 0x8000) == 0);
    unsigned short method;
    std::memcpy(&method, block, 2);
    CHECK(method == 8);

    REQUIRE(RawUnzip(a, r, reinterpret_cast<ZipEntryInfo*>(block)) == 0);
    CHECK(std::string(reinterpret_cast<char*>(block + 38)) == "deep.txt");
    CHECK(RawUnzip(a, r, reinterpret_cast<ZipEntryInfo*>(block)) == kZipResultNoMoreEntries);
    CHECK(std::string(reinterpret_cast<char*>(block + 38)) == "deep.txt");  // left as it was

    a.function = kUnzipFunctionByIndex;
    a.index = 0;
    REQUIRE(RawUnzip(a, r, reinterpret_cast<ZipEntryInfo*>(block)) == 0);
    CHECK(std::string(reinterpret_cast<char*>(block + 38)) == "a.txt");
    a.index = 2;
    CHECK(RawUnzip(a, r, reinterpret_cast<ZipEntryInfo*>(block)) != 0);

    // A missing or broken archive counts 0 and never shows a message box.
    CHECK(Count(t / "missing.zip") == 0);
    WriteBytes(t / "junk.zip", std::string(100, 'j'));
    CHECK(Count(t / "junk.zip") == 0);
}

TEST_CASE("add with and without folder names, freshen and delete through dzip") {
    CTempFolder t;
    MakeInput(t);
    const std::string zip = t / "f.zip";
    g_log = CallbackLog();
    REQUIRE(SetCurrentDirectoryA(t.Path().c_str()));
    REQUIRE(RawZip(kZipFunctionAdd, zip, "\"in\\a.txt\" \"in\\b c.txt\" in\\sub", true) == 0);
    CHECK(Names(zip) == std::vector<std::string>{"in/a.txt", "in/b c.txt", "in/sub/", "in/sub/deep.txt"});

    // Full paths with folder names: the drive letter goes.
    const std::string full = t / "in\\a.txt";
    REQUIRE(RawZip(kZipFunctionAdd, t / "full.zip", "\"" + full + "\"", true) == 0);
    std::string expected = full.substr(3);
    for (char& c : expected)
        if (c == '\\') c = '/';
    CHECK(Names(t / "full.zip") == std::vector<std::string>{expected});

    // Freshen replaces only what changed on disk since.
    WriteBytes(t / "in\\a.txt", "new a");
    SetLocalTime(t / "in\\a.txt", 2030, 1, 1, 0, 0);
    WriteBytes(t / "in\\new.txt", "not in the archive");
    REQUIRE(RawZip(kZipFunctionFreshen, zip, "in\\a.txt in\\new.txt", true) == 0);
    CHECK(Names(zip).size() == 4);
    UnzipArgs x;
    x.archive = zip;
    x.destination = t / "x";
    REQUIRE(Extract(x) == 0);
    CHECK(ReadBytes(t / "x\\in\\a.txt") == "new a");

    // Delete takes stored names with backslashes.
    REQUIRE(RawZip(kZipFunctionDelete, zip, "\"in\\b c.txt\" \"in\\sub\\deep.txt\"", true) == 0);
    CHECK(Names(zip) == std::vector<std::string>{"in/a.txt", "in/sub/"});
    SetCurrentDirectoryA("C:\\");
}

TEST_CASE("extract switches: folder names, overwrite, quiet, file spec, index, rename callback") {
    CTempFolder t;
    MakeInput(t);
    const std::string zip = t / "e.zip";
    REQUIRE(SetCurrentDirectoryA(t.Path().c_str()));
    REQUIRE(RawZip(kZipFunctionAdd, zip, "in", true) == 0);
    SetCurrentDirectoryA("C:\\");

    UnzipArgs a;
    a.archive = zip;
    a.destination = t / "out\\";
    a.noFolderNames = 1;
    REQUIRE(Extract(a) == 0);
    CHECK(ReadBytes(t / "out\\deep.txt") == Text(100000, 2));
    CHECK(Exists(t / "out\\b c.txt"));
    CHECK_FALSE(Exists(t / "out\\in"));

    // Existing file, quiet, no overwrite: skipped.
    WriteBytes(t / "out\\a.txt", "mine");
    REQUIRE(Extract(a) == 0);
    CHECK(ReadBytes(t / "out\\a.txt") == "mine");
    // Not quiet: the message callback answers the question in place of a box.
    g_log = CallbackLog();
    g_log.answer = IDYES;
    a.quiet = 0;
    a.spec = "\"in\\a.txt\"";
    REQUIRE(Extract(a) == 0);
    CHECK(ReadBytes(t / "out\\a.txt") == Text(4000, 1));
    REQUIRE(g_log.codes.size() == 1);
    CHECK(g_log.codes[0] == kZipMsgFileExists);
    CHECK(g_log.messages[0].find("a.txt") != std::string::npos);
    g_log.answer = IDCANCEL;
    CHECK(Extract(a) == kZipResultAborted);
    // Overwrite switch.
    WriteBytes(t / "out\\a.txt", "mine");
    a.quiet = 1;
    a.overwrite = 1;
    REQUIRE(Extract(a) == 0);
    CHECK(ReadBytes(t / "out\\a.txt") == Text(4000, 1));

    // Rename callback: the full destination path, before the file exists.
    g_log = CallbackLog();
    g_log.renameTo = t / "out\\renamed.txt";
    a.rename = true;
    a.overwrite = 0;
    a.spec = "in/b?c.txt";
    a.wildcards = 1;
    REQUIRE(Extract(a) == 0);
    REQUIRE(g_log.renames.size() == 1);
    CHECK(g_log.renames[0] == t / "out\\b c.txt");
    CHECK(g_log.renameUser == reinterpret_cast<void*>(0x4444));
    CHECK(ReadBytes(t / "out\\renamed.txt") == "second file");

    // By index with folder names.
    UnzipArgs b;
    b.archive = zip;
    b.destination = t / "idx";
    b.index = 4;
    REQUIRE(Extract(b) == 0);
    CHECK(Exists(t / "idx\\in\\sub\\deep.txt"));
    CHECK_FALSE(Exists(t / "idx\\in\\a.txt"));
    // A spec that matches nothing is a failure.
    b.index = -1;
    b.spec = "\"nothing.txt\"";
    CHECK(Extract(b) != 0);
}

TEST_CASE("the password is used only when offset 92 says so; a wrong one leaves no file") {
    CTempFolder t;
    MakeInput(t);
    const std::string zip = t / "aes.zip";
    REQUIRE(RawZip(kZipFunctionAdd, zip, "\"" + t / "in\\a.txt" + "\"", false, "s3cret") == 0);
    UnzipArgs x;
    x.archive = zip;
    x.destination = t / "x";
    x.password = "s3cret";
    x.passwordGiven = false;
    CHECK(Extract(x) == kZipResultWrongPassword);
    x.password = "wrong";
    x.passwordGiven = true;
    g_log = CallbackLog();
    CHECK(Extract(x) == kZipResultWrongPassword);
    REQUIRE_FALSE(g_log.codes.empty());
    CHECK(g_log.codes[0] == kZipMsgWrongPassword);
    CHECK_FALSE(Exists(t / "x\\a.txt"));
    x.password = "s3cret";
    REQUIRE(Extract(x) == 0);
    CHECK(ReadBytes(t / "x\\a.txt") == Text(4000, 1));
}

TEST_CASE("an abort from the progress callback leaves the archive byte for byte unchanged") {
    CTempFolder t;
    MakeInput(t);
    WriteBytes(t / "in\\big.txt", Text(3 * 1024 * 1024, 3));
    const std::string zip = t / "abort.zip";
    REQUIRE(RawZip(kZipFunctionAdd, zip, "\"" + t / "in\\a.txt" + "\"", false) == 0);
    const std::string before = ReadBytes(zip);
    for (int at : {1, 3}) {
        g_log = CallbackLog();
        g_log.abortAfter = at;
        CHECK(RawZip(kZipFunctionAdd, zip, "\"" + t / "in" + "\"", false) == kZipResultAborted);
        CHECK(ReadBytes(zip) == before);
        g_log.abortAfter = at;
        CHECK(RawZip(kZipFunctionDelete, zip, "a.txt", false) == kZipResultAborted);
        CHECK(ReadBytes(zip) == before);
    }
    // An abort during extraction leaves no partial file.
    g_log = CallbackLog();
    REQUIRE(RawZip(kZipFunctionAdd, t / "big.zip", "\"" + t / "in\\big.txt" + "\"", false) == 0);
    g_log.abortAfter = 3;
    UnzipArgs x;
    x.archive = t / "big.zip";
    x.destination = t / "x";
    CHECK(Extract(x) == kZipResultAborted);
    CHECK_FALSE(Exists(t / "x\\big.txt"));
    g_log = CallbackLog();
}

TEST_CASE("non-ASCII names are stored as UTF-8 with bit 11 and come back") {
    CTempFolder t;
    g_log = CallbackLog();
    const std::string name = "r\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.txt";
    REQUIRE(WriteBytes(t / ("in\\" + name), "unicode"));
    const std::string zip = t / "u.zip";
    REQUIRE(RawZip(kZipFunctionAdd, zip, "\"" + t / ("in\\" + name) + "\"", false) == 0);
    UnzipArgs a;
    a.archive = zip;
    a.function = kUnzipFunctionByIndex;
    a.index = 0;
    ZipEntryInfo info;
    CRawRecord r(142);
    Count(zip);
    REQUIRE(RawUnzip(a, r, &info) == 0);
    CHECK(std::string(info.path) == name);
    CHECK((info.zipFlags & 0x0800) != 0);
    UnzipArgs x;
    x.archive = zip;
    x.destination = t / "x";
    REQUIRE(Extract(x) == 0);
    CHECK(ReadBytes(t / ("x\\" + name)) == "unicode");
}

TEST_CASE("device names are extracted with a leading '_'; listed names match exactly unless offset 44 asks for patterns") {
    CTempFolder t;
    const std::string zip = t / "dev.zip";
    REQUIRE(WriteBytes(zip, StoredArchive({{"CONOUT$", "not the console"}, {"com0.txt", "not a port"}, {"a*.txt", "a star"},
                                           {"ab.txt", "ab"}})));
    UnzipArgs x;
    x.archive = zip;
    x.destination = t / "x";
    REQUIRE(Extract(x) == 0);
    CHECK(ReadBytes(t / "x\\_CONOUT$") == "not the console");
    CHECK(ReadBytes(t / "x\\_com0.txt") == "not a port");
    CHECK_FALSE(Exists(t / "x\\com0.txt"));

    // "a?.txt" is a name, not a pattern: nothing matches it.
    x.destination = t / "y";
    x.spec = "\"a?.txt\"";
    CHECK(Extract(x) == kZipResultIncomplete);
    CHECK_FALSE(Exists(t / "y\\ab.txt"));
    x.wildcards = 1;
    REQUIRE(Extract(x) == 0);
    CHECK(ReadBytes(t / "y\\ab.txt") == "ab");
    // Deleting by a name that looks like a pattern deletes nothing else.
    REQUIRE(RawZip(kZipFunctionDelete, zip, "\"a*.txt\"", false) == 0);
    CHECK(Names(zip) == std::vector<std::string>{"CONOUT$", "com0.txt", "ab.txt"});
}

// The ZIP library's fuzz inputs that declare the largest sizes and
// dictionaries their headers hold, and the LZMA entry declaring 3 GB that
// once made the library allocate as much: each is refused before its memory
// is taken, and no file (nor a temporary one) is left.
TEST_CASE("entries declaring huge sizes and dictionaries are refused within the memory budget and leave no file") {
    struct Case {
        const char* file;
        int result;
        int code;
    };
    const Case cases[] = {
        {"regression/lzma-declared-3gb.zip", kZipResultUnsupported, kZipMsgUnsupported},
        {"corpus/lzma_largest.zip", kZipResultUnsupported, kZipMsgUnsupported},
        {"corpus/bzip2_largest.zip", kZipResultBadArchive, kZipMsgDamagedEntry},
        {"corpus/deflate64_largest.zip", kZipResultBadArchive, kZipMsgDamagedEntry},
    };
    for (const Case& c : cases) {
        // The source tree, through the drive that maps the whole file system.
        std::string archive = std::string("Z:" ZIP_FUZZ_INPUTS "/") + c.file;
        for (char& ch : archive)
            if (ch == '/') ch = '\\';
        CAPTURE(archive);
        REQUIRE(Exists(archive));
        CTempFolder t;
        UnzipArgs a;
        a.archive = archive;
        a.destination = t / "out";
        g_log = CallbackLog();
        CHECK(Extract(a) == c.result);
        REQUIRE(g_log.codes.size() == 1);
        CHECK(g_log.codes[0] == c.code);
        if (c.code == kZipMsgUnsupported) CHECK(g_log.messages[0].find("LZMA needs more memory than allowed") != std::string::npos);
        CHECK(CountFiles(Wide(t / "out")) == 0);
    }
}

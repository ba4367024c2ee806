#include <doctest/doctest.h>

#include "core/Format.h"
#include "core/Names.h"

using namespace zl;

TEST_CASE("file lists: quoted names keep their blanks, unquoted ones split at blanks") {
    CHECK(ParseFileList("\"C:\\a.txt\" \"C:\\b c.txt\"") == std::vector<std::string>{"C:\\a.txt", "C:\\b c.txt"});
    CHECK(ParseFileList("a.txt  b.txt") == std::vector<std::string>{"a.txt", "b.txt"});
    CHECK(ParseFileList("\"unterminated name") == std::vector<std::string>{"unterminated name"});
    CHECK(ParseFileList("  \"\"  ").empty());
}

TEST_CASE("wildcards ignore case and separator style and may cross folders") {
    CHECK(WildcardMatch("*.*", "docs/readme"));
    CHECK(WildcardMatch("*.TXT", "docs/a.txt"));
    CHECK(WildcardMatch("docs\\a.txt", "DOCS/A.TXT"));
    CHECK(WildcardMatch("d?cs/*", "docs/x/y"));
    CHECK_FALSE(WildcardMatch("*.doc", "a.docx"));
    CHECK_FALSE(WildcardMatch("a.txt", "docs/a.txt"));
    // Many stars on a long name stay quick (no exponential backtracking).
    CHECK_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

TEST_CASE("listed names select stored names exactly unless patterns are asked for") {
    CHECK(NameSelects("a*.txt", "a*.txt", false));
    CHECK_FALSE(NameSelects("a*.txt", "ab.txt", false));
    CHECK(NameSelects("a*.txt", "ab.txt", true));
    CHECK_FALSE(NameSelects("a?.txt", "ab.txt", false));
    CHECK(NameSelects("DOCS\\A.TXT", "docs/a.txt", false));     // case and separators do not matter
    CHECK(NameSelects("docs", "docs/", false));                   // a folder by its plain name
    CHECK_FALSE(NameSelects("docs", "docs/a.txt", false));
    CHECK_FALSE(NameSelects("a.txt", "docs/a.txt", false));
}

TEST_CASE("stored names drop drive, server and share, and keep or drop folders") {
    CHECK(StoredName("C:\\Docs\\Report\\a.doc", true) == "Docs/Report/a.doc");
    CHECK(StoredName("C:\\Docs\\Report\\a.doc", false) == "a.doc");
    CHECK(StoredName("\\\\server\\share\\x\\y.txt", true) == "x/y.txt");
    CHECK(StoredName("\\\\?\\C:\\long\\name.txt", true) == "long/name.txt");
    CHECK(StoredName("/tmp/../etc/./f", true) == "tmp/etc/f");
    CHECK(StoredName("C:\\", true).empty());
}

TEST_CASE("extraction paths never leave the destination") {
    std::string out;
    CHECK_FALSE(SafeRelativePath("../evil.txt", true, '/', out));
    CHECK_FALSE(SafeRelativePath("a/../../evil.txt", true, '/', out));
    CHECK_FALSE(SafeRelativePath("a\\..\\..\\evil.txt", true, '\\', out));
    CHECK_FALSE(SafeRelativePath(".. /x", true, '/', out));
    CHECK_FALSE(SafeRelativePath("/", true, '/', out));
    REQUIRE(SafeRelativePath("/etc/passwd", true, '/', out));
    CHECK(out == "etc/passwd");
    REQUIRE(SafeRelativePath("C:\\Windows\\x.dll", true, '\\', out));
    CHECK(out == "Windows\\x.dll");
    REQUIRE(SafeRelativePath("\\\\server\\share\\x.txt", true, '\\', out));
    CHECK(out == "x.txt");
    REQUIRE(SafeRelativePath("x/a:b|c?.txt", true, '/', out));
    CHECK(out == "x/a_b_c_.txt");
    REQUIRE(SafeRelativePath("docs/CON.txt", true, '/', out));
    CHECK(out == "docs/_CON.txt");
    // Every name Windows takes for a device gets a leading '_'.
    for (const char* device : {"CONIN$", "conout$.txt", "COM0", "lpt0.log", "COM9.x", "COM\xC2\xB9", "lpt\xC2\xB3.txt",
                               "Com\xC2\xB2", "aux .txt"}) {
        CAPTURE(device);
        REQUIRE(SafeRelativePath(std::string("d/") + device, true, '/', out));
        CHECK(out == std::string("d/_") + device);
    }
    for (const char* plain : {"COM10", "CONIN", "conout$x", "LPT", "com\xC2\xB4", "console.txt"}) {
        CAPTURE(plain);
        REQUIRE(SafeRelativePath(plain, true, '/', out));
        CHECK(out == plain);
    }
    REQUIRE(SafeRelativePath("docs/sub/a.txt", false, '/', out));
    CHECK(out == "a.txt");
}

TEST_CASE("names: UTF-8 with bit 11, Info-ZIP Unicode field, code page 437 otherwise") {
    CHECK(Cp437ToUtf8("\x80\x81\xE1\xFF") == "\xC3\x87\xC3\xBC\xC3\x9F\xC2\xA0");
    const std::string utf8 = "r\xC3\xA9sum\xC3\xA9.txt";
    CHECK(DecodeName(utf8, true, "") == utf8);
    CHECK(DecodeName(utf8, false, "") == Cp437ToUtf8(utf8));     // made on MS-DOS / Windows
    CHECK(DecodeName(utf8, false, "", 3) == utf8);                // made on Unix
    CHECK(DecodeName("\x82t\x82", false, "", 3) == Cp437ToUtf8("\x82t\x82"));
    CHECK(DecodeName("\xFF\xFE", true, "") == Cp437ToUtf8("\xFF\xFE"));  // not UTF-8 after all
    CHECK(IsValidUtf8("\xE6\x97\xA5"));
    CHECK_FALSE(IsValidUtf8("\xC0\x80"));       // overlong
    CHECK_FALSE(IsValidUtf8("\xED\xA0\x80"));   // surrogate
}

TEST_CASE("date text is MM-DD-YY HH:MM") {
    // 31 Dec 1999 23:59:58
    uint32_t dos = uint32_t((1999 - 1980) << 9 | 12 << 5 | 31) << 16 | (23 << 11 | 59 << 5 | 29);
    CHECK(DosTimeText(dos) == "12-31-99 23:59");
    uint32_t dos2 = uint32_t((2003 - 1980) << 9 | 1 << 5 | 2) << 16 | (4 << 11 | 5 << 5);
    CHECK(DosTimeText(dos2) == "01-02-03 04:05");
}

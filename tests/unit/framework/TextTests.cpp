#include "doctest/doctest.h"
#include "framework/Text.h"

using namespace tb;

TEST_CASE("containment ignores the case of ASCII letters") {
    CHECK(ContainsNoCase("C:\\Data\\a.zip.bak", "c:\\data\\A.ZIP"));
    CHECK_FALSE(ContainsNoCase("C:\\Data", "C:\\Data2"));
    CHECK(EqualsNoCase("abc", "ABC"));
    CHECK_FALSE(EqualsNoCase("abc", "ABCD"));
}

TEST_CASE("split keeps or drops the text after the last separator") {
    CHECK(Split(".DOC;.TXT;", ";", false) == std::vector<std::string>{".DOC", ".TXT"});
    CHECK(Split(".DOC;.TXT;tail", ";", false) == std::vector<std::string>{".DOC", ".TXT"});
    CHECK(Split("C:\\A;;C:\\B", ";;") == std::vector<std::string>{"C:\\A", "C:\\B"});
    CHECK(ReplaceAll("a;;b;;c", ";;", "\r\n") == "a\r\nb\r\nc");
}

TEST_CASE("leading integers read like the system's profile reader") {
    CHECK(LeadingInt("42abc") == 42);
    CHECK(LeadingInt("") == 0);
    CHECK(LeadingInt("x1") == 0);
    CHECK(LeadingInt("-7") == -7);
    char buffer[5];
    CopyToBuffer(buffer, sizeof buffer, "abcdefg");
    CHECK(std::string(buffer) == "abcd");
}

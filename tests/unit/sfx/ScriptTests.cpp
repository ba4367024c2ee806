// The script text format and the block a built program carries.
#include "doctest/doctest.h"

#include "sfx/Payload.h"
#include "sfx/Script.h"

using namespace tb::sfx;

namespace {
size_t Lines(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}
}  // namespace

TEST_CASE("script texts read back exactly as they were set") {
    std::string everyByte;
    for (int c = 0; c < 256; ++c) everyByte += char(c);
    const std::vector<std::string> texts = {
        everyByte,
        "",
        "  leading and trailing blanks  ",
        "line one\nline two\r\nline three",
        "a literal \\n and \\x41 and a trailing backslash \\",
        "Please specify a path....\n\nIf you choose a floppy, ENSURE that the disk is in the drive.",
        "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC",
    };
    CScript script;
    for (size_t i = 0; i < texts.size(); ++i) script.SetText(uint32_t(70000 + i), texts[i]);
    const std::string serialized = script.Serialize();
    // One line a property: no text breaks its line.
    CHECK(Lines(serialized) == texts.size() + 1);
    CScript back;
    std::string why;
    REQUIRE(back.Parse(serialized, why));
    for (size_t i = 0; i < texts.size(); ++i) CHECK(back.Text(uint32_t(70000 + i)) == texts[i]);
    CHECK(back.Serialize() == serialized);
}

TEST_CASE("a property set again keeps its place; unknown ids and their order are kept") {
    CScript script;
    script.SetNumber(403, 1);
    script.SetText(103, "stowaway.exe;0");
    script.SetNumber(4000000000u, -7);
    script.SetNumber(70300, 32);
    script.SetText(403, "now a text");
    std::string why;
    CScript back;
    REQUIRE(back.Parse(script.Serialize(), why));
    REQUIRE(back.Properties().size() == 4);
    CHECK(back.Properties()[0].id == 403);
    CHECK(back.Text(403) == "now a text");
    CHECK_FALSE(back.Number(403).has_value());
    CHECK(back.Number(4000000000u) == -7);
    CHECK(back.Properties()[2].id == 4000000000u);
    CHECK(back.Number(70300) == 32);
    CHECK(back.NumberOr(1, 5) == 5);
}

TEST_CASE("texts that are not scripts are refused") {
    CScript script;
    std::string why;
    CHECK(script.Parse("TBSCRIPT 1\nN 5 -2147483648\nT 6 x", why));   // no final line break
    CHECK(script.Number(5) == INT32_MIN);
    CHECK(script.Parse("TBSCRIPT 1\r\n\r\nT 7 \r\n", why));
    CHECK(script.Text(7) == "");
    for (const char* bad : {"", "N 1 1\n", "TBSCRIPT 2\n", "TBSCRIPT 1\nN 1 x\n", "TBSCRIPT 1\nX 1 2\n",
                            "TBSCRIPT 1\nT 1 \\q\n", "TBSCRIPT 1\nT 1 \\x4\n", "TBSCRIPT 1\nT 1 end\\\n",
                            "TBSCRIPT 1\nN 1 2147483648\n", "TBSCRIPT 1\nN -1 2\n", "TBSCRIPT 1\nN 4294967296 2\n",
                            "TBSCRIPT 1\nN 1\n"}) {
        INFO(bad);
        CHECK_FALSE(script.Parse(bad, why));
    }
}

TEST_CASE("the block a program carries reads back, and a damaged one is refused") {
    Payload payload;
    payload.script.SetText(70601, "Caption\nwith a break");
    payload.script.SetNumber(70611, 1);
    payload.files["C:\\windows\\tb.bmp"] = std::string("BM\0\x01picture", 11);
    payload.files["second"] = "";
    const std::string block = EncodePayload(payload);
    CHECK(PayloadSize(block.substr(0, kPayloadHeaderSize)) == block.size());

    Payload back;
    std::string why;
    REQUIRE(DecodePayload(block, back, why));
    CHECK(back.script.Serialize() == payload.script.Serialize());
    CHECK(back.files == payload.files);

    CHECK(PayloadSize("TBSFXPLX" + block.substr(8, 4)) == 0);
    CHECK_FALSE(DecodePayload(block.substr(0, block.size() - 1), back, why));
    CHECK_FALSE(DecodePayload(block + "x", back, why));
    std::string lying = block;
    lying[block.size() - 4] = '\x05';   // the last file says it has five bytes it has not
    CHECK_FALSE(DecodePayload(lying, back, why));
}

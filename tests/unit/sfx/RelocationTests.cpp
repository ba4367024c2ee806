// Moving an archive behind a program: every offset follows the data.
#include "doctest/doctest.h"

#include "sfx/ZipRelocation.h"
#include "tests/unit/sfx/SfxTestUtil.h"

using namespace tb::sfx;

namespace {

std::string ArchiveBytes(bool forceZip64 = false) {
    zt::CTempFolder temp;
    st::MakeTree(temp / "tree");
    REQUIRE(st::MakeArchive(temp / "a.zip", temp / "tree", "", forceZip64));
    return zt::ReadBytes(temp / "a.zip");
}

// The program a build makes: `front` bytes, the entry data, the moved tail.
std::string Relocate(const std::string& source, uint64_t front, ZipTail& tail) {
    st::CMemoryFile file(source);
    zl::ZipDirectory dir = st::DirectoryOf(file);
    std::string why, moved;
    REQUIRE_MESSAGE(ReadZipTail(file, dir, tail, why), why);
    REQUIRE_MESSAGE(RelocatedTail(tail, front, moved, why), why);
    return std::string(size_t(front), 'P') + source.substr(size_t(tail.dataStart), size_t(tail.centralStart - tail.dataStart)) +
           moved;
}

// Each entry's local header lies where the directory says, with its own name.
void CheckEntriesFound(const std::string& program, const std::vector<std::string>& names) {
    st::CMemoryFile file(program);
    zl::ZipDirectory dir = st::DirectoryOf(file);
    CHECK(dir.baseOffset == 0);
    CHECK(st::NamesOf(dir) == names);
    for (size_t i = 0; i < dir.entries.size(); ++i) {
        zl::LocalSpan span;
        std::string why;
        CHECK_MESSAGE(zl::ReadLocalSpan(file, dir, i, span, why), why);
        const uint64_t at = dir.entries[i].localOffset;
        CHECK(program.substr(size_t(at) + 30, dir.entries[i].RawName().size()) == dir.entries[i].RawName());
    }
}

// The archive with a ZIP64 end record and locator put in front of its end
// record, as some writers leave them even for small archives.
std::string WithZip64End(const std::string& archive) {
    const size_t endAt = archive.size() - 22;
    const auto* end = reinterpret_cast<const uint8_t*>(archive.data() + endAt);
    std::string record(60, '\0');
    auto* r = reinterpret_cast<uint8_t*>(&record[0]);
    zl::Put32(r, zl::kZip64EndSig);
    zl::Put64(r + 4, 60 - 12);
    zl::Put16(r + 12, 0x031E);
    zl::Put16(r + 14, 45);
    zl::Put64(r + 24, zl::Get16(end + 10));
    zl::Put64(r + 32, zl::Get16(end + 10));
    zl::Put64(r + 40, zl::Get32(end + 12));
    zl::Put64(r + 48, zl::Get32(end + 16));
    std::memcpy(r + 56, "XTRA", 4);
    std::string locator(20, '\0');
    auto* l = reinterpret_cast<uint8_t*>(&locator[0]);
    zl::Put32(l, zl::kZip64LocatorSig);
    zl::Put64(l + 8, endAt);
    zl::Put32(l + 16, 1);
    return archive.substr(0, endAt) + record + locator + archive.substr(endAt);
}

}  // namespace

TEST_CASE("moved data is found at its new place, and an older program in front is dropped") {
    const std::string archive = ArchiveBytes();
    st::CMemoryFile original(archive);
    const std::vector<std::string> names = st::NamesOf(st::DirectoryOf(original));
    REQUIRE(names.size() >= 5);

    ZipTail tail;
    const std::string program = Relocate(archive, 4096, tail);
    CHECK(tail.dataStart == 0);
    CheckEntriesFound(program, names);

    // An archive behind 777 bytes whose offsets were never adjusted.
    const std::string oldProgram = std::string(777, 'O') + archive;
    st::CMemoryFile old(oldProgram);
    REQUIRE(st::DirectoryOf(old).baseOffset == 777);
    const std::string again = Relocate(oldProgram, 100, tail);
    CHECK(tail.dataStart == 777);
    CHECK(again.substr(100, 4) == std::string("PK\x03\x04", 4));   // the data follows the new front at once
    CheckEntriesFound(again, names);
    CHECK(again.size() == archive.size() + 100);
}

TEST_CASE("a ZIP64 end record keeps its form and points to the moved directory") {
    const std::string archive = WithZip64End(ArchiveBytes());
    st::CMemoryFile source(archive);
    const std::vector<std::string> names = st::NamesOf(st::DirectoryOf(source));
    REQUIRE(!names.empty());

    ZipTail tail;
    const std::string program = Relocate(archive, 3000, tail);
    CHECK(tail.zip64End.size() == 60);
    CheckEntriesFound(program, names);
    const size_t record = program.rfind(std::string("PK\x06\x06", 4));
    const size_t locator = program.rfind(std::string("PK\x06\x07", 4));
    REQUIRE(record != std::string::npos);
    REQUIRE(locator == record + 60);
    const auto* r = reinterpret_cast<const uint8_t*>(program.data() + record);
    const auto* l = reinterpret_cast<const uint8_t*>(program.data() + locator);
    CHECK(zl::Get16(r + 12) == 0x031E);
    CHECK(program.substr(record + 56, 4) == "XTRA");
    CHECK(zl::Get64(r + 48) + zl::Get64(r + 40) == record);   // the directory ends where the record starts
    CHECK(zl::Get64(l + 8) == record);
}

TEST_CASE("offsets past 4 GiB move into ZIP64 fields and the end records follow") {
    for (bool forceZip64 : {false, true}) {
        CAPTURE(forceZip64);
        const std::string archive = ArchiveBytes(forceZip64);
        st::CMemoryFile source(archive);
        const zl::ZipDirectory before = st::DirectoryOf(source);
        REQUIRE(before.entries.size() >= 5);
        ZipTail tail;
        std::string why, moved;
        REQUIRE(ReadZipTail(source, before, tail, why));
        // The first entry still starts below 4 GiB, the later ones above.
        const uint64_t front = 0xFFFFFFFFull - 20;
        REQUIRE_MESSAGE(RelocatedTail(tail, front, moved, why), why);
        const uint64_t centralAt = front + tail.centralStart - tail.dataStart;
        st::CSparseFile program(centralAt, moved);
        const zl::ZipDirectory after = st::DirectoryOf(program);
        INFO(after.comment);
        REQUIRE(after.entries.size() == before.entries.size());
        CHECK(after.baseOffset == 0);
        CHECK(after.centralStart == centralAt);
        int above = 0;
        for (size_t i = 0; i < after.entries.size(); ++i) {
            const uint64_t expected = before.entries[i].localOffset - tail.dataStart + front;
            CHECK(after.entries[i].localOffset == expected);
            CHECK(after.entries[i].size == before.entries[i].size);
            CHECK(after.entries[i].compressedSize == before.entries[i].compressedSize);
            CHECK(after.entries[i].name == before.entries[i].name);
            above += expected >= 0xFFFFFFFF;
            if (expected >= 0xFFFFFFFF) CHECK(after.entries[i].versionNeeded >= 45);
        }
        CHECK(above == int(after.entries.size()) - 1);
        // The end record defers to the ZIP64 one.
        const auto* end = reinterpret_cast<const uint8_t*>(moved.data() + moved.size() - 22);
        CHECK(zl::Get32(end) == zl::kEndSig);
        CHECK(zl::Get32(end + 16) == 0xFFFFFFFF);
    }
}

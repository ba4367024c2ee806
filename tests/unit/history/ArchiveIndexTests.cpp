// The index of the archives' contents: when an archive is read again, what the
// index file keeps, and how a damaged index file or archive is dealt with.

#include <windows.h>

#include <fstream>

#include "doctest/doctest.h"
#include "history/ArchiveIndex.h"
#include "framework/Handles.h"
#include "history/EngineArchiveReader.h"
#include "tests/unit/TestArchive.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/history/HistoryTestUtil.h"
#include "ziplib/dll/ZipRecords.h"

namespace tb {

namespace {

const FileTicks kMonday = 134000000000000000ull;

void PutYear(CMadeUpReader& reader) {
    reader.Put("C:\\A\\March 01 2026.zip", {{"DOCS/report.doc", 0x1111, 100, 0, 42}, {"notes.txt", 0x2222, 5}});
    reader.Put("C:\\A\\March 02 2026.zip", {{"DOCS/report.doc", 0x3333, 120}});
}

std::vector<ArchiveKey> YearKeys() {
    return {KeyOf("C:\\A\\March 01 2026.zip", 1000, kMonday), KeyOf("C:\\A\\March 02 2026.zip", 900, kMonday + 1)};
}

}  // namespace

TEST_CASE("an archive is read once, and again only when its size or its exact write time changes") {
    CMadeUpReader reader;
    PutYear(reader);
    CArchiveIndex index;
    std::vector<ArchiveKey> keys = YearKeys();

    CArchiveIndex::RefreshReport first = index.Refresh(keys, reader);
    CHECK(first.read == 2);
    CHECK(first.reused == 0);
    CHECK(reader.TakeReads().size() == 2);
    REQUIRE(index.Find("c:\\a\\march 01 2026.ZIP") != nullptr);  // the file system's way with letters
    const IndexedArchive& day1 = *index.Find("C:\\A\\March 01 2026.zip");
    REQUIRE(day1.entries.size() == 2);
    CHECK(day1.Name(day1.entries[0]) == "DOCS/report.doc");
    CHECK(day1.Name(day1.entries[1]) == "notes.txt");
    CHECK(day1.entries[0].modified == 42);

    CArchiveIndex::RefreshReport again = index.Refresh(keys, reader);
    CHECK(again.read == 0);
    CHECK(again.reused == 2);
    CHECK(reader.TakeReads().empty());

    SUBCASE("a write within the same second is a change") {
        keys[1].writeTime += 1;  // one 100-ns step
        index.Refresh(keys, reader);
        CHECK(reader.TakeReads() == std::vector<std::string>{"C:\\A\\March 02 2026.zip"});
    }
    SUBCASE("a changed size is a change") {
        reader.Put("C:\\A\\March 01 2026.zip", {{"DOCS/report.doc", 0x1111, 100}, {"late.txt", 0x4444, 9}});
        keys[0].size += 80;
        index.Refresh(keys, reader);
        CHECK(reader.TakeReads() == std::vector<std::string>{"C:\\A\\March 01 2026.zip"});
        CHECK(index.Find("C:\\A\\March 01 2026.zip")->entries.size() == 2);
        CHECK(index.Find("C:\\A\\March 01 2026.zip")->Name(index.Find("C:\\A\\March 01 2026.zip")->entries[1]) ==
              "late.txt");
    }
    SUBCASE("archives no longer named leave the index") {
        keys.pop_back();
        index.Refresh(keys, reader);
        CHECK(reader.TakeReads().empty());
        CHECK(index.Find("C:\\A\\March 02 2026.zip") == nullptr);
        CHECK(index.Size() == 1);
    }
    SUBCASE("a stopped refresh keeps what it has and reads the rest next time") {
        keys.push_back(KeyOf("C:\\A\\March 03 2026.zip", 10, kMonday));
        reader.Put("C:\\A\\March 03 2026.zip", {{"x.txt", 1, 1}});
        keys[0].size += 1;
        CArchiveIndex::RefreshReport stopped = index.Refresh(keys, reader, [](size_t, size_t, const std::string&) {
            return false;
        });
        CHECK(stopped.stopped);
        CHECK(reader.TakeReads().empty());
        CHECK(index.Find("C:\\A\\March 02 2026.zip") != nullptr);
        index.Refresh(keys, reader);
        CHECK(reader.TakeReads().size() == 2);
    }
}

TEST_CASE("damaged archives are kept as such and named each time; archives that cannot be opened are tried again") {
    CMadeUpReader reader;
    PutYear(reader);
    reader.Fail("C:\\A\\March 03 2026.zip", IArchiveReader::Result::Damaged, "is damaged or not a ZIP archive");
    reader.Fail("C:\\A\\March 04 2026.zip", IArchiveReader::Result::Unavailable, "could not be opened");
    std::vector<ArchiveKey> keys = YearKeys();
    keys.push_back(KeyOf("C:\\A\\March 03 2026.zip", 77, kMonday));
    keys.push_back(KeyOf("C:\\A\\March 04 2026.zip", 88, kMonday));
    CArchiveIndex index;

    for (int round = 0; round < 2; ++round) {
        CAPTURE(round);
        CArchiveIndex::RefreshReport report = index.Refresh(keys, reader);
        REQUIRE(report.skipped.size() == 2);
        CHECK(report.skipped[0].path == "C:\\A\\March 03 2026.zip");
        CHECK(report.skipped[0].reason == "is damaged or not a ZIP archive");
        CHECK(report.skipped[1].reason == "could not be opened");
        const std::vector<std::string> reads = reader.TakeReads();
        if (round == 0) CHECK(reads.size() == 4);
        else CHECK(reads == std::vector<std::string>{"C:\\A\\March 04 2026.zip"});
        REQUIRE(index.Find("C:\\A\\March 03 2026.zip") != nullptr);
        CHECK(index.Find("C:\\A\\March 03 2026.zip")->state == IndexedArchive::State::Damaged);
        CHECK(index.Find("C:\\A\\March 04 2026.zip") == nullptr);
    }
    // Mended (a new size): read again and used.
    reader.Put("C:\\A\\March 03 2026.zip", {{"fixed.txt", 5, 5}});
    keys[2].size = 78;
    CHECK(index.Refresh(keys, reader).skipped.size() == 1);
    CHECK(index.Find("C:\\A\\March 03 2026.zip")->state == IndexedArchive::State::Read);
}

TEST_CASE("the index file keeps what was read; a missing, cut, altered or foreign file is built again") {
    TestFolder folder("index-file");
    const std::string file = folder.Path("VaultlyHistory.idx");
    CMadeUpReader reader;
    PutYear(reader);
    reader.Fail("C:\\A\\broken.zip", IArchiveReader::Result::Damaged, "is damaged or not a ZIP archive");
    std::vector<ArchiveKey> keys = YearKeys();
    keys.push_back(KeyOf("C:\\A\\broken.zip", 5, kMonday));
    {
        CArchiveIndex index;
        CHECK_FALSE(index.Load(file));  // none yet
        index.Refresh(keys, reader);
        CHECK(index.Changed());
        REQUIRE(index.Save(file));
        CHECK_FALSE(index.Changed());
    }
    CHECK(TestFolder::Listing(folder.Root()) == std::vector<std::string>{"VaultlyHistory.idx"});
    reader.TakeReads();

    CArchiveIndex loaded;
    REQUIRE(loaded.Load(file));
    CHECK(loaded.Size() == 3);
    const CArchiveIndex::RefreshReport warm = loaded.Refresh(keys, reader);
    CHECK(reader.TakeReads().empty());
    CHECK(warm.reused == 3);
    REQUIRE(warm.skipped.size() == 1);
    CHECK(warm.skipped[0].reason == "is damaged or not a ZIP archive");
    const IndexedArchive* day1 = loaded.Find("C:\\A\\March 01 2026.zip");
    REQUIRE(day1 != nullptr);
    CHECK(day1->key.size == 1000);
    CHECK(day1->key.writeTime == kMonday);
    REQUIRE(day1->entries.size() == 2);
    CHECK(day1->Name(day1->entries[0]) == "DOCS/report.doc");
    CHECK(day1->entries[0].crc == 0x1111);
    CHECK(day1->entries[0].size == 100);
    CHECK(day1->entries[0].modified == 42);
    CHECK(day1->Name(day1->entries[1]) == "notes.txt");

    const std::string good = TestFolder::Read(file);
    auto rebuiltAfter = [&](const std::string& bytes) {
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << bytes;
        }
        CArchiveIndex index;
        CHECK_FALSE(index.Load(file));
        CHECK(index.Size() == 0);
        index.Refresh(keys, reader);
        CHECK(reader.TakeReads().size() == 3);
        CHECK(index.Find("C:\\A\\March 02 2026.zip")->entries.size() == 1);
    };
    SUBCASE("cut") { rebuiltAfter(good.substr(0, good.size() - 1)); }
    SUBCASE("cut in the middle") { rebuiltAfter(good.substr(0, good.size() / 2)); }
    SUBCASE("one byte altered") {
        std::string bad = good;
        bad[bad.size() / 2] ^= 0x20;
        rebuiltAfter(bad);
    }
    SUBCASE("foreign") { rebuiltAfter("[Settings]\r\nGeneral=3\r\n"); }
    SUBCASE("empty") { rebuiltAfter(""); }
}

namespace {

// An index file as the program writes it, around a body made by the test.
std::string IndexFileAround(const std::string& body) {
    std::string bytes = std::string("TBHISTIX", 8) + body;
    const uint64_t sum = IndexFileChecksum(bytes.data(), bytes.size());
    bytes.append(reinterpret_cast<const char*>(&sum), sizeof sum);
    return bytes + std::string("XITSIHBT", 8);
}

template <typename T>
std::string Bytes(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

TEST_CASE("an index file larger than its archives can justify, or with counts its bytes cannot hold, is not read") {
    TestFolder folder("index-limits");
    const std::string file = folder.Path("VaultlyHistory.idx");
    CMadeUpReader reader;
    PutYear(reader);
    const std::vector<ArchiveKey> keys = YearKeys();
    {
        CArchiveIndex index;
        index.Refresh(keys, reader);
        REQUIRE(index.Save(file));
    }
    const unsigned long long size = TestFolder::Read(file).size();
    CArchiveIndex index;
    CHECK(index.Load(file, CArchiveIndex::JustifiedFileSize(keys)));
    CHECK(index.Size() == 2);
    CHECK_FALSE(index.Load(file, size - 1));
    CHECK(index.Size() == 0);

    // Twice the archives' bytes and a little for each: never above the cap.
    CHECK(CArchiveIndex::JustifiedFileSize({}) < CArchiveIndex::JustifiedFileSize(keys));
    CHECK(CArchiveIndex::JustifiedFileSize(keys) < 64 * 1024 + 2 * (1000 + 900) + 2 * 2048);
    CHECK(CArchiveIndex::JustifiedFileSize({KeyOf("C:\\A\\big.zip", 1ull << 40, kMonday)}) ==
          CArchiveIndex::kMaxFileSize);

    SUBCASE("a file beyond the cap is told by its size, without reading it") {
        // Sparse: it costs no disk, and reading it would need 300 MB of memory.
        UniqueFile big(::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(big);
        LARGE_INTEGER end{};
        end.QuadPart = 300ll << 20;
        REQUIRE(::SetFilePointerEx(big.Get(), end, nullptr, FILE_BEGIN));
        REQUIRE(::SetEndOfFile(big.Get()));
        big = UniqueFile();
        CHECK_FALSE(index.Load(file, ~0ull));
        CHECK(index.Size() == 0);
    }
    SUBCASE("counts larger than the bytes that remain") {
        const std::string archive = Bytes(uint32_t(1)) + "a" + Bytes(uint64_t(1)) + Bytes(uint64_t(1)) +
                                    Bytes(uint8_t(0)) + Bytes(uint32_t(0)) + Bytes(uint32_t(0));
        const std::string version = Bytes(uint32_t(1));
        for (const std::string& body : {
                 // 64 million archives announced, none there
                 version + Bytes(uint32_t(0x3FFFFFF)),
                 // one archive announcing a million entries, none there
                 version + Bytes(uint32_t(1)) + archive + Bytes(uint32_t(1000000)),
                 // a name text longer than the file
                 version + Bytes(uint32_t(1)) + Bytes(uint32_t(0x7FFFFFF0)) + std::string(40, 'a'),
             }) {
            {
                std::ofstream out(file, std::ios::binary | std::ios::trunc);
                out << IndexFileAround(body);
            }
            CHECK_NOTHROW(CHECK_FALSE(index.Load(file)));
            CHECK(index.Size() == 0);
        }
        // The same archive with the entry count it holds reads well: the
        // forged files differ only in their counts.
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << IndexFileAround(version + Bytes(uint32_t(1)) + archive + Bytes(uint32_t(0)));
        }
        CHECK(index.Load(file));
        CHECK(index.Size() == 1);
    }
}

TEST_CASE("the engine reads names, CRCs, sizes, times and encryption; damaged and foreign files are told apart") {
    TestFolder folder("engine-reader");
    const std::string plain =
        MakeTestArchive(folder, "plain.zip", {{"DOCS\\hello.txt", "hello"}, {"empty.txt", ""}});
    const std::string secret = MakeTestArchive(folder, "secret.zip", {{"s.txt", "secret text"}}, "pw");
    CEngineArchiveReader reader;

    IndexedArchive read;
    REQUIRE(reader.Read(plain, read) == IArchiveReader::Result::Read);
    REQUIRE(read.entries.size() == 2);
    const IndexedEntry* hello = nullptr;
    for (const IndexedEntry& entry : read.entries)
        if (read.Name(entry) == "DOCS/hello.txt") hello = &entry;
    REQUIRE(hello != nullptr);
    CHECK(hello->crc == 0x3610A686u);  // CRC-32 of "hello"
    CHECK(hello->size == 5);
    CHECK((hello->flags & kZipInfoEncrypted) == 0);
    // The file's own time, to the minute the library gives.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    REQUIRE(::GetFileAttributesExA(folder.Path("plain.zip.in\\DOCS\\hello.txt").c_str(), GetFileExInfoStandard, &data));
    const long long difference = (long long)(TicksOf(data.ftLastWriteTime)) - hello->modified;
    CHECK(difference >= 0);
    CHECK(difference < 2 * 60 * 10000000LL);

    IndexedArchive encrypted;
    REQUIRE(reader.Read(secret, encrypted) == IArchiveReader::Result::Read);
    REQUIRE(encrypted.entries.size() == 1);
    CHECK((encrypted.entries[0].flags & kZipInfoEncrypted) != 0);
    CHECK(encrypted.entries[0].size == 11);

    const std::string whole = TestFolder::Read(plain);
    const std::string cut = folder.File("cut.zip", whole.substr(0, whole.size() - 30));
    const std::string foreign = folder.File("foreign.zip", "This is a letter, not an archive.\r\n");
    for (const std::string& bad : {cut, foreign}) {
        CAPTURE(bad);
        IndexedArchive damaged;
        CHECK(reader.Read(bad, damaged) == IArchiveReader::Result::Damaged);
        CHECK(damaged.problem == "is damaged or not a ZIP archive");
    }
    // An empty file is the program's way of starting an archive: no entries.
    IndexedArchive empty;
    CHECK(reader.Read(folder.File("empty.zip", ""), empty) == IArchiveReader::Result::Read);
    CHECK(empty.entries.empty());
    IndexedArchive missing;
    CHECK(reader.Read(folder.Path("missing.zip"), missing) == IArchiveReader::Result::Unavailable);
}

}  // namespace tb

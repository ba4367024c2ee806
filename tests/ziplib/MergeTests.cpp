// Building an archive from entries of others, copied raw.
#include <doctest/doctest.h>

#include <map>

#include "TestUtil.h"
#include "core/ExtractJob.h"
#include "core/MergeJob.h"
#include "core/ReadWindow.h"
#include "core/UpdateJob.h"

using namespace zl;
using namespace zt;

namespace {

// An archive of the files `names` (relative to `folder`), written by the core.
void MakeArchive(const std::string& archive, const std::string& folder, const std::vector<std::string>& names,
                 const std::string& password = "") {
    UpdateOptions o;
    o.archive = archive;
    for (const std::string& name : names) o.names.push_back(folder + "/" + name);
    o.keepFolders = false;
    o.encrypt = !password.empty();
    o.password = password;
    CSilentEvents ev;
    CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev);
    REQUIRE(job.Run(o) == kZipOk);
}

int s_extracts = 0;

// Name -> contents, extracted by the core (with `password` for protected entries).
std::map<std::string, std::string> Contents(const CScratch& s, const std::string& archive, const std::string& password = "") {
    const std::string dest = s / ("out-" + std::to_string(++s_extracts));
    REQUIRE(ExtractAll(archive, dest, password) == kZipOk);
    std::map<std::string, std::string> contents;
    for (const std::string& f : TreeFiles(dest)) contents[f] = ReadFile(dest + "/" + f);
    return contents;
}

// Picks by name: from each source, the entries whose names are listed for it.
std::function<std::vector<MergePick>(const std::vector<ZipDirectory>&)> PickNames(
    std::vector<std::vector<std::string>> perSource) {
    return [perSource](const std::vector<ZipDirectory>& dirs) {
        std::vector<MergePick> picks;
        for (size_t s = 0; s < dirs.size(); ++s)
            for (size_t e = 0; e < dirs[s].entries.size(); ++e)
                for (const std::string& name : perSource[s])
                    if (dirs[s].entries[e].name == name) picks.push_back({s, e});
        return picks;
    };
}

// Three small archives: day1 {a, b}, day2 {a (new), c}, day3 {b (new), d (protected)}.
struct ThreeDays {
    CScratch s;
    std::string day1 = s / "day1.zip", day2 = s / "day2.zip", day3 = s / "day3.zip";
    ThreeDays() {
        WriteFile(s / "1/a.txt", TextBytes(40000, 1));
        WriteFile(s / "1/b.bin", RandomBytes(3000, 2));
        MakeArchive(day1, s / "1", {"a.txt", "b.bin"});
        WriteFile(s / "2/a.txt", TextBytes(41000, 3));
        WriteFile(s / "2/c.txt", "");
        MakeArchive(day2, s / "2", {"a.txt", "c.txt"});
        WriteFile(s / "3/b.bin", RandomBytes(5000, 4));
        MakeArchive(day3, s / "3", {"b.bin"});
        WriteFile(s / "3/d.txt", TextBytes(9000, 5));
        MakeArchive(day3, s / "3", {"d.txt"}, "secret");
    }
};

}  // namespace

TEST_CASE("chosen entries of several archives are copied raw into a new one, encrypted ones included") {
    ThreeDays t;
    const std::string month = t.s / "month.zip";
    MergeOptions o;
    o.target = month;
    o.sources = {t.day1, t.day2, t.day3};
    o.choose = PickNames({{}, {"a.txt", "c.txt"}, {"b.bin", "d.txt"}});
    CRecordingEvents ev;
    CMergeJob job(PlatformFileSystem(), ev);
    REQUIRE(job.Run(o) == kZipOk);
    CHECK(ev.messages.empty());
    CHECK(ev.lastPercent == 100);

    ZipDirectory dir, day2, day3;
    REQUIRE(ReadArchive(month, dir));
    REQUIRE(ReadArchive(t.day2, day2));
    REQUIRE(ReadArchive(t.day3, day3));
    REQUIRE(dir.entries.size() == 4);
    CHECK(job.Written().entries.size() == 4);
    // Raw: the stored data and the entry's fields are the source's.
    CHECK(dir.entries[0].name == "a.txt");
    CHECK(dir.entries[0].compressedSize == day2.entries[0].compressedSize);
    CHECK(dir.entries[0].crc == day2.entries[0].crc);
    CHECK(dir.entries[3].name == "d.txt");
    CHECK(dir.entries[3].IsEncrypted());
    CHECK(dir.entries[3].aesStrength == day3.entries[1].aesStrength);

    // The newest copies, byte for byte; the protected entry opens with its password.
    std::map<std::string, std::string> plain = Contents(t.s, month, "secret");
    CHECK(plain["a.txt"] == ReadFile(t.s / "2/a.txt"));
    CHECK(plain["b.bin"] == ReadFile(t.s / "3/b.bin"));
    CHECK(plain["c.txt"].empty());
    CHECK(plain["d.txt"] == ReadFile(t.s / "3/d.txt"));
    CHECK(plain.size() == 4);
    // Info-ZIP's unzip 6.0 has no AES; 7-Zip tests every entry.
    if (Run("command -v 7z") == 0) CHECK(Run("7z t -psecret '" + month + "'") == 0);
}

TEST_CASE("the data test passes sound entries, encrypted ones compared byte for byte") {
    ThreeDays t;
    MergeOptions o;
    o.target = t.s / "month.zip";
    o.sources = {t.day1, t.day2, t.day3};
    o.choose = PickNames({{"b.bin"}, {"a.txt", "c.txt"}, {"d.txt"}});
    o.testData = true;
    CRecordingEvents ev;
    CMergeJob job(PlatformFileSystem(), ev);
    REQUIRE(job.Run(o) == kZipOk);
    CHECK(Contents(t.s, o.target, "secret").size() == 4);
}

TEST_CASE("the target may be one of the sources: its own entries are kept or replaced") {
    ThreeDays t;
    const std::string month = t.s / "month.zip";
    MakeArchive(month, t.s / "1", {"a.txt", "b.bin"});
    MergeOptions o;
    o.target = month;
    o.sources = {month, t.day2};
    // b.bin stays the month's own; a.txt comes from day 2, c.txt joins.
    o.choose = PickNames({{"b.bin"}, {"a.txt", "c.txt"}});
    CRecordingEvents ev;
    CMergeJob job(PlatformFileSystem(), ev);
    REQUIRE(job.Run(o) == kZipOk);
    std::map<std::string, std::string> contents = Contents(t.s, month);
    CHECK(contents.size() == 3);
    CHECK(contents["a.txt"] == ReadFile(t.s / "2/a.txt"));
    CHECK(contents["b.bin"] == ReadFile(t.s / "1/b.bin"));
    CHECK(Capture("ls '" + t.s.Path() + "' | grep -c '~' || true") == "0\n");
}

TEST_CASE("a failed merge leaves the target and the sources as they were, with nothing beside them") {
    ThreeDays t;
    const std::string month = t.s / "month.zip";
    MakeArchive(month, t.s / "1", {"a.txt"});
    const std::string before = ReadFile(month), day2 = ReadFile(t.day2), day3 = ReadFile(t.day3);
    auto options = [&] {
        MergeOptions o;
        o.target = month;
        o.sources = {month, t.day2, t.day3};
        o.choose = PickNames({{}, {"a.txt", "c.txt"}, {"b.bin", "d.txt"}});
        o.bufferSize = 4096;  // several writes, so faults can fall in the middle
        return o;
    };
    // The size of the new archive, from a run that succeeds.
    uint64_t size = 0;
    {
        MergeOptions o = options();
        o.target = t.s / "sized.zip";
        o.sources[0] = month;
        CRecordingEvents ev;
        CMergeJob job(PlatformFileSystem(), ev);
        REQUIRE(job.Run(o) == kZipOk);
        size = ReadFile(o.target).size();
        REQUIRE(::remove(o.target.c_str()) == 0);
    }
    auto unchanged = [&] {
        CHECK(ReadFile(month) == before);
        CHECK(ReadFile(t.day2) == day2);
        CHECK(ReadFile(t.day3) == day3);
        CHECK(Capture("ls '" + t.s.Path() + "' | grep -c '~' || true") == "0\n");
    };

    SUBCASE("the disk fills up") {
        for (uint64_t limit : {uint64_t(0), size / 3, size - 1}) {
            CAPTURE(limit);
            CFaultyDisk disk;
            disk.writeLimit = limit;
            CRecordingEvents ev;
            CMergeJob job(disk, ev);
            CHECK(job.Run(options()) == kZipWriteError);
            CHECK(job.FirstProblem().systemCode == 28);
            unchanged();
        }
    }
    SUBCASE("a byte changes on its way to the disk: the read-back check refuses the new archive") {
        // In a local header, in data, in the central directory, in the end record.
        for (uint64_t at : {uint64_t(20), size / 2, size - 60, size - 10}) {
            CAPTURE(at);
            CFaultyDisk disk;
            disk.corruptAt = at;
            CRecordingEvents ev;
            CMergeJob job(disk, ev);
            CHECK(job.Run(options()) == kZipWriteError);
            CHECK(ev.HasMessage(kMsgCannotWrite));
            unchanged();
        }
    }
    SUBCASE("the target cannot be replaced") {
        CFaultyDisk disk;
        disk.refuseReplace = true;
        CRecordingEvents ev;
        CMergeJob job(disk, ev);
        CHECK(job.Run(options()) == kZipWriteError);
        unchanged();
    }
    SUBCASE("the caller stops it half-way") {
        CRecordingEvents ev;
        ev.abortAtProgress = 3;
        CMergeJob job(PlatformFileSystem(), ev);
        CHECK(job.Run(options()) == kZipAborted);
        unchanged();
    }
    SUBCASE("a chosen entry is damaged in its source: nothing is written") {
        std::string bad = day3;
        bad[0] = 'X';  // b.bin's local header is the first record
        WriteFile(t.day3, bad);
        CRecordingEvents ev;
        CMergeJob job(PlatformFileSystem(), ev);
        CHECK(job.Run(options()) == kZipBadArchive);
        CHECK(ReadFile(month) == before);
        CHECK(Capture("ls '" + t.s.Path() + "' | grep -c '~' || true") == "0\n");
    }
    SUBCASE("a chosen entry's data fails its CRC: with the data test nothing is written and its source is named") {
        std::string bad = day2;
        const size_t data = 30 + (uint8_t(bad[26]) | uint8_t(bad[27]) << 8) + (uint8_t(bad[28]) | uint8_t(bad[29]) << 8);
        bad[data + 100] ^= 0x55;  // inside a.txt's deflated data, the first record
        WriteFile(t.day2, bad);
        MergeOptions o = options();
        o.testData = true;
        CRecordingEvents ev;
        CMergeJob job(PlatformFileSystem(), ev);
        CHECK(job.Run(o) == kZipBadArchive);
        CHECK(job.FirstProblem().file == t.day2);
        CHECK(ReadFile(month) == before);
        CHECK(Capture("ls '" + t.s.Path() + "' | grep -c '~' || true") == "0\n");
        // Without it the records are copied as they are: the damage comes along.
        CMergeJob raw(PlatformFileSystem(), ev);
        CHECK(raw.Run(options()) == kZipOk);
    }
    SUBCASE("a source is not an archive") {
        WriteFile(t.day2, "not a zip");
        CRecordingEvents ev;
        CMergeJob job(PlatformFileSystem(), ev);
        CHECK(job.Run(options()) == kZipBadArchive);
        CHECK(ReadFile(month) == before);
    }
}

TEST_CASE("records with data descriptors and ZIP64 fields are copied whole") {
    CScratch s;
    // Python's zipfile writes descriptors when it cannot seek back.
    const std::string streamed = s / "streamed.zip";
    REQUIRE(Run("python3 -c \"import zipfile,sys\n"
                "z=zipfile.ZipFile(sys.stdout.buffer,'w',zipfile.ZIP_DEFLATED)\n"
                "z.writestr('s1.txt',b'streamed one '*500)\nz.writestr('s2.txt',b'two')\nz.close()\" | cat > '" +
                streamed + "'") == 0);
    ZipDirectory source;
    REQUIRE(ReadArchive(streamed, source));
    REQUIRE(source.entries.size() == 2);
    REQUIRE((source.entries[0].flags & kFlagDescriptor) != 0);
    WriteFile(s / "in/z.txt", TextBytes(7000, 9));
    const std::string zip64 = s / "zip64.zip";
    {
        UpdateOptions o;
        o.archive = zip64;
        o.names = {s / "in/z.txt"};
        o.keepFolders = false;
        CSilentEvents ev;
        CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), ev, AllZip64());
        REQUIRE(job.Run(o) == kZipOk);
    }
    const std::string out = s / "out.zip";
    MergeOptions o;
    o.target = out;
    o.sources = {streamed, zip64};
    o.choose = PickNames({{"s1.txt", "s2.txt"}, {"z.txt"}});
    CRecordingEvents ev;
    CMergeJob job(PlatformFileSystem(), ev);
    REQUIRE(job.Run(o) == kZipOk);
    std::map<std::string, std::string> contents = Contents(s, out);
    CHECK(contents["s1.txt"].size() == 13 * 500);
    CHECK(contents["s2.txt"] == "two");
    CHECK(contents["z.txt"] == ReadFile(s / "in/z.txt"));
    if (Run("command -v unzip") == 0) CHECK(Run("unzip -tq '" + out + "'") == 0);
}

TEST_CASE("nothing chosen writes nothing") {
    ThreeDays t;
    MergeOptions o;
    o.target = t.s / "month.zip";
    o.sources = {t.day1};
    o.choose = PickNames({{}});
    CRecordingEvents ev;
    CMergeJob job(PlatformFileSystem(), ev);
    CHECK(job.Run(o) == kZipNothingToDo);
    CHECK_FALSE(Exists(o.target));
}

namespace {

// A file in memory that counts the reads made of it.
class CCountingFile : public CMemoryFile {
public:
    using CMemoryFile::CMemoryFile;
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        ++reads;
        return CMemoryFile::ReadAt(offset, buffer, count);
    }
    int reads = 0;
};

}  // namespace

TEST_CASE("a read window gives the file's own bytes wherever a read falls, and reads forward in whole windows") {
    const std::string bytes = RandomBytes(1000, 7);
    CCountingFile file(bytes);
    CWindowedFile window(file, 64);
    CHECK(window.Size() == 1000);

    // Reads inside the window, across its end, behind it, as large as it,
    // ending at the file's end and past it: each the file's bytes, short only
    // at the end.
    const struct {
        uint64_t offset;
        size_t count;
    } reads[] = {{0, 10}, {10, 54}, {60, 10}, {5, 3}, {500, 64}, {500, 200}, {990, 30}, {1000, 4}, {2000, 4}, {63, 1}};
    for (const auto& r : reads) {
        CAPTURE(r.offset);
        CAPTURE(r.count);
        std::string got(r.count, '\0');
        const int64_t n = window.ReadAt(r.offset, &got[0], r.count);
        const size_t expected = r.offset >= bytes.size() ? 0 : std::min<size_t>(r.count, bytes.size() - size_t(r.offset));
        REQUIRE(n == int64_t(expected));
        CHECK(got.substr(0, expected) == bytes.substr(size_t(std::min<uint64_t>(r.offset, bytes.size())), expected));
    }

    // Small reads walking the file forward: one read of the file per window.
    file.reads = 0;
    CWindowedFile forward(file, 100);
    std::string walked;
    for (uint64_t at = 0; at < bytes.size(); at += 7) {
        char part[7];
        const int64_t n = forward.ReadAt(at, part, sizeof part);
        REQUIRE(n > 0);
        walked.append(part, size_t(n));
    }
    CHECK(walked == bytes);
    CHECK(file.reads <= 11);
}

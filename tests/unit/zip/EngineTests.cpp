// CZipEngine: records, option bits, listing protocol, jobs, callbacks and
// rename by numbering, against the real DLLs.
#include "doctest/doctest.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "zip/ZipEngine.h"
#include "ZipTestUtil.h"

using namespace tb;
using namespace zt;

namespace {

// A hidden window that records the engine's progress messages; it can read the
// engine's records while a job runs and ask the engine to stop.
struct ProgressLog {
    std::vector<std::pair<UINT, std::string>> messages;
    std::vector<int> percents;
    CZipEngine* engine = nullptr;
    std::string specDuringCall, destinationDuringCall;
    bool abortOnFirst = false;
};
ProgressLog g_progress;

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TB_ZIP_PROGRESS || msg == WM_TB_ZIP_ITEM) {
        g_progress.messages.emplace_back(msg, reinterpret_cast<const char*>(lParam));
        if (msg == WM_TB_ZIP_PROGRESS) g_progress.percents.push_back(int(wParam));
        if (g_progress.engine && g_progress.specDuringCall.empty()) {
            const UnzipCommand& u = g_progress.engine->UnzipRecord();
            if (u.function == kUnzipFunctionExtract) {
                g_progress.specDuringCall = u.fileSpec;
                g_progress.destinationDuringCall = u.destination;
            }
        }
        if (g_progress.abortOnFirst && g_progress.engine) g_progress.engine->AbortZipOperation();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND ProgressWindow() {
    static HWND window = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ProgressProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TallyboxZipTestProgress";
        RegisterClassA(&wc);
        return CreateWindowA("TallyboxZipTestProgress", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }();
    return window;
}

// Builds a small archive through the engine: a.txt, "b c.txt", sub/deep.txt.
std::string MakeArchive(const CTempFolder& t, int extraBits = 0) {
    WriteBytes(t / "in\\a.txt", Text(3000, 1));
    WriteBytes(t / "in\\b c.txt", "bee see");
    WriteBytes(t / "in\\sub\\deep.txt", Text(50000, 2));
    CZipEngine engine;
    const std::string zip = t / "engine.zip";
    std::string list = "\"" + t / "in\\a.txt" + "\" \"" + t / "in\\b c.txt" + "\" \"" + t / "in\\sub\\deep.txt" + "\"";
    REQUIRE(engine.ZipFiles(zip, list, kZipOpAdd | kZipOptQuiet | extraBits) == 1);
    return zip;
}

int GetRecordInt(const void* record, size_t offset) {
    int v;
    std::memcpy(&v, static_cast<const char*>(record) + offset, 4);
    return v;
}

}  // namespace

TEST_CASE("records start with the documented defaults and callbacks in their slots") {
    CZipEngine engine;
    const void* u = &engine.UnzipRecord();
    CHECK(GetRecordInt(u, 0) == 142);
    CHECK(GetRecordInt(u, 4) == 0);
    CHECK(GetRecordInt(u, 8) == 0);
    CHECK(GetRecordInt(u, 12) == int(reinterpret_cast<intptr_t>(&engine.EntryInfo())));
    CHECK(std::string(engine.UnzipRecord().fileSpec) == "*.*");
    CHECK(GetRecordInt(u, 20) == -1);
    CHECK(GetRecordInt(u, 24) == 0);
    CHECK(GetRecordInt(u, 48) == 1);
    CHECK(GetRecordInt(u, 52) == 1);
    CHECK(GetRecordInt(u, 56) == 1);
    CHECK(GetRecordInt(u, 60) != 0);
    CHECK(GetRecordInt(u, 68) != 0);
    CHECK(GetRecordInt(u, 96) == 0);
    CHECK(GetRecordInt(u, 100) != 0);
    CHECK(GetRecordInt(u, 118) != 0);
    const void* z = &engine.ZipRecord();
    CHECK(GetRecordInt(z, 0) == 188);
    CHECK(GetRecordInt(z, 16) != 0);
    CHECK(GetRecordInt(z, 24) != 0);
    CHECK(GetRecordInt(z, 40) == 5);
    CHECK(GetRecordInt(z, 120) == 1);
    CHECK(GetRecordInt(z, 124) == 1);
    CHECK(GetRecordInt(z, 148) != 0);
    CHECK(GetRecordInt(z, 168) != 0);
    short s156, s158;
    std::memcpy(&s156, static_cast<const char*>(z) + 156, 2);
    std::memcpy(&s158, static_cast<const char*>(z) + 158, 2);
    CHECK(s156 == 0);
    CHECK(s158 == 64);
}

TEST_CASE("option bits write one switch each") {
    CZipEngine engine;
    struct Case { int bit; size_t offset; };
    for (Case c : {Case{0x01, 48}, Case{0x02, 36}, Case{0x04, 40}, Case{0x10, 52}}) {
        CAPTURE(c.bit);
        CHECK(engine.ApplyUnzipOptions(c.bit) == c.bit);
        for (size_t off : {36u, 40u, 48u, 52u}) CHECK(GetRecordInt(&engine.UnzipRecord(), off) == (off == c.offset ? 1 : 0));
        CHECK_FALSE(engine.RenamesByNumbering());
    }
    engine.ApplyUnzipOptions(0x08);
    CHECK(engine.RenamesByNumbering());
    engine.ApplyUnzipOptions(0);
    CHECK_FALSE(engine.RenamesByNumbering());

    CHECK(engine.ApplyZipOptions(0) == 0);
    CHECK(GetRecordInt(&engine.ZipRecord(), 76) == 1);   // folder names dropped unless 0x200
    engine.ApplyZipOptions(0x200 | 0x400 | 0x800);
    CHECK(GetRecordInt(&engine.ZipRecord(), 76) == 0);
    CHECK(GetRecordInt(&engine.ZipRecord(), 140) == 1);
    CHECK(GetRecordInt(&engine.ZipRecord(), 44) == 1);
}

TEST_CASE("listing: count first, steps after it, the same archive does not recount, an empty one forgets it") {
    CTempFolder t;
    const std::string zip = MakeArchive(t);
    CZipEngine engine;
    CHECK(engine.ListArchive(zip, "", -1) == 3);
    CHECK(engine.LastCount() == 3);
    CHECK(engine.ListArchive(zip, "", -1) == 1);        // a second call with -1 makes no step
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        CHECK(engine.ListArchive(zip, "", -2) == 1);
        names.push_back(engine.EntryInfo().path);
    }
    CHECK(names == std::vector<std::string>{"a.txt", "b c.txt", "deep.txt"});
    CHECK(engine.EntryInfo().size == 50000);
    CHECK(engine.ListArchive(zip, "", 1) == 1);
    CHECK(std::string(engine.EntryInfo().path) == "b c.txt");
    CHECK(engine.ListArchive(zip, "", 3) == 1);        // index == count: the library refuses, block unchanged
    CHECK(std::string(engine.EntryInfo().path) == "b c.txt");
    CHECK(engine.ListArchive("", "", -1) == 0);
    CHECK(engine.ArchiveName().empty());
    CHECK(engine.ListArchive(zip, "", -1) == 3);        // recounted
    CHECK(engine.ListArchive(zip, "", -2) == 1);
    CHECK(std::string(engine.EntryInfo().path) == "a.txt");
    CZipEngine other;
    CHECK(other.ListArchive(t / "missing.zip", "", -1) == 0);

    // The helpers count afresh every time, also an archive that grew meanwhile.
    CHECK(engine.CountEntries(zip) == 3);
    WriteBytes(t / "in\\more.txt", "more");
    CZipEngine writer;
    REQUIRE(writer.ZipFiles(zip, "\"" + t / "in\\more.txt" + "\"", kZipOpAdd | kZipOptQuiet) == 1);
    CHECK(engine.CountEntries(zip) == 4);
    std::vector<std::string> listed;
    for (int i = 0; i < 4; ++i) listed.push_back(engine.NextEntry(zip).path);
    CHECK(listed == std::vector<std::string>{"a.txt", "b c.txt", "deep.txt", "more.txt"});
}

TEST_CASE("extracting: spec quoting, trailing backslash, index jobs and the early refusal") {
    CTempFolder t;
    const std::string zip = MakeArchive(t);
    CZipEngine engine(ProgressWindow());
    g_progress = ProgressLog();
    g_progress.engine = &engine;
    CHECK(engine.ExtractFiles(zip, "b c.txt", t / "out", -1, 0x01 | 0x04) == 1);
    CHECK(g_progress.specDuringCall == "\"b c.txt\"");
    CHECK(g_progress.destinationDuringCall == t / "out\\");
    CHECK(ReadBytes(t / "out\\b c.txt") == "bee see");

    g_progress = ProgressLog();
    g_progress.engine = &engine;
    CHECK(engine.ExtractFiles(zip, "\"a.txt\" \"deep.txt\"", t / "two\\", -1, 0x01) == 1);
    CHECK(g_progress.specDuringCall == "\"a.txt\" \"deep.txt\"");
    CHECK(g_progress.destinationDuringCall == t / "two\\");
    CHECK(Exists(t / "two\\a.txt"));
    CHECK(Exists(t / "two\\deep.txt"));

    CZipEngine idle;
    CHECK(idle.ExtractFiles(zip, "", t / "none", -1, 0) == 0);
    CHECK(idle.UnzipRecord().function == 0);
    CHECK_FALSE(Exists(t / "none"));
    CHECK(idle.ExtractFiles("", "a.txt", t / "none", -1, 0) == 0);
    CHECK(idle.ExtractFiles(zip, "", t / "idx", 2, 0x01) == 1);
    CHECK(Exists(t / "idx\\deep.txt"));
    CHECK_FALSE(Exists(t / "idx\\a.txt"));
    CHECK(idle.ExtractFiles(zip, "missing.txt", t / "idx", -1, 0x05) == 0);
    g_progress.engine = nullptr;
}

TEST_CASE("zip jobs: the first job bit chooses, options apply to the add job only") {
    CTempFolder t;
    const std::string zip = MakeArchive(t);
    CZipEngine engine;
    engine.m_password = "pw";
    CHECK(engine.ZipFiles(zip, "\"b c.txt\"", kZipOpDelete | kZipOptEncrypt) == 1);
    CHECK(engine.ZipRecord().function == kZipFunctionDelete);
    CHECK(engine.ZipRecord().encrypt == 0);
    CHECK(engine.ZipRecord().noFolderNames == 0);
    CHECK(engine.ListArchive(zip, "", -1) == 2);

    WriteBytes(t / "in\\secret.txt", "classified");
    CHECK(engine.ZipFiles(zip, "\"" + t / "in\\secret.txt" + "\"", 0x420 | kZipOptQuiet) == 1);
    CHECK(engine.ZipRecord().function == kZipFunctionAdd);
    CHECK(engine.ZipRecord().encrypt == 1);
    CHECK(engine.ZipRecord().noFolderNames == 1);
    CHECK(engine.ListArchive("", "", -1) == 0);
    CHECK(engine.ListArchive(zip, "", -1) == 3);
    engine.ListArchive(zip, "", 2);
    CHECK(std::string(engine.EntryInfo().path) == "secret.txt");
    CHECK((engine.EntryInfo().flags & 0x8000) != 0);

    // The extraction needs the password.
    CZipEngine reader;
    CHECK(reader.ExtractFiles(zip, "secret.txt", t / "x", -1, 0x05) == 0);
    CHECK_FALSE(Exists(t / "x\\secret.txt"));
    reader.m_password = "pw";
    CHECK(reader.ExtractFiles(zip, "secret.txt", t / "x", -1, 0x05) == 1);
    CHECK(ReadBytes(t / "x\\secret.txt") == "classified");

    CHECK(engine.ZipFiles(zip, "\"a.txt\"", 0x200) == 0);     // no job bit
    CHECK(engine.ZipFiles("", "\"a.txt\"", kZipOpAdd) == 0);
    // Job 0x40 (freshen) is reachable: nothing newer, nothing to do.
    CHECK(engine.ZipFiles(zip, "\"" + t / "in\\a.txt" + "\"", kZipOpFreshen | kZipOptQuiet) == 0);
    CHECK(engine.ZipRecord().function == kZipFunctionFreshen);
}

TEST_CASE("progress messages go to the progress window; an abort stops the job and keeps the archive") {
    CTempFolder t;
    const std::string zip = MakeArchive(t);
    const std::string before = ReadBytes(zip);
    HWND window = ProgressWindow();
    CZipEngine engine(window);
    CHECK(engine.ProgressWindow() == window);
    g_progress = ProgressLog();
    WriteBytes(t / "in\\more.txt", Text(20000, 5));
    CHECK(engine.ZipFiles(zip, "\"" + t / "in\\more.txt" + "\"", kZipOpAdd | kZipOptQuiet) == 1);
    bool sawItem = false, sawProgress = false;
    for (auto& m : g_progress.messages) {
        if (m.first == WM_TB_ZIP_ITEM && m.second == "more.txt") sawItem = true;
        if (m.first == WM_TB_ZIP_PROGRESS) sawProgress = true;
    }
    CHECK(sawItem);
    CHECK(sawProgress);
    CHECK(g_progress.percents.back() == 100);

    const std::string now = ReadBytes(zip);
    g_progress = ProgressLog();
    g_progress.engine = &engine;
    g_progress.abortOnFirst = true;
    WriteBytes(t / "in\\other.txt", Text(20000, 6));
    CHECK(engine.ZipFiles(zip, "\"" + t / "in\\other.txt" + "\"", kZipOpAdd | kZipOptQuiet) == 0);
    CHECK(ReadBytes(zip) == now);
    CHECK(engine.AbortRequested());
    // The abort belongs to that engine: another engine's job runs to its end.
    CZipEngine next(window);
    CHECK_FALSE(next.AbortRequested());
    g_progress = ProgressLog();
    CHECK(next.ZipFiles(zip, "\"" + t / "in\\other.txt" + "\"", kZipOpAdd | kZipOptQuiet) == 1);
    CHECK(g_progress.percents.back() == 100);
    CHECK(engine.AbortRequested());
    g_progress = ProgressLog();
    CHECK(next.SetProgressWindow(nullptr) == nullptr);
    CHECK(next.ProgressWindow() == window);
    (void)before;
}

TEST_CASE("the message callback cuts the library's name out of the text") {
    char text[128];
    std::strcpy(text, "DynaZIP: cannot open DynaZip file (DynaZIP)");
    CHECK(CZipEngine::MessageCallback(1, 0, 0, sizeof text, text, "", nullptr) == 0);
    CHECK(std::string(text) == ": cannot open  file (DynaZIP)");
    std::strcpy(text, "nothing to cut");
    CZipEngine::MessageCallback(1, 0, 0, sizeof text, text, "", nullptr);
    CHECK(std::string(text) == "nothing to cut");
}

TEST_CASE("rename by numbering picks the first free .NNN name, only when the flag is set and the file exists") {
    CTempFolder t;
    char name[kZipRenameBufferSize];
    CZipEngine engine;
    auto rename = [&](const std::string& path) {
        std::strcpy(name, path.c_str());
        CHECK(CZipEngine::RenameCallback(name, &engine) == 0);
        return std::string(name);
    };
    WriteBytes(t / "report.doc", "1");
    WriteBytes(t / "noext", "1");
    WriteBytes(t / ".profile", "1");
    WriteBytes(t / "dir.v2\\file", "1");
    engine.ApplyUnzipOptions(0);
    CHECK(rename(t / "report.doc") == t / "report.doc");
    engine.ApplyUnzipOptions(kUnzipOptRenameByNumber);
    CHECK(rename(t / "report.doc") == t / "report.001.doc");
    WriteBytes(t / "report.001.doc", "2");
    CHECK(rename(t / "report.doc") == t / "report.002.doc");
    CHECK(rename(t / "absent.doc") == t / "absent.doc");
    CHECK(rename(t / "noext") == t / "noext");
    CHECK(rename(".profile") == ".profile");
    CHECK(rename(t / "dir.v2\\file") == t / "dir.v2\\file");
    for (int n = 2; n <= 99; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", n);
        WriteBytes(t / ("report." + std::string(number) + ".doc"), "n");
    }
    CHECK(rename(t / "report.doc") == t / "report.doc");   // all 99 taken
}

TEST_CASE("extracting with rename by numbering keeps both files") {
    CTempFolder t;
    const std::string zip = MakeArchive(t);
    CZipEngine engine;
    CHECK(engine.ExtractFiles(zip, "a.txt", t / "out", -1, 0x01) == 1);
    WriteBytes(t / "out\\a.txt", "local edit");
    CHECK(engine.ExtractFiles(zip, "a.txt", t / "out", -1, 0x01 | 0x08) == 1);
    CHECK(ReadBytes(t / "out\\a.txt") == "local edit");
    CHECK(ReadBytes(t / "out\\a.001.txt") == Text(3000, 1));
    // Overwrite.
    CHECK(engine.ExtractFiles(zip, "a.txt", t / "out", -1, 0x01 | 0x02) == 1);
    CHECK(ReadBytes(t / "out\\a.txt") == Text(3000, 1));
    // Quiet, no overwrite: the existing file stays.
    WriteBytes(t / "out\\a.txt", "again");
    CHECK(engine.ExtractFiles(zip, "*.*", t / "out", -1, 0x01 | 0x04 | 0x10) == 1);
    CHECK(ReadBytes(t / "out\\a.txt") == "again");
    CHECK(Exists(t / "out\\deep.txt"));
}

TEST_CASE("rename by numbering: a name given to an earlier entry of the running extraction counts as taken") {
    CTempFolder t;
    char name[kZipRenameBufferSize];
    CZipEngine engine;
    auto rename = [&](const std::string& path) {
        std::strcpy(name, path.c_str());
        CZipEngine::RenameCallback(name, &engine);
        return std::string(name);
    };
    engine.ApplyUnzipOptions(kUnzipOptRenameByNumber);
    // The library may still be writing the first when it asks about the second.
    CHECK(rename(t / "new.txt") == t / "new.txt");
    CHECK(rename(t / "NEW.txt") == t / "NEW.001.txt");
    WriteBytes(t / "old.txt", "here");
    CHECK(rename(t / "old.txt") == t / "old.001.txt");
    CHECK(rename(t / "old.txt") == t / "old.002.txt");
}

TEST_CASE("entries of one batch that share a name all land, numbered, while the library works on several threads") {
    CTempFolder t;
    // Six small entries named report.doc in different folders.
    std::string list;
    for (int i = 0; i < 6; ++i) {
        const std::string file = "in\\d" + std::to_string(i) + "\\report.doc";
        WriteBytes(t / file, Text(2000 + i, i));
        list += "\"" + t / file + "\" ";
    }
    CZipEngine maker;
    const std::string zip = t / "same.zip";
    REQUIRE(maker.ZipFiles(zip, list, kZipOpAdd | kZipOptQuiet | kZipOptKeepFolders) == 1);
    WriteBytes(t / "out\\report.doc", "mine");
    CZipEngine engine;
    // Quiet: a name found taken is skipped without a question, so a lost one shows as missing.
    CHECK(engine.ExtractFiles(zip, "*.*", t / "out", -1,
                              kUnzipOptNoFolderNames | kUnzipOptQuiet | kUnzipOptRenameByNumber | kUnzipOptAllFiles) == 1);
    CHECK(ReadBytes(t / "out\\report.doc") == "mine");
    std::vector<std::string> contents;
    for (int n = 1; n <= 6; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", n);
        contents.push_back(ReadBytes(t / ("out\\report." + std::string(number) + ".doc")));
    }
    for (int i = 0; i < 6; ++i) CHECK(std::find(contents.begin(), contents.end(), Text(2000 + i, i)) != contents.end());
}

TEST_CASE("an engine told to gather password problems answers the library's messages and keeps the entries") {
    CTempFolder t;
    CZipEngine maker;
    maker.m_password = "right";
    WriteBytes(t / "in\\p1.txt", Text(4000, 1));
    WriteBytes(t / "in\\p2.txt", Text(4000, 2));
    const std::string zip = t / "locked.zip";
    REQUIRE(maker.ZipFiles(zip, "\"" + t / "in\\p1.txt" + "\" \"" + t / "in\\p2.txt" + "\"",
                           kZipOpAdd | kZipOptQuiet | kZipOptEncrypt) == 1);
    CZipEngine engine;
    engine.CollectPasswordProblems();
    engine.m_password = "wrong";
    // Not quiet: without the engine's answer the library would show a box per entry.
    CHECK(engine.ExtractFiles(zip, "*.*", t / "out", -1, kUnzipOptAllFiles) == 0);
    const PasswordProblems& seen = engine.PasswordProblemsSeen();
    CHECK(seen.wrongPassword);
    std::vector<std::string> entries = seen.entries;
    std::sort(entries.begin(), entries.end());
    CHECK(entries == std::vector<std::string>{"p1.txt", "p2.txt"});
    CHECK_FALSE(Exists(t / "out\\p1.txt"));

    engine.m_password.clear();
    engine.CollectPasswordProblems();
    CHECK(engine.ExtractFiles(zip, "p1.txt", t / "out", -1, 0) == 0);
    CHECK_FALSE(engine.PasswordProblemsSeen().wrongPassword);  // none was given
    CHECK(engine.PasswordProblemsSeen().entries == std::vector<std::string>{"p1.txt"});

    // Other messages are left to the library, and an engine not told so gathers nothing.
    char text[64] = "some other trouble";
    CHECK(CZipEngine::MessageCallback(kZipMsgCrcError, 0, 0, sizeof text, text, "p1.txt", &engine) == 0);
    CZipEngine other;
    std::strcpy(text, "p1.txt: the password is wrong");
    CHECK(CZipEngine::MessageCallback(kZipMsgWrongPassword, 0, 0, sizeof text, text, "p1.txt", &other) == 0);
    CHECK(other.PasswordProblemsSeen().entries.empty());
}

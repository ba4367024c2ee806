// The extractor's own logic: its switches, its folder, the checks before an
// extraction and the answers to the overwrite questions.
#include "doctest/doctest.h"

#include <algorithm>

#include "sfx/PeImage.h"
#include "sfx/WideText.h"
#include "sfx/stub/Extraction.h"
#include "sfx/stub/Switches.h"
#include "tests/unit/sfx/SfxTestUtil.h"

using namespace tb::sfx;

TEST_CASE("switches: /s, /d= and /p= in either case and quoting; an unknown one is named") {
    StubSwitches s;
    WideString bad;
    REQUIRE(ParseSwitches({L"-S", L"/D=\"C:\\Program Files\\x\"", L"/p=se\"cret\""}, s, bad));
    CHECK(s.silent);
    CHECK(s.folder == L"C:\\Program Files\\x");
    CHECK(s.password == L"se\"cret\"");   // a password keeps its own quotes
    s = StubSwitches();
    REQUIRE(ParseSwitches({L"/d=C:\\out\\\"", L"/p="}, s, bad));   // "C:\out\" arrives with a quote
    CHECK(s.folder == L"C:\\out\\");
    CHECK(s.havePassword);
    CHECK(s.password.empty());
    CHECK_FALSE(s.silent);
    s = StubSwitches();
    CHECK_FALSE(ParseSwitches({L"/x", L"/s", L"/sx"}, s, bad));
    CHECK(bad == L"/x");
    CHECK(s.silent);   // taken all the same, so an unknown switch shows no window under /s
    CHECK_FALSE(ParseSwitches({L"/d="}, s, bad));
}

TEST_CASE("the proposed folder: the script's, expanded, below the program when relative") {
    wchar_t temp[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
    REQUIRE(n > 0);
    CHECK(ProposedFolder(L"", L"D:\\downloads") == L"D:\\downloads");
    CHECK(ProposedFolder(L"%TEMP%\\setup", L"D:\\downloads") == WideString(temp, n) + L"\\setup");
    CHECK(ProposedFolder(L"data\\x", L"D:\\downloads") == L"D:\\downloads\\data\\x");
    CHECK(ProposedFolder(L"C:\\Program Files\\App", L"D:\\") == L"C:\\Program Files\\App");
    CHECK(ProposedFolder(L"\\\\server\\share", L"D:\\") == L"\\\\server\\share");
}

TEST_CASE("the end of a program's image: the extractor's file ends there, other files are refused") {
    const std::string stub = zt::ReadBytes(st::DistFile("tbsfx.exe"));
    REQUIRE(stub.size() > 4096);
    uint64_t end = 0;
    CHECK(PeImageEnd(reinterpret_cast<const uint8_t*>(stub.data()), kPeHeadSize, end));
    CHECK(end == stub.size());
    const std::string zip = std::string("PK\x03\x04", 4) + std::string(100, '\0');
    CHECK_FALSE(PeImageEnd(reinterpret_cast<const uint8_t*>(zip.data()), zip.size(), end));
    CHECK_FALSE(PeImageEnd(reinterpret_cast<const uint8_t*>(stub.data()), 0x80, end));   // headers cut short
    // A program that keeps its symbols behind its sections (this test, unstripped).
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string test = zt::ReadBytes(self);
    CHECK_FALSE(PeImageEnd(reinterpret_cast<const uint8_t*>(test.data()), kPeHeadSize, end));
}

namespace {

// Answers the overwrite questions as told and remembers them.
class CRecordingHost : public IExtractionHost {
public:
    explicit CRecordingHost(Answer answer) : m_answer(answer) {}
    bool Progress(const std::string&, int percent) override {
        m_lastPercent = percent;
        return true;
    }
    Answer AskOverwrite(const std::string& path, bool readOnly) override {
        m_questions.push_back(path.substr(path.find_last_of('\\') + 1) + (readOnly ? " (read-only)" : ""));
        return m_answer;
    }
    std::vector<std::string> m_questions;
    int m_lastPercent = -1;

private:
    Answer m_answer;
};

struct Extracting {
    zt::CTempFolder temp;
    SelfArchive archive;
    ExtractionRequest request;

    explicit Extracting(const std::string& password = "") {
        st::MakeTree(temp / "src");
        REQUIRE(st::MakeArchive(temp / "a.zip", temp / "src", password));
        archive.path = temp / "a.zip";
        REQUIRE(ReadDirectoryOf(archive).result == kStubOk);
        request.folder = temp / "out";
        request.havePassword = !password.empty();
        request.password = password;
    }
    Outcome Run(IExtractionHost& host) {
        Outcome o = PrepareFolder(request.folder);
        return o.result == kStubOk ? Extract(archive, request, host) : o;
    }
};

}  // namespace

TEST_CASE("the password is checked on the smallest encrypted entry before anything is written") {
    Extracting x("right one");
    CHECK(NeedsPassword(*x.archive.directory));
    CHECK(CheckPassword(x.archive, "right one").result == kStubOk);
    const Outcome wrong = CheckPassword(x.archive, "wrong one");
    CHECK(wrong.result == kStubPasswordError);
    CHECK(wrong.group == ids::kPasswordError);
    CHECK_FALSE(zt::Exists(x.request.folder));

    CRecordingHost host(IExtractionHost::Answer::Yes);
    CHECK(x.Run(host).result == kStubOk);
    CHECK(zt::ReadBytes(x.request.folder + "\\src\\data\\numbers.bin") == zt::Text(70000, 2));
    CHECK(host.m_lastPercent == 100);

    Extracting plain;
    CHECK_FALSE(NeedsPassword(*plain.archive.directory));
}

TEST_CASE("existing files: the answers decide, read-only ones are asked as such and replaced on Yes") {
    for (auto answer : {IExtractionHost::Answer::Yes, IExtractionHost::Answer::No}) {
        Extracting x;
        const std::string readme = x.request.folder + "\\src\\readme.txt";
        const std::string numbers = x.request.folder + "\\src\\data\\numbers.bin";
        zt::WriteBytes(readme, "old readme");
        zt::WriteBytes(numbers, "old numbers");
        SetFileAttributesW(zt::Wide(numbers).c_str(), FILE_ATTRIBUTE_READONLY);
        CRecordingHost host(answer);
        CHECK(x.Run(host).result == kStubOk);
        std::sort(host.m_questions.begin(), host.m_questions.end());
        CHECK(host.m_questions == std::vector<std::string>{"numbers.bin (read-only)", "readme.txt"});
        const bool yes = answer == IExtractionHost::Answer::Yes;
        CHECK(zt::ReadBytes(readme) == (yes ? zt::Text(5000, 1) : "old readme"));
        CHECK(zt::ReadBytes(numbers) == (yes ? zt::Text(70000, 2) : "old numbers"));
        CHECK(zt::ReadBytes(x.request.folder + "\\src\\data\\deep\\empty.txt") == "");
    }
}

TEST_CASE("without questions the script's choice holds, and Cancel stops the extraction") {
    Extracting x;
    const std::string readme = x.request.folder + "\\src\\readme.txt";
    zt::WriteBytes(readme, "old readme");
    x.request.askOverwrite = false;
    x.request.overwriteSilently = false;
    CRecordingHost host(IExtractionHost::Answer::Yes);
    CHECK(x.Run(host).result == kStubOk);
    CHECK(host.m_questions.empty());
    CHECK(zt::ReadBytes(readme) == "old readme");
    x.request.overwriteSilently = true;
    CHECK(x.Run(host).result == kStubOk);
    CHECK(zt::ReadBytes(readme) == zt::Text(5000, 1));

    x.request.askOverwrite = true;
    CRecordingHost cancelling(IExtractionHost::Answer::Cancel);
    const Outcome o = x.Run(cancelling);
    CHECK(o.result == kStubCancelled);
    CHECK(o.group == ids::kCancelled);
    CHECK(cancelling.m_questions.size() == 1);
}

TEST_CASE("the destination folder is made, or refused with the path error") {
    zt::CTempFolder temp;
    CHECK(PrepareFolder(temp / "a\\b\\c\\").result == kStubOk);
    CHECK(zt::Exists(temp / "a\\b\\c"));
    zt::WriteBytes(temp / "file", "x");
    const Outcome o = PrepareFolder(temp / "file\\below");
    CHECK(o.result == kStubPathError);
    CHECK(o.group == ids::kPathError);
}

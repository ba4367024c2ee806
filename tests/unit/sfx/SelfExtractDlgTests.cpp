// Dialog 175 as a real dialog, with its message boxes and the builder library
// replaced.
#include "doctest/doctest.h"

#include <algorithm>
#include <map>

#include "framework/Shell.h"
#include "res/resource.h"
#include "tests/unit/sfx/SfxTestUtil.h"
#include "zip/SelfExtractDlg.h"

using namespace tb;

namespace {

// The builder as the dialog sees it: remembers the values and the script path,
// and what the dialog showed while it built.
class CFakeBuilder : public ISelfExtractBuilder {
public:
    int NewScript(const std::string& script) override {
        scriptPath = script;
        scriptExisted = zt::Exists(script);
        return 0;
    }
    int SetNumber(const std::string&, int id, int) override { return id == failingId ? 7 : 0; }
    int SetText(const std::string&, int id, const std::string& text) override {
        texts[id] = text;
        return id == failingId ? 7 : 0;
    }
    int Build(const std::string&) override {
        ++builds;
        statusWhileBuilding = dialog ? CWindow(dialog).ItemText(IDC_SX_STATUS) : "";
        return buildResult;
    }
    HWND dialog = nullptr;
    std::string scriptPath, statusWhileBuilding;
    bool scriptExisted = true;
    std::map<int, std::string> texts;
    int builds = 0, buildResult = 0, failingId = -1;
};

std::vector<std::string> ScratchFiles() {
    std::vector<std::string> names;
    for (const char* pattern : {"~s*.tmp", "~z*.tmp"}) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((TempFolder() + pattern).c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) continue;
        do names.push_back(fd.cFileName);
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// One dialog on a hidden parent, its messages answered by `answer`.
struct DialogHost {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    CFakeBuilder builder;
    std::vector<std::string> messages;
    int answer = IDYES;
    std::unique_ptr<CSelfExtractDlg> dialog;

    ~DialogHost() {
        dialog.reset();
        DestroyWindow(parent);
    }
    CSelfExtractDlg& Open(const std::string& source) {
        SelfExtractServices services;
        services.builder = &builder;
        services.message = [this](HWND, const std::string& text, UINT) {
            messages.push_back(text);
            return answer;
        };
        dialog = std::make_unique<CSelfExtractDlg>(source, services);
        dialog->CreateModeless(parent);
        builder.dialog = dialog->Handle();
        return *dialog;
    }
    bool Open() const { return dialog->Handle() && IsWindow(dialog->Handle()); }
    void Ok() const { SendMessageA(dialog->Handle(), WM_COMMAND, IDOK, 0); }
};

}  // namespace

TEST_CASE("dialog 175 proposes the program's name; no selection ends it with the message") {
    CHECK(CSelfExtractDlg::ProposedProgramName("C:\\Zips\\data.zip") == "C:\\Zips\\data.exe");
    CHECK(CSelfExtractDlg::ProposedProgramName("C:\\Zips\\a.b.zip") == "C:\\Zips\\a.b.exe");
    CHECK(CSelfExtractDlg::ProposedProgramName("C:\\Zips\\data") == "");
    CHECK(CSelfExtractDlg::ProposedProgramName("C:\\Zips\\.zip") == "");
    CHECK(CSelfExtractDlg::ProposedProgramName("C:\\Zips.old\\data") == "");   // a dot of a folder is no extension

    DialogHost host;
    CSelfExtractDlg& d = host.Open("C:\\Zips\\data.zip");
    REQUIRE(host.Open());
    CHECK(d.ItemText(IDC_SX_OUTPUT) == "C:\\Zips\\data.exe");
    CHECK(d.ItemText(IDC_SX_EXTRACT_FOLDER) == "");
    CHECK(d.ItemText(IDC_SX_CAPTION) == CSelfExtractDlg::DefaultCaption());
    CHECK(d.ItemText(IDC_SX_SOURCE) == "Make Self-Extracting Archive from:\n\nC:\\Zips\\data.zip");

    DialogHost none;
    none.Open("");
    CHECK_FALSE(none.Open());
    CHECK(none.messages == std::vector<std::string>{
                               "You must select an Archive(Zip) before you can make a Sel-Extracting Archive."});
    CHECK(none.builder.scriptPath.empty());
}

TEST_CASE("OK builds from a script in the temporary folder and leaves no scratch file behind") {
    zt::CTempFolder temp;
    const std::vector<std::string> before = ScratchFiles();
    DialogHost host;
    CSelfExtractDlg& d = host.Open(temp / "data.zip");
    d.SetItemText(IDC_SX_EXTRACT_FOLDER, "C:\\Unpacked");
    d.SetItemText(IDC_SX_CAPTION, "My caption");
    host.Ok();
    CHECK_FALSE(host.Open());
    CHECK(host.builder.builds == 1);
    CHECK(host.builder.scriptPath.rfind(TempFolder() + "~s", 0) == 0);
    CHECK_FALSE(host.builder.scriptExisted);   // the library starts its script where there is no file
    CHECK(host.builder.statusWhileBuilding == "........................Working........................");
    CHECK(host.builder.texts[100] == temp / "data.zip");
    CHECK(host.builder.texts[101] == temp / "data.exe");
    CHECK(host.builder.texts[203] == "C:\\Unpacked");
    CHECK(host.builder.texts[70601] == "My caption");
    CHECK(host.messages == std::vector<std::string>{"Self-Extracting Archive successfully created."});
    CHECK(ScratchFiles() == before);
}

TEST_CASE("an existing program is replaced only after Yes; No keeps the dialog and its values") {
    zt::CTempFolder temp;
    zt::WriteBytes(temp / "data.exe", "an older program");
    const std::vector<std::string> before = ScratchFiles();
    DialogHost host;
    CSelfExtractDlg& d = host.Open(temp / "data.zip");
    d.SetItemText(IDC_SX_CAPTION, "typed caption");
    host.answer = IDNO;
    host.Ok();
    REQUIRE(host.Open());
    CHECK(host.messages == std::vector<std::string>{"This file exists: " + temp / "data.exe" +
                                                    ".  Do you wish to overwrite this file?"});
    CHECK(host.builder.builds == 0);
    CHECK(d.ItemText(IDC_SX_CAPTION) == "typed caption");
    CHECK(ScratchFiles() == before);

    host.answer = IDYES;
    host.Ok();
    CHECK_FALSE(host.Open());
    CHECK(host.builder.builds == 1);
    CHECK(ScratchFiles() == before);
}

TEST_CASE("a failed build shows its error code; a script that cannot be made says so") {
    DialogHost failing;
    failing.builder.buildResult = 9;
    failing.Open("C:\\Zips\\data.zip");
    failing.Ok();
    CHECK(failing.messages.back() == "Unable to create Self-Extracting Archive. Error code: 9");
    CHECK_FALSE(failing.Open());

    DialogHost noScript;
    noScript.builder.failingId = 403;
    noScript.Open("C:\\Zips\\data.zip");
    noScript.Ok();
    CHECK(noScript.messages.back() == "Couldn't create the new script");
    CHECK(noScript.builder.builds == 0);
}

TEST_CASE("tb.bmp is copied into the Windows folder when it is missing there, and the script names that copy") {
    const std::string windowsCopy = WindowsFolder(200) + "\\tb.bmp";
    const std::string shipped = ProgramFolder() + "tb.bmp";
    REQUIRE(CopyFileA(st::DistFile("tb.bmp").c_str(), shipped.c_str(), FALSE));
    DeleteFileA(windowsCopy.c_str());
    DialogHost host;
    host.Open("C:\\Zips\\data.zip");
    host.Ok();
    CHECK(zt::ReadBytes(windowsCopy) == zt::ReadBytes(shipped));
    CHECK(host.builder.texts[70610] == windowsCopy);
    CHECK(host.builder.texts[72410] == windowsCopy);
    DeleteFileA(shipped.c_str());
}

// The extractor of a self-extracting archive: reads the script and the archive
// it carries, asks for the folder (and the password), extracts with the ZIP
// core and tells the outcome. /s asks nothing and shows nothing; the exit code
// tells the outcome (StubResult).

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/Handles.h"
#include "sfx/ScriptIds.h"
#include "sfx/WideText.h"
#include "sfx/stub/Extraction.h"
#include "sfx/stub/Screens.h"
#include "sfx/stub/SelfArchive.h"
#include "sfx/stub/StubTexts.h"
#include "sfx/stub/Switches.h"

using namespace tb;
using namespace tb::sfx;

namespace {

WideString ProgramPath() {
    WideString path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, &path[0], DWORD(path.size())));
    return path;
}

std::vector<WideString> Arguments() {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<WideString> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv[i]);
    if (argv) ::LocalFree(argv);
    return arguments;
}

// Answers for /s: no questions, existing files are replaced.
class CSilentHost : public IExtractionHost {
public:
    bool Progress(const std::string&, int) override { return true; }
    Answer AskOverwrite(const std::string&, bool) override { return Answer::Yes; }
};

// Questions in message boxes, for a script that shows no progress screen.
class CBoxHost : public IExtractionHost {
public:
    explicit CBoxHost(const CStubTexts& texts) : m_texts(texts) {}
    bool Progress(const std::string&, int) override { return true; }
    Answer AskOverwrite(const std::string& path, bool readOnly) override {
        return AskOverwriteBox(nullptr, m_texts, path, readOnly);
    }

private:
    const CStubTexts& m_texts;
};

void RestartWindows() {
    UniqueHandle token;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put())) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
            ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    }
    ::ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_FLAG_PLANNED);
}

class CExtractor {
public:
    CExtractor(const StubSwitches& switches, const WideString& program)
        : m_switches(switches), m_program(program) {}

    int Run() {
        Outcome o = ReadScriptOf(Narrow(m_program), m_archive);
        if (o.result != kStubOk) return Fail(o.group, o.result);
        m_texts = CStubTexts(&m_archive.payload);
        {
            std::unique_ptr<CPreparingScreen> preparing;
            if (!m_switches.silent && m_texts.Shown(ids::kPrepareScreen))
                preparing = std::make_unique<CPreparingScreen>(m_texts);
            o = ReadDirectoryOf(m_archive);
        }
        if (o.result != kStubOk) return Fail(o.group, o.result);
        if (!ChooseFolder()) return Fail(ids::kCancelled, kStubCancelled);
        if (NeedsPassword(*m_archive.directory) && !ChoosePassword()) return m_result;

        ExtractionRequest& q = m_request;
        q.keepFolders = m_texts.Number(ids::kUseFolderNames, 1) != 0;
        q.askOverwrite = m_texts.Number(ids::kAskOverwrite, 1) != 0;
        q.overwriteSilently = m_texts.Number(ids::kOverwriteSilently, 0) != 0;
        o = PrepareFolder(q.folder);
        if (o.result == kStubOk) o = CheckFreeSpace(*m_archive.directory, q);
        if (o.result == kStubOk) o = ExtractFiles();
        if (o.result != kStubOk) return Fail(o.group, o.result);
        if (!m_switches.silent && m_texts.Shown(ids::kSuccessScreen)) ShowSuccess(m_texts);
        return kStubOk;
    }

private:
    int Fail(uint32_t group, StubResult result) {
        if (m_switches.silent) return result;
        if (group == ids::kDiskError) {
            if (AskRestart(m_texts)) RestartWindows();
        } else {
            ShowFailure(m_texts, group);
        }
        return result;
    }

    bool ChooseFolder() {
        if (m_switches.haveFolder) {
            m_request.folder = Narrow(AbsoluteFolder(m_switches.folder));
            return true;
        }
        const WideString programFolder = m_program.substr(0, m_program.find_last_of(L'\\'));
        WideString folder = ProposedFolder(Widen(m_archive.payload.script.TextOr(ids::kDefaultFolder, "")), programFolder);
        if (!m_switches.silent && m_texts.Shown(ids::kFolderScreen) && !AskFolder(m_texts, folder)) return false;
        m_request.folder = Narrow(AbsoluteFolder(folder));
        return true;
    }

    // The password from /p=, or asked until it opens the archive.
    bool ChoosePassword() {
        m_request.havePassword = true;
        if (m_switches.havePassword || m_switches.silent) {
            m_request.password = Narrow(m_switches.password);
            Outcome o = CheckPassword(m_archive, m_request.password);
            if (o.result == kStubOk) return true;
            m_result = Fail(o.group, o.result);
            return false;
        }
        for (;;) {
            WideString password;
            if (!AskPassword(m_texts, password)) {
                m_result = Fail(ids::kCancelled, kStubCancelled);
                return false;
            }
            m_request.password = Narrow(password);
            Outcome o = CheckPassword(m_archive, m_request.password);
            if (o.result == kStubOk) return true;
            if (o.result != kStubPasswordError) {
                m_result = Fail(o.group, o.result);
                return false;
            }
            ShowFailure(m_texts, ids::kPasswordError);
        }
    }

    Outcome ExtractFiles() {
        auto work = [this](IExtractionHost& host) { return Extract(m_archive, m_request, host); };
        if (m_switches.silent) {
            CSilentHost host;
            return work(host);
        }
        if (m_texts.Shown(ids::kProgressScreen) && m_texts.Number(ids::kProgressShown, 1) != 0)
            return RunWithProgressScreen(m_texts, work);
        CBoxHost host(m_texts);
        return work(host);
    }

    const StubSwitches& m_switches;
    const WideString m_program;
    SelfArchive m_archive;
    CStubTexts m_texts;
    ExtractionRequest m_request;
    int m_result = kStubOk;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    StubSwitches switches;
    WideString bad;
    if (!ParseSwitches(Arguments(), switches, bad)) {
        if (!switches.silent) {
            const WideString text = L"Unknown switch: " + bad +
                                      L"\r\n\r\nUse /s to extract without questions, /d=FOLDER for the folder, "
                                      L"/p=PASSWORD for the password.";
            ::MessageBoxW(nullptr, text.c_str(), L"Self-Extracting Archive", MB_OK | MB_ICONERROR);
        }
        return kStubUsage;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    try {
        CExtractor extractor(switches, ProgramPath());
        return extractor.Run();
    } catch (...) {
        if (!switches.silent) ShowFailure(CStubTexts(), ids::kMemoryError);
        return kStubMemoryError;
    }
}

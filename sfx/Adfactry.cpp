// adfactry.dll: the four functions, exported by ordinal only (adfactry.def).
// Each reads the script file, changes it and writes it back; the build reads it
// and writes the program. The extractor program lies beside the library.

#include <windows.h>

#include <new>
#include <string>

#include "sfx/AdfactryApi.h"
#include "sfx/ScriptFile.h"
#include "sfx/SfxBuilder.h"
#include "sfx/WideText.h"

using namespace tb::sfx;

namespace {

HMODULE gModule = nullptr;

constexpr wchar_t kStubName[] = L"tbsfx.exe";

std::string LibraryFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = ::GetModuleFileNameW(gModule, path, DWORD(std::size(path)));
    if (n == 0 || n >= std::size(path)) return std::string();
    std::wstring folder(path, n);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return Narrow(folder);
}

// Runs `body` with nothing escaping into the caller.
template <typename Body>
int Guard(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return kSfxInternal;
    } catch (...) {
        return kSfxInternal;
    }
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

int WINAPI SfxNewScript(const char* script) {
    if (!script || !*script) return kSfxBadArgument;
    return Guard([&] { return SaveScript(AnsiToUtf8(script), CScript()) ? kSfxOk : kSfxScriptUnwritable; });
}

int WINAPI SfxSetNumber(const char* script, int id, int number) {
    if (!script || !*script || id < 0) return kSfxBadArgument;
    return Guard([&] {
        return UpdateScript(AnsiToUtf8(script), [&](CScript& s) { s.SetNumber(uint32_t(id), number); });
    });
}

int WINAPI SfxSetText(const char* script, int id, const char* text) {
    if (!script || !*script || id < 0 || !text) return kSfxBadArgument;
    return Guard([&] {
        return UpdateScript(AnsiToUtf8(script), [&](CScript& s) { s.SetText(uint32_t(id), AnsiToUtf8(text)); });
    });
}

int WINAPI SfxBuild(const char* script, int) {
    if (!script || !*script) return kSfxBadArgument;
    return Guard([&] {
        CScript loaded;
        if (!LoadScript(AnsiToUtf8(script), loaded)) return int(kSfxScriptUnreadable);
        BuildSettings settings;
        settings.baseFolder = LibraryFolder();
        settings.stub = settings.baseFolder + Narrow(kStubName);
        std::string why;
        return BuildSelfExtractor(loaded, settings, why);
    });
}

}  // extern "C"

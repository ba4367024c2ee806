// The four functions of adfactry.dll. They live in DUNZIP32.dll, beside the ZIP
// fronts, where they share one copy of the ZIP core and the runtime; adfactry.dll
// calls them from its ordinals (adfactry.def, AdfactryFront.cpp). Each reads the script file,
// changes it and writes it back; the build reads it and writes the program. The
// extractor program lies beside the library.

#include <windows.h>

#include <new>
#include <string>

#include "sfx/AdfactryApi.h"
#include "sfx/ScriptFile.h"
#include "sfx/SfxBuilder.h"
#include "sfx/WideText.h"

using namespace tb::sfx;

namespace {

constexpr wchar_t kStubName[] = L"tbsfx.exe";

// The folder of adfactry.dll, which the caller loaded: the extractor lies
// beside it (and so does DUNZIP32.dll, where this code is, which adfactry.dll
// loads from its own folder). Without it, this code's own DLL.
std::string LibraryFolder() {
    HMODULE module = ::GetModuleHandleA(kAdfactryDll);
    if (!module &&
        !::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&LibraryFolder), &module))
        return std::string();
    wchar_t path[MAX_PATH * 4];
    DWORD n = ::GetModuleFileNameW(module, path, DWORD(std::size(path)));
    if (n == 0 || n >= std::size(path)) return std::string();
    WideString folder(path, n);
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

__declspec(dllexport) int WINAPI SfxNewScript(const char* script) {
    if (!script || !*script) return kSfxBadArgument;
    return Guard([&] { return SaveScript(AnsiToUtf8(script), CScript()) ? kSfxOk : kSfxScriptUnwritable; });
}

__declspec(dllexport) int WINAPI SfxSetNumber(const char* script, int id, int number) {
    if (!script || !*script || id < 0) return kSfxBadArgument;
    return Guard([&] {
        return UpdateScript(AnsiToUtf8(script), [&](CScript& s) { s.SetNumber(uint32_t(id), number); });
    });
}

__declspec(dllexport) int WINAPI SfxSetText(const char* script, int id, const char* text) {
    if (!script || !*script || id < 0 || !text) return kSfxBadArgument;
    return Guard([&] {
        return UpdateScript(AnsiToUtf8(script), [&](CScript& s) { s.SetText(uint32_t(id), AnsiToUtf8(text)); });
    });
}

__declspec(dllexport) int WINAPI SfxBuild(const char* script, int) {
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

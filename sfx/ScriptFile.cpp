#include "sfx/ScriptFile.h"

#include <windows.h>

#include "framework/Handles.h"
#include "sfx/AdfactryApi.h"
#include "sfx/WideText.h"

namespace tb::sfx {

namespace {
constexpr DWORD kMaxScriptSize = 16u << 20;
}

bool LoadScript(const std::string& path, CScript& script) {
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxScriptSize) return false;
    std::string text(size_t(size.QuadPart), '\0');
    DWORD got = 0;
    if (!text.empty() && (!::ReadFile(file.Get(), &text[0], DWORD(text.size()), &got, nullptr) || got != text.size()))
        return false;
    std::string why;
    return script.Parse(text, why);
}

// Written in place: the script is a scratch file of one build, rewritten by
// every call, and a program builds one script after the other.
bool SaveScript(const std::string& path, const CScript& script) {
    const std::string text = script.Serialize();
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
}

int UpdateScript(const std::string& path, const std::function<void(CScript&)>& change) {
    CScript script;
    if (!LoadScript(path, script)) return kSfxScriptUnreadable;
    change(script);
    return SaveScript(path, script) ? kSfxOk : kSfxScriptUnwritable;
}

}  // namespace tb::sfx

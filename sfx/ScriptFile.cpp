#include "sfx/ScriptFile.h"

#include <windows.h>

#include <mutex>

#include "framework/Handles.h"
#include "sfx/AdfactryApi.h"
#include "sfx/WideText.h"

namespace tb::sfx {

namespace {
constexpr DWORD kMaxScriptSize = 16u << 20;

// The script written last, kept between calls: a program makes a script with
// a hundred calls, and reading the file back each time costs as much again as
// writing it (each open and close a round trip to Wine's server). The file's
// size and write time tell whether it is still what was written.
struct CachedScript {
    std::string path;
    CScript script;
    WIN32_FILE_ATTRIBUTE_DATA stamp{};
    bool valid = false;
};
std::mutex gCacheLock;
CachedScript gCache;

bool StampOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& stamp) {
    return ::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &stamp) != 0;
}

bool SameStamp(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           a.ftLastWriteTime.dwLowDateTime == b.ftLastWriteTime.dwLowDateTime &&
           a.ftLastWriteTime.dwHighDateTime == b.ftLastWriteTime.dwHighDateTime;
}

bool ReadScript(const std::string& path, CScript& script) {
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

bool WriteScript(const std::string& path, const CScript& script) {
    const std::string text = script.Serialize();
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), text.data(), DWORD(text.size()), &written, nullptr) && written == text.size() &&
           ::CloseHandle(file.Release()) != 0;
}

// The script as the file now holds it, with the file's stamp (called with the
// cache's lock held).
void Remember(const std::string& path, const CScript& script) {
    gCache.valid = StampOf(path, gCache.stamp);
    gCache.path = path;
    gCache.script = script;
}

}  // namespace

bool LoadScript(const std::string& path, CScript& script) {
    std::lock_guard<std::mutex> lock(gCacheLock);
    WIN32_FILE_ATTRIBUTE_DATA now;
    if (gCache.valid && gCache.path == path && StampOf(path, now) && SameStamp(now, gCache.stamp)) {
        script = gCache.script;
        return true;
    }
    gCache.valid = false;
    if (!ReadScript(path, script)) return false;
    Remember(path, script);
    return true;
}

// Written in place, whole, by every call: the script is a scratch file of one
// build, and a program builds one script after the other.
bool SaveScript(const std::string& path, const CScript& script) {
    std::lock_guard<std::mutex> lock(gCacheLock);
    gCache.valid = false;
    if (!WriteScript(path, script)) return false;
    Remember(path, script);
    return true;
}

int UpdateScript(const std::string& path, const std::function<void(CScript&)>& change) {
    CScript script;
    if (!LoadScript(path, script)) return kSfxScriptUnreadable;
    change(script);
    return SaveScript(path, script) ? kSfxOk : kSfxScriptUnwritable;
}

}  // namespace tb::sfx

#include "sfx/ScriptFile.h"

#include <memory>

#include "core/Io.h"
#include "sfx/AdfactryApi.h"

namespace tb::sfx {

namespace {
constexpr uint64_t kMaxScriptSize = 16u << 20;
}

bool LoadScript(const std::string& path, CScript& script) {
    std::unique_ptr<zl::IReadFile> file = zl::PlatformFileSystem().OpenRead(path);
    if (!file || file->Size() > kMaxScriptSize) return false;
    std::string text(size_t(file->Size()), '\0');
    if (!text.empty() && file->ReadAt(0, &text[0], text.size()) != int64_t(text.size())) return false;
    std::string why;
    return script.Parse(text, why);
}

bool SaveScript(const std::string& path, const CScript& script) {
    zl::IFileSystem& fs = zl::PlatformFileSystem();
    const std::string text = script.Serialize();
    // Written beside it and moved over it, so a failed write keeps the old script.
    const std::string temp = path + ".new~";
    fs.Remove(temp);
    std::unique_ptr<zl::IWriteFile> file = fs.CreateNew(temp);
    bool ok = file && file->Write(text.data(), text.size()) && file->Commit(false);
    file.reset();
    ok = ok && fs.Replace(temp, path, false);
    if (!ok) fs.Remove(temp);
    return ok;
}

int UpdateScript(const std::string& path, const std::function<void(CScript&)>& change) {
    CScript script;
    if (!LoadScript(path, script)) return kSfxScriptUnreadable;
    change(script);
    return SaveScript(path, script) ? kSfxOk : kSfxScriptUnwritable;
}

}  // namespace tb::sfx

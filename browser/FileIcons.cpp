#include "browser/FileIcons.h"

#include <shellapi.h>

#include <vector>

#include "browser/IconCache.h"
#include "framework/Handles.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace tb {

namespace {

// Types drawn: at most this many icons are kept for the life of the program.
constexpr size_t kIconCacheSize = 302;

CIconCache& IconCache() {
    static CIconCache cache(kIconCacheSize);
    return cache;
}
UniqueIcon g_defaultIcon;
UniqueIcon g_archiveIcon;

HICON SmallIconOf(const std::string& file, int index) {
    HICON small = nullptr;
    if (::ExtractIconExA(file.c_str(), index, nullptr, &small, 1) == 0) return nullptr;
    return small;
}

// The shell's own pictures are taken by resource id, which Windows and Wine
// share (their icon order differs): 1 unknown file, 2 document, 3 program,
// 4 folder. Wine has no picture 1; its document stands in.
constexpr int kShellUnknownFile = -1;
constexpr int kShellDocument = -2;
constexpr int kShellProgram = -3;
constexpr int kShellFolder = -4;

HICON DefaultIcon() {
    if (!g_defaultIcon) g_defaultIcon.Reset(SmallIconOf("shell32.dll", kShellUnknownFile));
    if (!g_defaultIcon) g_defaultIcon.Reset(SmallIconOf("shell32.dll", kShellDocument));
    return g_defaultIcon.Get();
}

// The default value of a key under HKEY_CLASSES_ROOT, at most `limit` characters.
std::string ClassesRootDefault(const std::string& subKey, DWORD limit = 300) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return {};
    std::vector<char> buffer(limit + 1, '\0');
    DWORD size = limit;
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    std::string value(buffer.data());
    if (type == REG_EXPAND_SZ) {
        char expanded[1024] = {};
        DWORD n = ::ExpandEnvironmentStringsA(value.c_str(), expanded, sizeof expanded);
        if (n > 0 && n <= sizeof expanded) value = expanded;
    }
    return value;
}

bool ClassesRootHasKey(const std::string& subKey) {
    UniqueRegKey key;
    return ::RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

std::string Unquote(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

IconSource FindIconSource(const std::string& key) {
    IconSource source;
    if (key == ".exe" || key == ".EXE") return IconSource{"shell32.dll", kShellProgram, true};
    if (key == ".ico" || key == ".ICO" || key == ".noneext") return IconSource{"", 0, true};
    if (key == ".dirfolder") return IconSource{"shell32.dll", kShellFolder, true};
    if (key.empty()) return source;

    const std::string className = ClassesRootDefault(key);
    if (className.empty()) return source;
    if (ClassesRootHasKey(className + "\\DefaultIcon")) {
        std::string value = ClassesRootDefault(className + "\\DefaultIcon");
        size_t comma = value.find_last_of(',');
        if (value.empty() || comma == std::string::npos) return IconSource{"", 0, false};
        return IconSource{Unquote(value.substr(0, comma)), LeadingInt(value.substr(comma + 1)), true};
    }
    std::string command = ClassesRootDefault(className + "\\shell\\open\\command");
    size_t blank = command.find_last_of(' ');
    if (command.empty() || blank == std::string::npos) return IconSource{"", 0, false};
    return IconSource{Unquote(command.substr(0, blank)), 0, true};
}

HICON LookupFileIcon(const std::string& requested) {
    const std::string key = requested.empty() ? ".noneext" : requested;
    HICON icon = nullptr;
    if (IconCache().Find(key, icon)) return icon ? icon : DefaultIcon();

    IconSource source = FindIconSource(key);
    if (!source.cacheable) return DefaultIcon();
    icon = IconCache().Put(key, UniqueIcon(source.file.empty() ? nullptr : SmallIconOf(source.file, source.index)));
    return icon ? icon : DefaultIcon();
}

size_t CachedFileIcons() { return IconCache().Size(); }

HICON ArchiveIcon() {
    if (!g_archiveIcon)
        g_archiveIcon.Reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM),
                                                            IMAGE_ICON, 16, 16, 0)));
    return g_archiveIcon.Get();
}

}  // namespace tb

#include "sfx/IconResource.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/Handles.h"
#include "sfx/WideText.h"

namespace tb::sfx {

namespace {

// "#" and the number: how a resource given by number is named.
WideString NumberName(long long number) {
    wchar_t text[24];
    ::wsprintfW(text, L"#%ld", long(number));
    return text;
}

constexpr WORD kLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LPCWSTR kIconType = MAKEINTRESOURCEW(3);        // RT_ICON
const LPCWSTR kGroupIconType = MAKEINTRESOURCEW(14);  // RT_GROUP_ICON

// One picture of an icon: the 12 bytes that describe it in a group (width,
// height, colours, reserved, planes, bits, size) and its data.
struct IconImage {
    uint8_t entry[12];
    std::string data;
};

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

bool ImagesOfIcoFile(const std::string& path, std::vector<IconImage>& images, std::string& why) {
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > (16 << 20)) {
        why = "cannot read " + path;
        return false;
    }
    std::string data(size_t(size.QuadPart), '\0');
    DWORD got = 0;
    if (!data.empty() && (!::ReadFile(file.Get(), &data[0], DWORD(data.size()), &got, nullptr) || got != data.size())) {
        why = "cannot read " + path;
        return false;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    if (data.size() < 6 || U16(p) != 0 || U16(p + 2) != 1 || U16(p + 4) == 0 || data.size() < 6 + 16u * U16(p + 4)) {
        why = path + " is not an icon file";
        return false;
    }
    for (unsigned i = 0; i < U16(p + 4); ++i) {
        const uint8_t* e = p + 6 + 16 * i;
        const uint32_t bytes = U32(e + 8), offset = U32(e + 12);
        if (offset > data.size() || bytes > data.size() - offset) {
            why = path + " is damaged";
            return false;
        }
        IconImage image;
        std::memcpy(image.entry, e, 12);
        image.data = data.substr(offset, bytes);
        images.push_back(std::move(image));
    }
    return true;
}

std::string ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC found = ::FindResourceW(module, name, type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), ::SizeofResource(module, found)) : std::string();
}

BOOL CALLBACK CollectGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    auto* names = reinterpret_cast<std::vector<WideString>*>(list);
    names->push_back(IS_INTRESOURCE(name) ? NumberName((long long)reinterpret_cast<UINT_PTR>(name)) : name);
    return TRUE;
}

bool ImagesOfProgram(const IconSource& source, std::vector<IconImage>& images, std::string& why) {
    UniqueModule module(::LoadLibraryExW(Widen(source.file).c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) module.Reset(::LoadLibraryExW(Widen(source.file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) {
        why = "cannot open " + source.file;
        return false;
    }
    WideString group;
    if (source.index < 0) {
        group = NumberName(-(long long)source.index);
    } else {
        std::vector<WideString> names;
        ::EnumResourceNamesW(module.Get(), kGroupIconType, CollectGroup, reinterpret_cast<LONG_PTR>(&names));
        if (size_t(source.index) >= names.size()) {
            why = source.file + " has no icon " + std::to_string(source.index);
            return false;
        }
        group = names[size_t(source.index)];
    }
    const std::string dir = ResourceBytes(module.Get(), group.c_str(), kGroupIconType);
    const auto* p = reinterpret_cast<const uint8_t*>(dir.data());
    if (dir.size() < 6 || U16(p + 2) != 1 || dir.size() < 6 + 14u * U16(p + 4)) {
        why = source.file + " has no icon " + std::to_string(source.index);
        return false;
    }
    for (unsigned i = 0; i < U16(p + 4); ++i) {
        const uint8_t* e = p + 6 + 14 * i;
        IconImage image;
        std::memcpy(image.entry, e, 12);
        image.data = ResourceBytes(module.Get(), MAKEINTRESOURCEW(U16(e + 12)), kIconType);
        if (image.data.empty()) continue;
        images.push_back(std::move(image));
    }
    if (images.empty()) why = source.file + " has an empty icon";
    return !images.empty();
}

// The icon resources a program has, by type, name and language.
struct ResourceName {
    LPCWSTR type;
    WideString name;   // "#id" or a name
    WORD language;
};

struct Collector {
    std::vector<ResourceName>* out;
    LPCWSTR type;
    WideString name;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context) {
    auto* c = reinterpret_cast<Collector*>(context);
    c->out->push_back({c->type, c->name, language});
    return TRUE;
}

void ExistingIcons(const std::string& target, std::vector<ResourceName>& existing) {
    UniqueModule module(::LoadLibraryExW(Widen(target).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return;
    for (LPCWSTR type : {kGroupIconType, kIconType}) {
        std::vector<WideString> names;
        ::EnumResourceNamesW(module.Get(), type, CollectGroup, reinterpret_cast<LONG_PTR>(&names));
        for (const WideString& name : names) {
            Collector c{&existing, type, name};
            ::EnumResourceLanguagesW(module.Get(), type, name.c_str(), CollectLanguage, reinterpret_cast<LONG_PTR>(&c));
        }
    }
}

LPCWSTR NameArgument(const WideString& name) {
    if (!name.empty() && name[0] == L'#') return MAKEINTRESOURCEW(std::wcstoul(name.c_str() + 1, nullptr, 10));
    return name.c_str();
}

}  // namespace

IconSource ParseIconSource(const std::string& text) {
    IconSource source;
    const size_t semicolon = text.rfind(';');
    source.file = text.substr(0, semicolon);
    if (semicolon != std::string::npos) source.index = std::atoi(text.c_str() + semicolon + 1);
    return source;
}

bool ReplaceProgramIcon(const std::string& target, const IconSource& source, std::string& why) {
    std::vector<IconImage> images;
    const bool ico = source.file.size() > 4 && _stricmp(source.file.c_str() + source.file.size() - 4, ".ico") == 0;
    if (!(ico ? ImagesOfIcoFile(source.file, images, why) : ImagesOfProgram(source, images, why))) return false;
    if (images.size() > 0xFFFF) images.resize(0xFFFF);

    std::vector<ResourceName> existing;
    ExistingIcons(target, existing);
    HANDLE update = ::BeginUpdateResourceW(Widen(target).c_str(), FALSE);
    if (!update) {
        why = "cannot update " + target;
        return false;
    }
    bool ok = true;
    for (const ResourceName& r : existing)
        ok = ok && ::UpdateResourceW(update, r.type, NameArgument(r.name), r.language, nullptr, 0);
    std::string group(6, '\0');
    group[2] = 1;
    group[4] = char(images.size() & 0xFF);
    group[5] = char(images.size() >> 8);
    for (size_t i = 0; i < images.size() && ok; ++i) {
        const WORD id = WORD(i + 1);
        ok = ::UpdateResourceW(update, kIconType, MAKEINTRESOURCEW(id), kLanguage, &images[i].data[0],
                               DWORD(images[i].data.size()));
        group.append(reinterpret_cast<const char*>(images[i].entry), 12);
        group += char(id & 0xFF);
        group += char(id >> 8);
    }
    ok = ok && ::UpdateResourceW(update, kGroupIconType, MAKEINTRESOURCEW(1), kLanguage, &group[0], DWORD(group.size()));
    if (!::EndUpdateResourceW(update, ok ? FALSE : TRUE) || !ok) {
        why = "cannot update the icon of " + target;
        return false;
    }
    return true;
}

}  // namespace tb::sfx

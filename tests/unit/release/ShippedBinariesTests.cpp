// The binaries as they ship in dist/: what they tell Windows about themselves
// (the version information Explorer and installers show, the manifest's
// identity) and that they carry no symbols.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Version.h"
#include "doctest/doctest.h"

namespace {

struct ShippedBinary {
    const char* name;
    DWORD fileType;
};

const ShippedBinary kShipped[] = {
    {"Tallybox.exe", VFT_APP}, {"DZIP32.dll", VFT_DLL}, {"DUNZIP32.dll", VFT_DLL},
    {"adfactry.dll", VFT_DLL}, {"tbsfx.exe", VFT_APP},
};

// build\dist\, beside this program's build\tests\.
std::string DistPath(const char* name) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder = folder.substr(0, folder.find_last_of('\\'));
    folder = folder.substr(0, folder.find_last_of('\\'));
    return folder + "\\dist\\" + name;
}

std::vector<char> ReadVersionBlock(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> block(size);
    if (size == 0 || !::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) block.clear();
    return block;
}

std::string StringValue(std::vector<char>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "<missing>";
    return std::string(value, length > 0 ? length - 1 : 0);
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        unsigned char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

}  // namespace

TEST_CASE("every shipped binary names the product, its version and what it is") {
    std::set<std::string> descriptions;
    for (const ShippedBinary& binary : kShipped) {
        CAPTURE(binary.name);
        std::vector<char> block = ReadVersionBlock(DistPath(binary.name));
        REQUIRE_FALSE(block.empty());

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        REQUIRE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        REQUIRE(fixed != nullptr);
        CHECK(fixed->dwSignature == 0xFEEF04BDu);
        CHECK(HIWORD(fixed->dwFileVersionMS) == TB_VERSION_MAJOR);
        CHECK(LOWORD(fixed->dwFileVersionMS) == TB_VERSION_MINOR);
        CHECK(HIWORD(fixed->dwFileVersionLS) == TB_VERSION_PATCH);
        CHECK(fixed->dwProductVersionMS == fixed->dwFileVersionMS);
        CHECK(fixed->dwProductVersionLS == fixed->dwFileVersionLS);
        CHECK(fixed->dwFileType == binary.fileType);

        CHECK(StringValue(block, "ProductName") == "Tallybox");
        CHECK(StringValue(block, "ProductVersion") == TB_VERSION_TEXT);
        CHECK(StringValue(block, "FileVersion") == TB_VERSION_TEXT);
        CHECK(StringValue(block, "OriginalFilename") == binary.name);
        CHECK(StringValue(block, "CompanyName") == "Corvane Software");
        const std::string description = StringValue(block, "FileDescription");
        CHECK(description.find("Tallybox") != std::string::npos);
        descriptions.insert(description);
    }
    // Each file says what it is, not a description copied from another.
    CHECK(descriptions.size() == sizeof kShipped / sizeof kShipped[0]);
}

TEST_CASE("the programs' manifests carry the same version") {
    for (const char* name : {"Tallybox.exe", "tbsfx.exe"}) {
        CAPTURE(name);
        HMODULE module = ::LoadLibraryExA(DistPath(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        REQUIRE(module != nullptr);
        HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
        REQUIRE(found != nullptr);
        const char* text = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
        const std::string manifest(text, ::SizeofResource(module, found));
        ::FreeLibrary(module);
        const std::string identity = manifest.substr(manifest.find("<assemblyIdentity"));
        CHECK(identity.substr(0, identity.find("/>")).find(std::string("version=\"") + TB_VERSION_QUAD + "\"") !=
              std::string::npos);
    }
}

TEST_CASE("shipped binaries carry no symbol table") {
    for (const ShippedBinary& binary : kShipped) {
        CAPTURE(binary.name);
        const std::vector<unsigned char> image = ReadFile(DistPath(binary.name));
        REQUIRE(image.size() > 0x200);
        IMAGE_DOS_HEADER dos;
        std::memcpy(&dos, image.data(), sizeof dos);
        REQUIRE(dos.e_magic == IMAGE_DOS_SIGNATURE);
        REQUIRE(size_t(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS32) <= image.size());
        IMAGE_NT_HEADERS32 nt;
        std::memcpy(&nt, image.data() + dos.e_lfanew, sizeof nt);
        REQUIRE(nt.Signature == IMAGE_NT_SIGNATURE);
        CHECK(nt.FileHeader.PointerToSymbolTable == 0u);
        CHECK(nt.FileHeader.NumberOfSymbols == 0u);
        CHECK((nt.FileHeader.Characteristics & IMAGE_FILE_LOCAL_SYMS_STRIPPED) != 0);
    }
}

// A program outside the program folder, as another vendor's program would be:
// it loads DZIP32.dll, adfactry.dll and DUNZIP32.dll by their full paths from
// the folder it is given, and through them adds files to an archive (`dzip`),
// builds a self-extracting program from it (the four ordinals, with the script
// the program writes) and lists the archive (`dunzip`).
//   dllcaller <dll folder> <archive> <program.exe> <file>...
//     prints one line per entry listed: name, size, CRC-32 (hex), tab-separated
//   dllcaller --no-core <dll folder> <archive> <program.exe> <file>...
//     the folder holds the thin DLLs without DUNZIP32.dll: every call must
//     answer with the library's failure code, and nothing is written
// Exits with 0 when every call answered as expected, 1 otherwise, 2 on bad use.
#include <windows.h>

#include <cstdio>
#include <string>

#include "dll/ZipRecords.h"
#include "framework/Handles.h"
#include "sfx/AdfactryApi.h"
#include "zip/SelfExtractScript.h"

namespace {

struct Call {
    std::string folder;
    std::string archive;
    std::string program;
    std::string fileList;  // quoted, blank-separated
};

bool Expect(const char* what, int result, int expected) {
    if (result == expected) return true;
    std::fprintf(stderr, "%s returned %d, expected %d\n", what, result, expected);
    return false;
}

tb::UniqueModule LoadByFullPath(const std::string& folder, const char* name) {
    const std::string path = folder + "\\" + name;
    tb::UniqueModule module(::LoadLibraryA(path.c_str()));
    if (!module) std::fprintf(stderr, "cannot load %s (error %lu)\n", path.c_str(), ::GetLastError());
    return module;
}

// Adds the files through DZIP32.dll's `dzip`.
int AddFiles(const Call& call) {
    tb::UniqueModule dll = LoadByFullPath(call.folder, "DZIP32.dll");
    if (!dll) return -1;
    auto dzip = reinterpret_cast<int(WINAPI*)(void*)>(reinterpret_cast<void*>(::GetProcAddress(dll.Get(), "dzip")));
    if (!dzip) {
        std::fprintf(stderr, "DZIP32.dll: no dzip\n");
        return -1;
    }
    ZipCommand cmd{};
    cmd.size = sizeof cmd;
    cmd.function = kZipFunctionAdd;
    cmd.archive = call.archive.c_str();
    cmd.fileList = call.fileList.c_str();
    cmd.level = 5;
    cmd.quiet = 1;
    cmd.noFolderNames = 1;
    cmd.replaceExisting = 1;
    cmd.recurseFolders = 1;
    cmd.bufferKiB = 64;
    return dzip(&cmd);
}

// Builds the self-extracting program through adfactry.dll's ordinals, with the
// script the program itself writes; the result of the last call judged.
int BuildProgram(const Call& call) {
    CAdfactryLibrary library(call.folder + "\\" + tb::sfx::kAdfactryDll);
    if (!library.Loaded()) {
        std::fprintf(stderr, "adfactry.dll: an ordinal is missing\n");
        return -1;
    }
    const std::string script = call.program + ".script";
    ::DeleteFileA(script.c_str());
    SelfExtractValues values;
    values.source = call.archive;
    values.output = call.program;
    values.caption = "Caller outside the program folder";
    values.bitmap = call.folder + "\\tb.bmp";
    const SelfExtractResult result = WriteAndBuildSelfExtractor(library, script, values, nullptr);
    ::DeleteFileA(script.c_str());
    return result.code;
}

// Lists the archive through DUNZIP32.dll's `dunzip`: the count, then each entry.
bool ListArchive(const Call& call) {
    tb::UniqueModule dll = LoadByFullPath(call.folder, "DUNZIP32.dll");
    if (!dll) return false;
    auto dunzip =
        reinterpret_cast<int(WINAPI*)(void*)>(reinterpret_cast<void*>(::GetProcAddress(dll.Get(), "dunzip")));
    if (!dunzip) {
        std::fprintf(stderr, "DUNZIP32.dll: no dunzip\n");
        return false;
    }
    ZipEntryInfo info{};
    UnzipCommand cmd{};
    cmd.size = sizeof cmd;
    cmd.function = kUnzipFunctionCount;
    cmd.archive = call.archive.c_str();
    cmd.entryInfo = &info;
    cmd.fileSpec = "*.*";
    cmd.index = -1;
    cmd.noFolderNames = 1;
    cmd.allFiles = 1;
    cmd.restoreTimes = 1;
    cmd.quiet = 1;
    if (!Expect("dunzip count", dunzip(&cmd), kZipResultOk)) return false;
    const int count = cmd.count;
    cmd.function = kUnzipFunctionNext;
    for (int i = 0; i < count; ++i) {
        if (!Expect("dunzip next entry", dunzip(&cmd), kZipResultOk)) return false;
        std::printf("%s\t%u\t%08x\n", info.path, info.size, info.crc);
    }
    return true;
}

bool WithCore(const Call& call) {
    // The thin DLLs first: DUNZIP32.dll is not yet in the process, so nothing
    // but their own folder can give it to them.
    bool ok = Expect("dzip add", AddFiles(call), kZipResultOk);
    ok = ok && Expect("the self-extracting build", BuildProgram(call), tb::sfx::kSfxOk);
    ok = ok && ListArchive(call);
    // Every DLL this program loaded has been freed again; the core, which the
    // thin DLLs loaded, stays pinned.
    const std::string core = call.folder + "\\DUNZIP32.dll";
    if (ok && !::GetModuleHandleA(core.c_str())) {
        std::fprintf(stderr, "%s was unloaded\n", core.c_str());
        ok = false;
    }
    return ok;
}

bool WithoutCore(const Call& call) {
    bool ok = Expect("dzip add without the core", AddFiles(call), kZipResultInternal);
    // The first call, ordinal 2, answers the failure the program reports.
    ok = Expect("the self-extracting build without the core", BuildProgram(call), tb::sfx::kSfxInternal) && ok;
    for (const std::string& file : {call.archive, call.program}) {
        if (::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::fprintf(stderr, "%s was written\n", file.c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    const bool noCore = argc > 1 && std::string(argv[1]) == "--no-core";
    if (noCore) ++first;
    if (argc < first + 4) {
        std::fprintf(stderr, "usage: dllcaller [--no-core] <dll folder> <archive> <program.exe> <file>...\n");
        return 2;
    }
    Call call{argv[first], argv[first + 1], argv[first + 2], std::string()};
    for (int i = first + 3; i < argc; ++i) call.fileList += (call.fileList.empty() ? "\"" : " \"") + std::string(argv[i]) + "\"";
    const bool ok = noCore ? WithoutCore(call) : WithCore(call);
    std::fflush(stdout);
    return ok ? 0 : 1;
}

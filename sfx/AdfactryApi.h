#pragma once
// adfactry.dll, the builder of self-extracting programs, as its callers see it:
// four functions exported by ordinal only, text as NUL-terminated 8-bit strings
// in the caller's code page, 0 for success and an error code otherwise.

#include <windows.h>

namespace tb::sfx {

constexpr WORD kOrdinalNewScript = 2;    // (script path): a new, empty script at that path
constexpr WORD kOrdinalSetNumber = 5;    // (script path, id, number)
constexpr WORD kOrdinalSetText = 7;      // (script path, id, text)
constexpr WORD kOrdinalBuild = 100;      // (script path, 0): build the program the script describes

using NewScriptFn = int(WINAPI*)(const char* script);
using SetNumberFn = int(WINAPI*)(const char* script, int id, int number);
using SetTextFn = int(WINAPI*)(const char* script, int id, const char* text);
using BuildFn = int(WINAPI*)(const char* script, int reserved);

// Error codes.
enum : int {
    kSfxOk = 0,
    kSfxBadArgument = 1,       // a missing path or text, an id out of range
    kSfxScriptUnreadable = 2,  // the script is missing or is not one of ours
    kSfxScriptUnwritable = 3,
    kSfxNoSource = 4,          // the script names no source archive (100)
    kSfxNoOutput = 5,          // the script names no output program (101)
    kSfxSourceUnreadable = 6,  // the source archive cannot be opened or read
    kSfxSourceNotZip = 7,      // the source is not a ZIP archive, or a damaged one
    kSfxStubMissing = 8,       // the extractor program beside the library is missing or damaged
    kSfxOutputUnwritable = 9,  // the program cannot be written (folder, disk full, in use)
    kSfxInternal = 10,         // out of memory or an unexpected failure
};

// The file name of the library.
constexpr char kAdfactryDll[] = "adfactry.dll";

}  // namespace tb::sfx

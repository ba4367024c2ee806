#pragma once
// The link from a thin DLL to the ZIP core. DZIP32.dll and adfactry.dll hold no
// ZIP code of their own: each export calls the function of the same name in
// DUNZIP32.dll, so the core and its runtime ship once. The thin DLL loads
// DUNZIP32.dll at its first call by the full path of its own folder, never by
// the caller's search order: a program that loads a thin DLL by full path from
// another folder finds the core beside it. Once loaded, the core stays for the
// life of the process, so no call can find it unloaded under it.
//
// Built without the C and C++ runtimes (the thin DLLs are a few kilobytes):
// no exceptions, no static objects with constructors.

#include <windows.h>

namespace tb::corelink {

// The file name of the DLL that holds the core.
constexpr wchar_t kCoreDll[] = L"DUNZIP32.dll";

// The function `name` of DUNZIP32.dll in the folder of this thin DLL; null when
// that DLL cannot be loaded or does not export the function.
FARPROC CoreFunction(const char* name);

// Calls the core's function `name` of type Fn with `args`, or returns `failure`
// when it cannot be reached.
template <typename Fn, typename... Args>
int CallCore(const char* name, int failure, Args... args) {
    Fn function = reinterpret_cast<Fn>(reinterpret_cast<void*>(CoreFunction(name)));
    return function ? function(args...) : failure;
}

}  // namespace tb::corelink

// The entry point of a thin DLL: notes the DLL's own module, whose folder is
// where the core is looked for.
extern "C" BOOL WINAPI CoreLinkEntry(HINSTANCE instance, DWORD reason, LPVOID reserved);

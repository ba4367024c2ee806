#include "CoreLink.h"

namespace tb::corelink {

namespace {

// This thin DLL, as the loader handed it to the entry point.
HMODULE g_self = nullptr;
// DUNZIP32.dll once loaded and pinned; published once, read without a lock.
void* volatile g_core = nullptr;

// DUNZIP32.dll in the folder of this DLL, loaded and pinned; null when it is
// missing or cannot be loaded.
HMODULE LoadCoreBesideSelf() {
    // Kept below a page of stack: the thin DLLs link no stack probe.
    wchar_t path[MAX_PATH * 3];
    const DWORD capacity = DWORD(sizeof path / sizeof path[0]);
    const DWORD length = ::GetModuleFileNameW(g_self, path, capacity);
    if (length == 0 || length >= capacity) return nullptr;
    DWORD folderEnd = length;
    while (folderEnd > 0 && path[folderEnd - 1] != L'\\' && path[folderEnd - 1] != L'/') --folderEnd;
    const DWORD nameLength = DWORD(sizeof kCoreDll / sizeof kCoreDll[0]);  // with its NUL
    if (folderEnd == 0 || folderEnd + nameLength > capacity) return nullptr;
    for (DWORD i = 0; i < nameLength; ++i) path[folderEnd + i] = kCoreDll[i];

    // The core's own imports are looked for beside it too.
    HMODULE core = ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!core) return nullptr;
    // The reference of this load is never given back, and the module is also
    // pinned: no FreeLibrary, by this DLL or by the caller, unloads the core
    // while a call from another thread may still run in it.
    HMODULE pinned = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                         reinterpret_cast<LPCWSTR>(core), &pinned);
    return core;
}

HMODULE Core() {
    if (void* known = g_core) return static_cast<HMODULE>(known);
    HMODULE core = LoadCoreBesideSelf();
    // Two first calls at once load the same module; either may publish it.
    if (core) ::InterlockedCompareExchangePointer(&g_core, core, nullptr);
    return core;
}

}  // namespace

FARPROC CoreFunction(const char* name) {
    HMODULE core = Core();
    return core ? ::GetProcAddress(core, name) : nullptr;
}

}  // namespace tb::corelink

extern "C" BOOL WINAPI CoreLinkEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        tb::corelink::g_self = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

/* DZIP32.dll: no code of its own. Its one export, `dzip`, is forwarded to
   DUNZIP32.dll (DZIP32.forward.def), which the loader then loads; this entry
   point only lets the loader attach it. */
#include <windows.h>

BOOL WINAPI ForwarderEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

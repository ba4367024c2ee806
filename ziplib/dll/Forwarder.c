/* The entry point of a DLL with no code of its own, whose exports are all
   forwarded to DUNZIP32.dll: DZIP32.dll (DZIP32.forward.def) and adfactry.dll
   (sfx/adfactry.def). The loader loads DUNZIP32.dll for them; this entry point
   only lets it attach the forwarder. */
#include <windows.h>

BOOL WINAPI ForwarderEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

// DZIP32.dll: `dzip`, the writing side of the ZIP library, called through to
// the core in DUNZIP32.dll beside it.
#include "CoreLink.h"
#include "ZipRecords.h"

extern "C" int WINAPI dzip(void* record) {
    return tb::corelink::CallCore<int(WINAPI*)(void*)>("dzip", kZipResultInternal, record);
}

/* Memory for zlib's Deflate64 decoder. It is compiled with its allocator
   names mapped to these: zlib's own are internal to the zlib library (hidden
   in the shared one Linux systems link). */
#include <stdlib.h>

void* zl_inflate9_alloc(void* opaque, unsigned items, unsigned size) {
    (void)opaque;
    return calloc(items, size);
}

void zl_inflate9_free(void* opaque, void* address) {
    (void)opaque;
    free(address);
}

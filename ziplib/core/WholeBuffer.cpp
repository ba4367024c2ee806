// Whole-buffer inflate and CRC-32; the compressor is in WholeDeflater.cpp, so
// that a program that only reads links no compressor.
#include "WholeBuffer.h"

#include <libdeflate.h>

namespace zl {

uint32_t Crc32(uint32_t crc, const void* data, size_t size) { return libdeflate_crc32(crc, data, size); }

InflateResult InflateWhole(const uint8_t* data, size_t size, uint8_t* out, size_t capacity, size_t& produced) {
    produced = 0;
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    if (d == nullptr) return InflateResult::kNoMemory;
    size_t used = 0;
    const libdeflate_result r = libdeflate_deflate_decompress_ex(d, data, size, out, capacity, &used, &produced);
    libdeflate_free_decompressor(d);
    if (r == LIBDEFLATE_SUCCESS) return InflateResult::kOk;
    return r == LIBDEFLATE_INSUFFICIENT_SPACE ? InflateResult::kTooLong : InflateResult::kDamaged;
}

}  // namespace zl

#include "WholeBuffer.h"

#include <libdeflate.h>

namespace zl {

uint32_t Crc32(uint32_t crc, const void* data, size_t size) { return libdeflate_crc32(crc, data, size); }

CWholeDeflater::~CWholeDeflater() {
    if (m_compressor) libdeflate_free_compressor(m_compressor);
}

size_t CWholeDeflater::Compress(int level, const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
    if (m_compressor == nullptr || level != m_level) {
        if (m_compressor) libdeflate_free_compressor(m_compressor);
        m_compressor = libdeflate_alloc_compressor(level);
        m_level = level;
        if (m_compressor == nullptr) return 0;
    }
    // Room for one byte less than the input: larger output is not kept.
    if (size < 2) return 0;
    out.resize(size - 1);
    return libdeflate_deflate_compress(m_compressor, data, size, out.data(), out.size());
}

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

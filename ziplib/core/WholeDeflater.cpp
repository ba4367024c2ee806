#include "WholeBuffer.h"

#include <libdeflate.h>

namespace zl {

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

}  // namespace zl

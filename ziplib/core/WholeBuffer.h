#pragma once
// Deflate and inflate of whole buffers (libdeflate), for the entries whose
// size is known before they are read: every file we add up to a few MiB, every
// such entry we extract. Streams (a large file, the blocks of one that join
// into a single stream) stay with zlib. Also CRC-32 with the processor's
// fastest instructions.

#include <cstddef>
#include <cstdint>
#include <vector>

struct libdeflate_compressor;
struct libdeflate_decompressor;

namespace zl {

// Entries up to this size (stored and uncompressed) go through the whole-buffer paths.
constexpr size_t kWholeBufferLimit = 4 * 1024 * 1024;

uint32_t Crc32(uint32_t crc, const void* data, size_t size);

// One compressor kept for many files (it holds its match finder's tables).
class CWholeDeflater {
public:
    CWholeDeflater() = default;
    ~CWholeDeflater();
    CWholeDeflater(const CWholeDeflater&) = delete;
    CWholeDeflater& operator=(const CWholeDeflater&) = delete;
    // Deflates `size` bytes into `out` (resized to fit); the deflated size, or
    // 0 when it would not be smaller than the input (or memory ran out).
    size_t Compress(int level, const uint8_t* data, size_t size, std::vector<uint8_t>& out);

private:
    libdeflate_compressor* m_compressor = nullptr;
    int m_level = -1;
};

enum class InflateResult { kOk, kDamaged, kTooLong, kNoMemory };

// Inflates a whole deflate stream into `out` (at most `capacity` bytes);
// `produced` is how many bytes it gave.
InflateResult InflateWhole(const uint8_t* data, size_t size, uint8_t* out, size_t capacity, size_t& produced);

}  // namespace zl

#include "DecodeMemory.h"

#include <cstdlib>

namespace zl {

namespace {

// Each block starts with its size, so that a free gives back what it counted;
// the header keeps the block aligned for any type.
constexpr size_t kHeader = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

constexpr size_t kMiB = 1024 * 1024;

}  // namespace

void* CDecodeMemory::Allocate(size_t count, size_t size) {
    if (size != 0 && count > (SIZE_MAX - kHeader) / size) {
        m_refused = UINT64_MAX;
        return nullptr;
    }
    const size_t bytes = count * size;
    if (bytes > kDecoderMemoryMost - m_used) {
        m_refused = uint64_t(m_used) + bytes;
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(kHeader + bytes));
    if (block == nullptr) return nullptr;
    *reinterpret_cast<size_t*>(block) = bytes;
    m_used += bytes;
    return block + kHeader;
}

void CDecodeMemory::Free(void* block) {
    if (block == nullptr) return;
    auto* start = static_cast<unsigned char*>(block) - kHeader;
    m_used -= *reinterpret_cast<size_t*>(start);
    std::free(start);
}

bool CDecodeMemory::Fits(uint64_t need, std::string& why) {
    if (need <= kDecoderMemoryMost - m_used) return true;
    m_refused = need;
    Refuse(need, why);
    return false;
}

ZipResult CDecodeMemory::OutOfMemory(std::string& why) const {
    if (m_refused != 0) {
        Refuse(m_refused, why);
        return kZipUnsupported;
    }
    why = "not enough memory to decompress the entry";
    return kZipInternal;
}

void CDecodeMemory::Refuse(uint64_t need, std::string& why) const {
    why = std::string(m_method) + " needs more memory than allowed (" +
          (need == UINT64_MAX ? std::string("more than can be counted") : std::to_string((need + kMiB - 1) / kMiB) + " MiB") +
          ", at most " + std::to_string(kDecodeMemoryBudget / kMiB) + " MiB per entry)";
}

void* CDecodeMemory::ZlibAlloc(void* self, unsigned items, unsigned size) {
    return static_cast<CDecodeMemory*>(self)->Allocate(items, size);
}

void* CDecodeMemory::Bzip2Alloc(void* self, int count, int size) {
    if (count < 0 || size < 0) return nullptr;
    return static_cast<CDecodeMemory*>(self)->Allocate(size_t(count), size_t(size));
}

void* CDecodeMemory::LzmaAlloc(void* self, size_t count, size_t size) {
    return static_cast<CDecodeMemory*>(self)->Allocate(count, size);
}

void CDecodeMemory::FreeBlock(void* self, void* block) { static_cast<CDecodeMemory*>(self)->Free(block); }

}  // namespace zl

#pragma once
// Where a Windows program's own image ends in its file: the end of its last
// section. A self-extracting program carries its payload right behind it.

#include <cstddef>
#include <cstdint>

namespace tb::sfx {

// `head` holds the start of the file (its headers, at least the section
// table). Fails for anything that is not a PE image, and for an image that
// keeps a symbol table behind its sections (the extractor is linked stripped).
bool PeImageEnd(const uint8_t* head, size_t headSize, uint64_t& end);

// Bytes of the file start that PeImageEnd may need.
constexpr size_t kPeHeadSize = 4096;

}  // namespace tb::sfx

#include "sfx/PeImage.h"

namespace tb::sfx {

namespace {
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
}  // namespace

bool PeImageEnd(const uint8_t* head, size_t size, uint64_t& end) {
    if (size < 0x40 || head[0] != 'M' || head[1] != 'Z') return false;
    const uint32_t pe = U32(head + 0x3C);
    if (pe > size || size - pe < 24 || U32(head + pe) != 0x00004550) return false;
    const uint8_t* coff = head + pe + 4;
    const uint16_t sections = U16(coff + 2);
    const uint32_t symbols = U32(coff + 8);
    const uint16_t optionalSize = U16(coff + 16);
    if (symbols != 0 || sections == 0) return false;
    const uint64_t table = uint64_t(pe) + 24 + optionalSize;
    if (table + uint64_t(sections) * 40 > size) return false;
    uint64_t last = table + uint64_t(sections) * 40;
    for (uint16_t i = 0; i < sections; ++i) {
        const uint8_t* s = head + table + uint64_t(i) * 40;
        const uint32_t rawSize = U32(s + 16), rawPointer = U32(s + 20);
        if (rawSize != 0 && uint64_t(rawPointer) + rawSize > last) last = uint64_t(rawPointer) + rawSize;
    }
    end = last;
    return true;
}

}  // namespace tb::sfx

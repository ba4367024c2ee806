#pragma once
// The memory one entry may make the reader take, whatever its headers claim,
// and the allocator through which the decoders' libraries (zlib, bzip2,
// liblzma) get theirs, counted against it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "Events.h"
#include "WholeBuffer.h"

namespace zl {

// The most memory decoding one entry may take. The largest need of an archive
// made with 7-Zip's strongest ("ultra", -mx=9) settings is LZMA's dictionary
// of 256 MiB (7-Zip 26; older versions took 64 MiB), plus the decoder's state
// of some KiB and the reader's own buffers (kReaderBuffersMost); bzip2 needs
// under 4 MiB at its largest block size and Deflate64 a 64 KiB window. The
// budget holds that with room to spare and leaves most of the 32-bit DLL's
// 2 GiB of address space to the program (extraction decodes one large entry
// at a time). An entry that needs more is skipped: refused, not attempted.
constexpr size_t kDecodeMemoryBudget = 320u * 1024 * 1024;

// What the reader holds itself while it decodes an entry: the stored bytes and
// the decoded bytes of an entry read whole, and a gathered copy of the stored
// bytes for sources that give them in pieces. The rest of the budget is the
// decoder's.
constexpr size_t kReaderBuffersMost = 3 * kWholeBufferLimit + 1024 * 1024;
constexpr size_t kDecoderMemoryMost = kDecodeMemoryBudget - kReaderBuffersMost;
static_assert(kReaderBuffersMost < kDecodeMemoryBudget / 8, "the reader's own buffers take a small part of the budget");

// The memory of one decoder: what its library allocates is counted, and a
// request that would take it past kDecoderMemoryMost is refused (the library
// then reports that it ran out of memory). One decoder, one thread.
class CDecodeMemory {
public:
    // `method` names the method in the messages ("LZMA").
    explicit CDecodeMemory(const char* method) : m_method(method) {}
    CDecodeMemory(const CDecodeMemory&) = delete;
    CDecodeMemory& operator=(const CDecodeMemory&) = delete;

    void* Allocate(size_t count, size_t size);
    void Free(void* block);
    size_t Used() const { return m_used; }

    // A need known before decoding starts (an LZMA dictionary): false, with
    // the refusal in `why`, when it does not fit.
    bool Fits(uint64_t need, std::string& why);
    // The result and message of a decoder whose library ran out of memory:
    // the budget refused it (the entry is skipped as one the reader does not
    // read), or the system had no more.
    ZipResult OutOfMemory(std::string& why) const;

    // The allocation callbacks of each library; their opaque pointer is `this`.
    static void* ZlibAlloc(void* self, unsigned items, unsigned size);
    static void* Bzip2Alloc(void* self, int count, int size);
    static void* LzmaAlloc(void* self, size_t count, size_t size);
    static void FreeBlock(void* self, void* block);

private:
    void Refuse(uint64_t need, std::string& why) const;

    const char* m_method;
    size_t m_used = 0;
    uint64_t m_refused = 0;   // the total the refused request asked for; 0 while none was
};

}  // namespace zl

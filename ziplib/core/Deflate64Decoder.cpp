// Method 9: Deflate64, through zlib's inflateBack9, which pulls its input and
// pushes its output through callbacks (64 KiB at a time, its window).
#include <zlib.h>

#include <infback9.h>

#include "DecodeMemory.h"
#include "Decoders.h"

namespace zl {

namespace {

constexpr size_t kWindowSize = 65536;

class CDeflate64Decoder : public IDecoder {
public:
    ZipResult Run(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>& buffer, std::string& why) override {
        m_source = &source;
        m_sink = &sink;
        buffer.resize(kWindowSize);
        z_stream zs{};
        zs.zalloc = CDecodeMemory::ZlibAlloc;
        zs.zfree = CDecodeMemory::FreeBlock;
        zs.opaque = &m_memory;
        if (inflateBack9Init(&zs, buffer.data()) != Z_OK) return m_memory.OutOfMemory(why);
        zs.next_in = Z_NULL;
        zs.avail_in = 0;
        const int z = inflateBack9(&zs, In, this, Out, this);
        inflateBack9End(&zs);
        if (m_stopped != kZipOk) return m_stopped;
        if (z == Z_STREAM_END) return kZipOk;
        if (z == Z_MEM_ERROR) return m_memory.OutOfMemory(why);
        why = z == Z_BUF_ERROR ? "the compressed data ends too early" : "the compressed data is damaged";
        return kZipBadArchive;
    }

private:
    // Gives the next piece; 0 ends decoding (at the end of the data, or when
    // the source failed).
    static unsigned In(void* self, z_const unsigned char** data) {
        auto* me = static_cast<CDeflate64Decoder*>(self);
        const uint8_t* piece = nullptr;
        size_t size = 0;
        me->m_stopped = me->m_source->Next(piece, size);
        if (me->m_stopped != kZipOk) return 0;
        *data = const_cast<unsigned char*>(piece);
        return unsigned(size);
    }
    // Takes decoded bytes; non-zero stops decoding.
    static int Out(void* self, unsigned char* data, unsigned size) {
        auto* me = static_cast<CDeflate64Decoder*>(self);
        me->m_stopped = me->m_sink->Take(data, size);
        return me->m_stopped != kZipOk;
    }

    CDecodeMemory m_memory{"Deflate64"};
    IDecodeSource* m_source = nullptr;
    IDecodeSink* m_sink = nullptr;
    ZipResult m_stopped = kZipOk;
};

}  // namespace

std::unique_ptr<IDecoder> MakeDeflate64Decoder(const DecodeParams&) {
    return std::unique_ptr<IDecoder>(new CDeflate64Decoder());
}

}  // namespace zl

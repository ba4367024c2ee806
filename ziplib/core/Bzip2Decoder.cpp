// Method 12: bzip2, through libbz2.
#include <bzlib.h>

#include <cstdlib>

#include "DecodeLoop.h"

// The Windows builds link a libbz2 made without its stdio functions (which
// would bring a whole printf into every binary); such a library calls this on
// a broken internal invariant, where the stdio one prints and ends the
// process. It ends the process too. Debian's own libbz2 (the native build)
// never calls it.
extern "C" void bz_internal_error(int) { std::abort(); }

namespace zl {

namespace {

constexpr size_t kOutputMost = 256 * 1024;

class CBzip2Decoder : public IDecoder, private IDecodeStep {
public:
    explicit CBzip2Decoder(const DecodeParams& params) : m_params(params) {
        m_bz.bzalloc = CDecodeMemory::Bzip2Alloc;
        m_bz.bzfree = CDecodeMemory::FreeBlock;
        m_bz.opaque = &m_memory;
    }
    ~CBzip2Decoder() override {
        if (m_on) BZ2_bzDecompressEnd(&m_bz);
    }
    ZipResult Run(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>& buffer, std::string& why) override {
        if (BZ2_bzDecompressInit(&m_bz, 0, 0) != BZ_OK) return m_memory.OutOfMemory(why);
        m_on = true;
        return RunDecodeLoop(source, sink, buffer, OutputPiece(m_params, kOutputMost), why, *this, m_memory);
    }

private:
    StepResult Step(const uint8_t*& in, size_t& inLeft, uint8_t*& out, size_t& outLeft) override {
        m_bz.next_in = const_cast<char*>(reinterpret_cast<const char*>(in));
        m_bz.avail_in = unsigned(inLeft);
        m_bz.next_out = reinterpret_cast<char*>(out);
        m_bz.avail_out = unsigned(outLeft);
        const int r = BZ2_bzDecompress(&m_bz);
        in = reinterpret_cast<const uint8_t*>(m_bz.next_in);
        inLeft = m_bz.avail_in;
        out = reinterpret_cast<uint8_t*>(m_bz.next_out);
        outLeft = m_bz.avail_out;
        if (r == BZ_STREAM_END) return StepResult::kEnd;
        if (r == BZ_OK) return StepResult::kMore;
        return r == BZ_MEM_ERROR ? StepResult::kNoMemory : StepResult::kDamaged;
    }

    DecodeParams m_params;
    CDecodeMemory m_memory{"bzip2"};
    bz_stream m_bz{};
    bool m_on = false;
};

}  // namespace

std::unique_ptr<IDecoder> MakeBzip2Decoder(const DecodeParams& params) {
    return std::unique_ptr<IDecoder>(new CBzip2Decoder(params));
}

}  // namespace zl

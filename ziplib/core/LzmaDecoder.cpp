// Method 14: LZMA, through liblzma. The data starts with a small header: the
// LZMA SDK's version (2 bytes), the size of the properties (2 bytes, 5) and the
// properties (lc/lp/pb, dictionary size); then the raw LZMA stream, with an end
// marker or ending at the entry's size.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <lzma.h>

#include "DecodeLoop.h"
#include "Format.h"

namespace zl {

namespace {

constexpr size_t kOutputMost = 256 * 1024;
constexpr size_t kHeaderSize = 4;
constexpr size_t kPropertiesSize = 5;

class CLzmaDecoder : public IDecoder, private IDecodeStep, private IDecodeSource {
public:
    explicit CLzmaDecoder(const DecodeParams& params) : m_params(params) {
        m_allocator.alloc = CDecodeMemory::LzmaAlloc;
        m_allocator.free = CDecodeMemory::FreeBlock;
        m_allocator.opaque = &m_memory;
        m_strm.allocator = &m_allocator;
    }
    ~CLzmaDecoder() override { lzma_end(&m_strm); }

    ZipResult Run(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>& buffer, std::string& why) override {
        m_source = &source;
        uint8_t header[kHeaderSize + kPropertiesSize];
        ZipResult r = ReadHeader(header, sizeof header, why);
        if (r != kZipOk) return r;
        if (Get16(header + 2) != kPropertiesSize) {
            why = "the LZMA header is damaged";
            return kZipBadArchive;
        }
        r = Start(header + kHeaderSize, why);
        if (r != kZipOk) return r;
        // What the header's pieces left over goes first, then the source.
        return RunDecodeLoop(*this, sink, buffer, OutputPiece(m_params, kOutputMost), why, *this, m_memory);
    }

private:
    // The header may span pieces of the source; what follows it in the last
    // piece is kept for the decoder.
    ZipResult ReadHeader(uint8_t* header, size_t size, std::string& why) {
        size_t have = 0;
        while (have < size) {
            ZipResult r = m_source->Next(m_rest, m_restSize);
            if (r != kZipOk) return r;
            if (m_restSize == 0) {
                why = "the compressed data ends too early";
                return kZipBadArchive;
            }
            const size_t n = std::min(size - have, m_restSize);
            std::memcpy(header + have, m_rest, n);
            have += n;
            m_rest += n;
            m_restSize -= n;
        }
        return kZipOk;
    }

    ZipResult Start(const uint8_t* properties, std::string& why) {
        lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
        if (lzma_properties_decode(&filters[0], nullptr, properties, kPropertiesSize) != LZMA_OK) {
            why = "the entry's LZMA settings are not supported";
            return kZipUnsupported;
        }
        auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
        const std::unique_ptr<void, void (*)(void*)> owned(options, std::free);   // the decoder keeps a copy
        // A dictionary larger than the entry is never used; the header's own
        // may claim up to 4 GiB, and the entry's size as much. What is left
        // must fit the budget.
        options->dict_size = uint32_t(std::max<uint64_t>(LZMA_DICT_SIZE_MIN, std::min<uint64_t>(options->dict_size, m_params.size)));
        // Flag bit 1 announces an end marker; one right after the entry's
        // size is accepted either way, as other readers do.
        options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
        options->ext_size_low = uint32_t(m_params.size);
        options->ext_size_high = uint32_t(m_params.size >> 32);
        const uint64_t need = lzma_raw_decoder_memusage(filters);
        if (need == UINT64_MAX) {
            why = "the entry's LZMA settings are not supported";
            return kZipUnsupported;
        }
        if (!m_memory.Fits(need, why)) return kZipUnsupported;
        const lzma_ret r = lzma_raw_decoder(&m_strm, filters);
        if (r == LZMA_OK) return kZipOk;
        if (r == LZMA_MEM_ERROR) return m_memory.OutOfMemory(why);
        why = "the entry's LZMA settings are not supported";
        return kZipUnsupported;
    }

    ZipResult Next(const uint8_t*& data, size_t& size) override {
        if (m_restSize > 0) {
            data = m_rest;
            size = m_restSize;
            m_restSize = 0;
            return kZipOk;
        }
        return m_source->Next(data, size);
    }

    StepResult Step(const uint8_t*& in, size_t& inLeft, uint8_t*& out, size_t& outLeft) override {
        m_strm.next_in = in;
        m_strm.avail_in = inLeft;
        m_strm.next_out = out;
        m_strm.avail_out = outLeft;
        const lzma_ret r = lzma_code(&m_strm, LZMA_RUN);
        in = m_strm.next_in;
        inLeft = m_strm.avail_in;
        out = m_strm.next_out;
        outLeft = m_strm.avail_out;
        if (r == LZMA_STREAM_END) return StepResult::kEnd;
        if (r == LZMA_OK || r == LZMA_BUF_ERROR) return StepResult::kMore;
        return r == LZMA_MEM_ERROR ? StepResult::kNoMemory : StepResult::kDamaged;
    }

    DecodeParams m_params;
    CDecodeMemory m_memory{"LZMA"};
    lzma_allocator m_allocator{};
    IDecodeSource* m_source = nullptr;
    const uint8_t* m_rest = nullptr;
    size_t m_restSize = 0;
    lzma_stream m_strm = LZMA_STREAM_INIT;
};

}  // namespace

std::unique_ptr<IDecoder> MakeLzmaDecoder(const DecodeParams& params) {
    return std::unique_ptr<IDecoder>(new CLzmaDecoder(params));
}

}  // namespace zl

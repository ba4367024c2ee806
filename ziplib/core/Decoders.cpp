#include "Decoders.h"

#include <algorithm>
#include <zlib.h>

#include "DecodeLoop.h"
#include "Format.h"
#include "WholeBuffer.h"

namespace zl {

size_t OutputPiece(const DecodeParams& params, size_t most) {
    return params.size < most ? size_t(params.size) + 1 : most;
}

ZipResult RunDecodeLoop(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>& buffer, size_t piece,
                        std::string& why, IDecodeStep& step, const CDecodeMemory& memory) {
    buffer.resize(piece);
    const uint8_t* in = nullptr;
    size_t inLeft = 0;
    bool inputEnded = false;
    for (;;) {
        if (inLeft == 0 && !inputEnded) {
            ZipResult r = source.Next(in, inLeft);
            if (r != kZipOk) return r;
            inputEnded = inLeft == 0;
        }
        const size_t inBefore = inLeft;
        uint8_t* out = buffer.data();
        size_t outLeft = buffer.size();
        const StepResult s = step.Step(in, inLeft, out, outLeft);
        const size_t produced = buffer.size() - outLeft;
        if (produced > 0) {
            ZipResult r = sink.Take(buffer.data(), produced);
            if (r != kZipOk) return r;
        }
        switch (s) {
        case StepResult::kEnd: return kZipOk;
        case StepResult::kDamaged: why = "the compressed data is damaged"; return kZipBadArchive;
        case StepResult::kNoMemory: return memory.OutOfMemory(why);
        case StepResult::kMore: break;
        }
        // A decoder that neither takes input nor gives output is stuck: at
        // the end of the data it wants more than there is.
        if (produced == 0 && inLeft == inBefore && (inLeft > 0 || inputEnded)) {
            why = inputEnded ? "the compressed data ends too early" : "the compressed data is damaged";
            return kZipBadArchive;
        }
    }
}

namespace {

constexpr size_t kOutputMost = 256 * 1024;

class CStoredDecoder : public IDecoder {
public:
    ZipResult Run(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>&, std::string&) override {
        for (;;) {
            const uint8_t* data = nullptr;
            size_t size = 0;
            ZipResult r = source.Next(data, size);
            if (r != kZipOk || size == 0) return r;
            r = sink.Take(data, size);
            if (r != kZipOk) return r;
        }
    }
};

class CInflateDecoder : public IDecoder, private IDecodeStep {
public:
    explicit CInflateDecoder(const DecodeParams& params) : m_params(params) {
        m_zs.zalloc = CDecodeMemory::ZlibAlloc;
        m_zs.zfree = CDecodeMemory::FreeBlock;
        m_zs.opaque = &m_memory;
    }
    ~CInflateDecoder() override {
        if (m_on) inflateEnd(&m_zs);
    }
    ZipResult Run(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>& buffer, std::string& why) override {
        if (m_params.packedSize <= kWholeBufferLimit && m_params.size <= kWholeBufferLimit)
            return RunWhole(source, sink, buffer, why);
        if (inflateInit2(&m_zs, -MAX_WBITS) != Z_OK) return m_memory.OutOfMemory(why);
        m_on = true;
        return RunDecodeLoop(source, sink, buffer, OutputPiece(m_params, kOutputMost), why, *this, m_memory);
    }

private:
    // An entry of known, moderate size: inflated in one call into a buffer of
    // its declared size, which bounds the output as the streaming path does.
    ZipResult RunWhole(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>& buffer, std::string& why) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        ZipResult r = source.Next(data, size);
        if (r != kZipOk) return r;
        // The reader gives such an entry in one piece; other sources are gathered.
        std::vector<uint8_t> gathered;
        if (size > 0 && size < m_params.packedSize) {
            gathered.assign(data, data + size);
            for (;;) {
                if ((r = source.Next(data, size)) != kZipOk) return r;
                if (size == 0) break;
                gathered.insert(gathered.end(), data, data + size);
            }
            data = gathered.data();
            size = gathered.size();
        }
        const size_t capacity = size_t(m_params.size);
        if (buffer.size() < capacity + 1) buffer.resize(capacity + 1);
        size_t produced = 0;
        switch (InflateWhole(data, size, buffer.data(), capacity, produced)) {
        case InflateResult::kOk: return produced > 0 ? sink.Take(buffer.data(), produced) : kZipOk;
        case InflateResult::kTooLong: why = "the entry holds more data than its size says"; return kZipBadArchive;
        case InflateResult::kNoMemory: why = "not enough memory to decompress the entry"; return kZipInternal;
        case InflateResult::kDamaged: break;
        }
        why = "the compressed data is damaged";
        return kZipBadArchive;
    }

    StepResult Step(const uint8_t*& in, size_t& inLeft, uint8_t*& out, size_t& outLeft) override {
        m_zs.next_in = const_cast<uint8_t*>(in);
        m_zs.avail_in = uInt(inLeft);
        m_zs.next_out = out;
        m_zs.avail_out = uInt(outLeft);
        const int z = inflate(&m_zs, Z_NO_FLUSH);
        in = m_zs.next_in;
        inLeft = m_zs.avail_in;
        out = m_zs.next_out;
        outLeft = m_zs.avail_out;
        if (z == Z_STREAM_END) return StepResult::kEnd;
        if (z == Z_OK || z == Z_BUF_ERROR) return StepResult::kMore;
        return z == Z_MEM_ERROR ? StepResult::kNoMemory : StepResult::kDamaged;
    }

    DecodeParams m_params;
    CDecodeMemory m_memory{"Deflate"};
    z_stream m_zs{};
    bool m_on = false;
};

}  // namespace

bool IsReadableMethod(uint16_t method) {
    return method == kMethodStored || method == kMethodDeflate || method == kMethodDeflate64 || method == kMethodBzip2 ||
           method == kMethodLzma;
}

std::unique_ptr<IDecoder> MakeDecoder(uint16_t method, const DecodeParams& params) {
    switch (method) {
    case kMethodStored: return std::unique_ptr<IDecoder>(new CStoredDecoder());
    case kMethodDeflate: return std::unique_ptr<IDecoder>(new CInflateDecoder(params));
    case kMethodDeflate64: return MakeDeflate64Decoder(params);
    case kMethodBzip2: return MakeBzip2Decoder(params);
    case kMethodLzma: return MakeLzmaDecoder(params);
    default: return nullptr;
    }
}

}  // namespace zl

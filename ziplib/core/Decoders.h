#pragma once
// Decoders of the compression methods the reader knows: stored, deflate, and
// those other tools write (Deflate64, bzip2, LZMA). A decoder takes an entry's
// stored bytes (already decrypted) piece by piece from its source and hands
// what it decodes to its sink, which checks sizes and CRC and may stop it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Events.h"

namespace zl {

constexpr uint16_t kMethodDeflate64 = 9;
constexpr uint16_t kMethodBzip2 = 12;
constexpr uint16_t kMethodLzma = 14;

class IDecodeSource {
public:
    virtual ~IDecodeSource() = default;
    // The next piece of stored bytes (valid until the next call); `size` 0 at
    // the end of the entry's data. A result other than kZipOk is a read failure.
    virtual ZipResult Next(const uint8_t*& data, size_t& size) = 0;
};

class IDecodeSink {
public:
    virtual ~IDecodeSink() = default;
    // Decoded bytes in order; a result other than kZipOk stops the decoder,
    // which then returns it.
    virtual ZipResult Take(const uint8_t* data, size_t size) = 0;
};

// What a decoder needs to know about its entry.
struct DecodeParams {
    uint64_t size = 0;            // the declared uncompressed size
    uint64_t packedSize = 0;      // the stored bytes to decode
    uint16_t flags = 0;           // the entry's general purpose flags
};

class IDecoder {
public:
    virtual ~IDecoder() = default;
    // Decodes the whole entry. kZipBadArchive with `why` set when the data is
    // damaged or ends early; the source's or the sink's result when they stop it.
    // `buffer` is scratch space the caller keeps between entries.
    virtual ZipResult Run(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>& buffer, std::string& why) = 0;
};

// The decoder of `method`, or nullptr when the method is not supported.
std::unique_ptr<IDecoder> MakeDecoder(uint16_t method, const DecodeParams& params);
bool IsReadableMethod(uint16_t method);

// Each method's decoder (in a file of its own).
std::unique_ptr<IDecoder> MakeDeflate64Decoder(const DecodeParams& params);
std::unique_ptr<IDecoder> MakeBzip2Decoder(const DecodeParams& params);
std::unique_ptr<IDecoder> MakeLzmaDecoder(const DecodeParams& params);

// The size of one piece of output: the entry's size (plus the byte that shows
// an overlong entry) up to `most`.
size_t OutputPiece(const DecodeParams& params, size_t most);

}  // namespace zl

#pragma once
// Reads the data of one entry: decrypts (traditional or AES), decodes it with
// the decoder of its method, never gives out more than the entry's declared
// size, and at the end checks the CRC-32 (and the AES authentication code).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Crypto.h"
#include "Decoders.h"
#include "Events.h"
#include "Format.h"

namespace zl {

// Scratch space for reading entries, kept by the caller between entries so
// that large blocks are not allocated again for each one.
struct ReadBuffers {
    std::vector<uint8_t> input;    // stored bytes
    std::vector<uint8_t> output;   // decoded bytes
};

class CEntryReader : private IDecodeSource, private IDecodeSink {
public:
    // Takes decoded bytes in order; a result other than kZipOk stops reading.
    using Consumer = std::function<ZipResult(const uint8_t* data, size_t size)>;

    CEntryReader(IReadFile& file, const ZipDirectory& directory, size_t index, ICrypto* crypto);
    ~CEntryReader() override;
    CEntryReader(const CEntryReader&) = delete;
    CEntryReader& operator=(const CEntryReader&) = delete;

    // Prepares reading; kZipWrongPassword when the password is missing or wrong,
    // kZipUnsupported for a method or encryption we cannot read.
    ZipResult Open(const std::string* password);
    // Decodes the whole entry into `consumer`, then verifies it: kZipOk only
    // when every byte was given and matched.
    ZipResult Pump(const Consumer& consumer, ReadBuffers& buffers);
    // How many stored bytes have been consumed so far.
    uint64_t Consumed() const { return m_consumed; }
    const std::string& Why() const { return m_why; }

private:
    ZipResult Next(const uint8_t*& data, size_t& size) override;
    ZipResult Take(const uint8_t* data, size_t size) override;
    ZipResult Finish();
    ZipResult Fail(ZipResult result, const char* why);

    IReadFile& m_file;
    const ZipEntry& m_entry;
    const ZipDirectory& m_directory;
    size_t m_index;
    ICrypto* m_crypto;
    uint64_t m_dataOffset = 0;
    uint64_t m_dataLeft = 0;       // stored bytes still to read (without the AES trailer)
    uint64_t m_consumed = 0;
    uint64_t m_produced = 0;
    uint32_t m_crc = 0;
    std::vector<uint8_t>* m_input = nullptr;
    size_t m_piece = 0;            // stored bytes read at a time
    std::unique_ptr<IDecoder> m_decoder;
    const Consumer* m_consumer = nullptr;
    std::unique_ptr<CPkwareDecryptor> m_pkware;
    std::unique_ptr<CWinZipAes> m_aes;
    std::string m_why;
};

}  // namespace zl

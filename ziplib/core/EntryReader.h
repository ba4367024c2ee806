#pragma once
// Reads the data of one entry: decrypts (traditional or AES), inflates or copies,
// never gives out more than the entry's declared size, and at the end checks the
// CRC-32 (and the AES authentication code).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

#include "Crypto.h"
#include "Events.h"
#include "Format.h"

namespace zl {

class CEntryReader {
public:
    CEntryReader(IReadFile& file, const ZipDirectory& directory, size_t index, ICrypto* crypto);
    ~CEntryReader();
    CEntryReader(const CEntryReader&) = delete;
    CEntryReader& operator=(const CEntryReader&) = delete;

    // Prepares reading; kZipWrongPassword when the password is missing or wrong.
    ZipResult Open(const std::string* password);
    // Reads up to `capacity` bytes; `got` = 0 means the entry ended and was verified.
    ZipResult Read(uint8_t* buffer, size_t capacity, size_t& got);
    // How many stored bytes have been consumed so far.
    uint64_t Consumed() const { return m_consumed; }
    const std::string& Why() const { return m_why; }

private:
    ZipResult Fill();
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
    std::vector<uint8_t> m_input;
    size_t m_inPos = 0, m_inEnd = 0;
    bool m_inflating = false;
    bool m_streamEnded = false;
    bool m_finished = false;
    z_stream m_zs{};
    std::unique_ptr<CPkwareDecryptor> m_pkware;
    std::unique_ptr<CWinZipAes> m_aes;
    std::string m_why;
};

}  // namespace zl

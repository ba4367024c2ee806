#include "EntryReader.h"

#include <algorithm>
#include <cstring>

#include "WholeBuffer.h"

namespace zl {

namespace {
constexpr size_t kInputSize = 256 * 1024;
}

CEntryReader::CEntryReader(IReadFile& file, const ZipDirectory& directory, size_t index, ICrypto* crypto)
    : m_file(file), m_entry(directory.entries[index]), m_directory(directory), m_index(index), m_crypto(crypto) {}

CEntryReader::~CEntryReader() = default;

ZipResult CEntryReader::Fail(ZipResult result, const char* why) {
    m_why = why;
    return result;
}

ZipResult CEntryReader::Open(const std::string* password) {
    LocalSpan span;
    if (!ReadLocalSpan(m_file, m_directory, m_index, span, m_why)) return kZipBadArchive;
    m_dataOffset = span.dataOffset;
    m_dataLeft = m_entry.compressedSize;
    const uint16_t method = m_entry.realMethod;
    if (!IsReadableMethod(method))
        return Fail(kZipUnsupported, "the entry uses a compression method that is not supported");
    if ((m_entry.flags & 0x0040) != 0)
        return Fail(kZipUnsupported, "the entry uses strong encryption, which is not supported");
    if (m_entry.IsEncrypted()) {
        if (password == nullptr) return Fail(kZipWrongPassword, "the entry is encrypted and no password was given");
        if (m_entry.method == kMethodAes) {
            const size_t salt = AesSaltSize(m_entry.aesStrength);
            if (salt == 0 || m_crypto == nullptr) return Fail(kZipUnsupported, "unknown AES encryption strength");
            if (m_dataLeft < salt + kAesCheckSize + kAesMacSize) return Fail(kZipBadArchive, "the encrypted entry is too short");
            uint8_t header[16 + kAesCheckSize];
            if (m_file.ReadAt(m_dataOffset, header, salt + kAesCheckSize) != int64_t(salt + kAesCheckSize))
                return Fail(kZipBadArchive, "the archive cannot be read");
            m_aes.reset(new CWinZipAes(*m_crypto));
            uint8_t check[2];
            if (!m_aes->Init(*password, m_entry.aesStrength, header, check))
                return Fail(kZipInternal, "the encryption functions failed");
            if (check[0] != header[salt] || check[1] != header[salt + 1])
                return Fail(kZipWrongPassword, "the password is wrong");
            m_dataOffset += salt + kAesCheckSize;
            m_dataLeft -= salt + kAesCheckSize + kAesMacSize;
        } else {
            if (m_dataLeft < 12) return Fail(kZipBadArchive, "the encrypted entry is too short");
            uint8_t header[12];
            if (m_file.ReadAt(m_dataOffset, header, 12) != 12) return Fail(kZipBadArchive, "the archive cannot be read");
            m_pkware.reset(new CPkwareDecryptor(*password));
            // With a data descriptor the check byte comes from the time, else from the CRC.
            uint8_t check = (m_entry.flags & kFlagDescriptor) ? uint8_t(m_entry.dosTime >> 8) : uint8_t(m_entry.crc >> 24);
            if (!m_pkware->Header(header, check)) return Fail(kZipWrongPassword, "the password is wrong");
            m_dataOffset += 12;
            m_dataLeft -= 12;
        }
    }
    DecodeParams params;
    params.size = m_entry.size;
    params.packedSize = m_dataLeft;
    params.flags = m_entry.flags;
    m_decoder = MakeDecoder(method, params);
    // Entries the decoders take whole are read in one piece; others in pieces.
    m_piece = size_t(m_dataLeft <= kWholeBufferLimit ? std::max<uint64_t>(m_dataLeft, 1) : kInputSize);
    return kZipOk;
}

ZipResult CEntryReader::Pump(const Consumer& consumer, ReadBuffers& buffers) {
    if (!m_decoder) return Fail(kZipInternal, "the entry was not opened");
    m_consumer = &consumer;
    m_input = &buffers.input;
    if (m_input->size() < m_piece) m_input->resize(m_piece);
    ZipResult r = m_decoder->Run(*this, *this, buffers.output, m_why);
    m_consumer = nullptr;
    m_input = nullptr;
    // With the traditional encryption a wrong password passes its one-byte
    // check now and then; the data then looks damaged.
    if (r == kZipBadArchive && m_pkware) return Fail(kZipWrongPassword, "the password is wrong or the data is damaged");
    if (r != kZipOk) return r;
    return Finish();
}

ZipResult CEntryReader::Next(const uint8_t*& data, size_t& size) {
    uint8_t* input = m_input->data();
    size_t want = size_t(std::min<uint64_t>(m_piece, m_dataLeft));
    data = input;
    size = 0;
    if (want == 0) return kZipOk;
    int64_t got = m_file.ReadAt(m_dataOffset, input, want);
    if (got != int64_t(want)) return Fail(kZipBadArchive, "the archive cannot be read (it may be truncated)");
    if (m_pkware) m_pkware->Decrypt(input, want);
    if (m_aes && !m_aes->Decrypt(input, want)) return Fail(kZipInternal, "the encryption functions failed");
    m_dataOffset += want;
    m_dataLeft -= want;
    m_consumed += want;
    size = want;
    return kZipOk;
}

ZipResult CEntryReader::Take(const uint8_t* data, size_t size) {
    if (size > m_entry.size - m_produced) return Fail(kZipBadArchive, "the entry holds more data than its size says");
    m_crc = Crc32(m_crc, data, size);
    m_produced += size;
    return (*m_consumer)(data, size);
}

ZipResult CEntryReader::Finish() {
    if (m_produced != m_entry.size) return Fail(kZipBadArchive, "the entry holds less data than its size says");
    if (m_aes) {
        uint8_t mac[kAesMacSize], stored[kAesMacSize];
        if (!m_aes->FinalMac(mac)) return Fail(kZipInternal, "the encryption functions failed");
        if (m_file.ReadAt(m_dataOffset, stored, kAesMacSize) != int64_t(kAesMacSize))
            return Fail(kZipBadArchive, "the archive cannot be read");
        if (std::memcmp(mac, stored, kAesMacSize) != 0)
            return Fail(kZipCrcError, "the authentication code does not match (damaged data)");
        if (m_entry.aesVersion == 2) return kZipOk;  // AE-2 carries no CRC
    }
    if (m_crc != m_entry.crc) return Fail(kZipCrcError, "the CRC does not match (damaged data)");
    return kZipOk;
}

}  // namespace zl

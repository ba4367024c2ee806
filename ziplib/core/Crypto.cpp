#include "Crypto.h"

#include <cstring>
#include <zlib.h>

namespace zl {

size_t AesSaltSize(int strength) {
    switch (strength) {
    case 1: return 8;
    case 2: return 12;
    case 3: return 16;
    default: return 0;
    }
}

size_t AesKeySize(int strength) {
    return strength >= 1 && strength <= 3 ? 8 + 8 * size_t(strength) : 0;
}

bool CWinZipAes::Init(const std::string& password, int strength, const uint8_t* salt, uint8_t check[2]) {
    const size_t keySize = AesKeySize(strength);
    if (keySize == 0) return false;
    uint8_t derived[2 * 32 + 2];
    if (!m_crypto.Pbkdf2Sha1(password, salt, AesSaltSize(strength), 1000, derived, 2 * keySize + 2))
        return false;
    m_aes = m_crypto.NewAes(derived, keySize);
    m_hmac = m_crypto.NewHmacSha1(derived + keySize, keySize);
    check[0] = derived[2 * keySize];
    check[1] = derived[2 * keySize + 1];
    std::memset(derived, 0, sizeof derived);
    m_counter = 0;
    m_streamPos = m_streamEnd = sizeof m_stream;
    return m_aes && m_hmac;
}

bool CWinZipAes::Crypt(uint8_t* data, size_t size) {
    while (size > 0) {
        if (m_streamPos == m_streamEnd) {
            // Enough counter blocks for the data left, up to the buffer's size.
            size_t blocks = (size + 15) / 16;
            if (blocks > sizeof m_stream / 16) blocks = sizeof m_stream / 16;
            for (size_t b = 0; b < blocks; ++b) {
                uint64_t n = ++m_counter;
                uint8_t* block = m_stream + 16 * b;
                for (int i = 0; i < 8; ++i) block[i] = uint8_t(n >> (8 * i));
                std::memset(block + 8, 0, 8);
            }
            if (!m_aes->EncryptBlocks(m_stream, m_stream, blocks)) return false;
            m_streamPos = 0;
            m_streamEnd = 16 * blocks;
        }
        size_t n = m_streamEnd - m_streamPos;
        if (n > size) n = size;
        for (size_t i = 0; i < n; ++i) data[i] ^= m_stream[m_streamPos + i];
        m_streamPos += n;
        data += n;
        size -= n;
    }
    return true;
}

bool CWinZipAes::Encrypt(uint8_t* data, size_t size) {
    return Crypt(data, size) && m_hmac->Update(data, size);
}

bool CWinZipAes::Decrypt(uint8_t* data, size_t size) {
    return m_hmac->Update(data, size) && Crypt(data, size);
}

bool CWinZipAes::FinalMac(uint8_t mac[kAesMacSize]) {
    uint8_t digest[20];
    if (!m_hmac->Final(digest)) return false;
    std::memcpy(mac, digest, kAesMacSize);
    return true;
}

namespace {

uint32_t Crc32Byte(uint32_t crc, uint8_t c) {
    // One step of the CRC-32 of the traditional cipher's key schedule.
    static const z_crc_t* table = get_crc_table();
    return table[(crc ^ c) & 0xff] ^ (crc >> 8);
}

void InitKeys(uint32_t keys[3], const std::string& password, void (*update)(uint32_t*, uint8_t)) {
    keys[0] = 0x12345678;
    keys[1] = 0x23456789;
    keys[2] = 0x34567890;
    for (unsigned char c : password) update(keys, c);
}

void UpdateKeys(uint32_t* keys, uint8_t c) {
    keys[0] = Crc32Byte(keys[0], c);
    keys[1] = (keys[1] + (keys[0] & 0xff)) * 134775813u + 1;
    keys[2] = Crc32Byte(keys[2], uint8_t(keys[1] >> 24));
}

uint8_t KeyByte(const uint32_t* keys) {
    uint32_t temp = (keys[2] & 0xffff) | 2;
    return uint8_t((temp * (temp ^ 1)) >> 8);
}

}  // namespace

CPkwareDecryptor::CPkwareDecryptor(const std::string& password) {
    InitKeys(m_keys, password, UpdateKeys);
}

void CPkwareDecryptor::Update(uint8_t c) { UpdateKeys(m_keys, c); }
uint8_t CPkwareDecryptor::StreamByte() const { return KeyByte(m_keys); }

bool CPkwareDecryptor::Header(const uint8_t header[12], uint8_t check) {
    uint8_t plain[12];
    for (int i = 0; i < 12; ++i) {
        plain[i] = header[i] ^ StreamByte();
        Update(plain[i]);
    }
    return plain[11] == check;
}

void CPkwareDecryptor::Decrypt(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        data[i] ^= StreamByte();
        Update(data[i]);
    }
}

CPkwareEncryptor::CPkwareEncryptor(const std::string& password) {
    InitKeys(m_keys, password, UpdateKeys);
}

void CPkwareEncryptor::Encrypt(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        uint8_t plain = data[i];
        data[i] ^= KeyByte(m_keys);
        UpdateKeys(m_keys, plain);
    }
}

}  // namespace zl

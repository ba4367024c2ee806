#pragma once
// Encryption of entries: the primitives come from the platform (Windows CNG in
// the DLLs, libcrypto natively); the ZIP schemes built on them live here.
//  - WinZip AES (AE-1 / AE-2): PBKDF2-HMAC-SHA1 (1000 rounds) derives the AES key,
//    the HMAC key and a 2-byte password check from a per-entry salt; the data is
//    AES in counter mode (little-endian counter starting at 1) and is followed by
//    the first 10 bytes of HMAC-SHA1 over the encrypted data.
//  - Traditional PKWARE encryption (reading only): the three-key stream cipher
//    with its 12-byte header.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zl {

class IAesEncryptor {
public:
    virtual ~IAesEncryptor() = default;
    // Encrypts `blocks` 16-byte blocks (ECB, the counter mode is built on it).
    virtual bool EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) = 0;
};

class IHmacSha1 {
public:
    virtual ~IHmacSha1() = default;
    virtual bool Update(const uint8_t* data, size_t size) = 0;
    virtual bool Final(uint8_t digest[20]) = 0;
};

class ICrypto {
public:
    virtual ~ICrypto() = default;
    virtual bool Random(uint8_t* out, size_t size) = 0;
    virtual bool Pbkdf2Sha1(const std::string& password, const uint8_t* salt, size_t saltSize,
                            unsigned iterations, uint8_t* out, size_t outSize) = 0;
    virtual std::unique_ptr<IAesEncryptor> NewAes(const uint8_t* key, size_t keySize) = 0;
    virtual std::unique_ptr<IHmacSha1> NewHmacSha1(const uint8_t* key, size_t keySize) = 0;
};

// The platform's primitives.
ICrypto& PlatformCrypto();

// Salt length for AES strength 1, 2, 3 (128, 192, 256 bits); 0 for others.
size_t AesSaltSize(int strength);
size_t AesKeySize(int strength);
constexpr size_t kAesMacSize = 10;
constexpr size_t kAesCheckSize = 2;

// Counter-mode cipher with the running authentication code of one AES entry.
class CWinZipAes {
public:
    explicit CWinZipAes(ICrypto& crypto) : m_crypto(crypto) {}
    // Derives the keys from password and salt; `check` receives the 2 check bytes.
    bool Init(const std::string& password, int strength, const uint8_t* salt, uint8_t check[2]);
    // Encrypting: data is enciphered in place, then authenticated.
    bool Encrypt(uint8_t* data, size_t size);
    // Decrypting: data is authenticated, then deciphered in place.
    bool Decrypt(uint8_t* data, size_t size);
    bool FinalMac(uint8_t mac[kAesMacSize]);

private:
    bool Crypt(uint8_t* data, size_t size);

    ICrypto& m_crypto;
    std::unique_ptr<IAesEncryptor> m_aes;
    std::unique_ptr<IHmacSha1> m_hmac;
    uint64_t m_counter = 0;
    uint8_t m_stream[16 * 256] = {};
    size_t m_streamPos = sizeof m_stream;
    size_t m_streamEnd = sizeof m_stream;
};

class CPkwareDecryptor {
public:
    explicit CPkwareDecryptor(const std::string& password);
    // Takes the 12-byte header; true when its last byte matches `check`.
    bool Header(const uint8_t header[12], uint8_t check);
    void Decrypt(uint8_t* data, size_t size);

private:
    void Update(uint8_t c);
    uint8_t StreamByte() const;
    uint32_t m_keys[3];
};

// Traditional encryption of data (only tests use it, to make archives that
// other tools would make).
class CPkwareEncryptor {
public:
    explicit CPkwareEncryptor(const std::string& password);
    void Encrypt(uint8_t* data, size_t size);

private:
    uint32_t m_keys[3];
};

}  // namespace zl

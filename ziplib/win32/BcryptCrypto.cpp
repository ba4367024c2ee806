// Encryption primitives of the DLLs, from Windows CNG (bcrypt).
#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "core/Crypto.h"

namespace zl {

namespace {

bool Ok(NTSTATUS status) { return status >= 0; }

// Algorithm providers are opened once per process and shared (CNG handles are thread-safe).
struct Providers {
    BCRYPT_ALG_HANDLE aes = nullptr;
    BCRYPT_ALG_HANDLE hmac = nullptr;
    BCRYPT_ALG_HANDLE rng = nullptr;
    bool ok = false;
    Providers() {
        ok = Ok(BCryptOpenAlgorithmProvider(&aes, BCRYPT_AES_ALGORITHM, nullptr, 0)) &&
             Ok(BCryptSetProperty(aes, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB)),
                                  sizeof(BCRYPT_CHAIN_MODE_ECB), 0)) &&
             Ok(BCryptOpenAlgorithmProvider(&hmac, BCRYPT_SHA1_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG)) &&
             Ok(BCryptOpenAlgorithmProvider(&rng, BCRYPT_RNG_ALGORITHM, nullptr, 0));
    }
    ~Providers() {
        if (aes) BCryptCloseAlgorithmProvider(aes, 0);
        if (hmac) BCryptCloseAlgorithmProvider(hmac, 0);
        if (rng) BCryptCloseAlgorithmProvider(rng, 0);
    }
};

Providers& Algorithms() {
    static Providers providers;
    return providers;
}

class CBcryptAes : public IAesEncryptor {
public:
    CBcryptAes(const uint8_t* key, size_t keySize) {
        m_ok = Ok(BCryptGenerateSymmetricKey(Algorithms().aes, &m_key, nullptr, 0, const_cast<PUCHAR>(key), ULONG(keySize), 0));
    }
    ~CBcryptAes() override {
        if (m_key) BCryptDestroyKey(m_key);
    }
    bool Valid() const { return m_ok; }
    bool EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) override {
        ULONG done = 0;
        return Ok(BCryptEncrypt(m_key, const_cast<PUCHAR>(in), ULONG(blocks * 16), nullptr, nullptr, 0, out,
                                ULONG(blocks * 16), &done, 0)) &&
               done == blocks * 16;
    }

private:
    BCRYPT_KEY_HANDLE m_key = nullptr;
    bool m_ok = false;
};

class CBcryptHmac : public IHmacSha1 {
public:
    CBcryptHmac(const uint8_t* key, size_t keySize) {
        m_ok = Ok(BCryptCreateHash(Algorithms().hmac, &m_hash, nullptr, 0, const_cast<PUCHAR>(key), ULONG(keySize), 0));
    }
    ~CBcryptHmac() override {
        if (m_hash) BCryptDestroyHash(m_hash);
    }
    bool Valid() const { return m_ok; }
    bool Update(const uint8_t* data, size_t size) override {
        return size == 0 || Ok(BCryptHashData(m_hash, const_cast<PUCHAR>(data), ULONG(size), 0));
    }
    bool Final(uint8_t digest[20]) override { return Ok(BCryptFinishHash(m_hash, digest, 20, 0)); }

private:
    BCRYPT_HASH_HANDLE m_hash = nullptr;
    bool m_ok = false;
};

class CBcryptCrypto : public ICrypto {
public:
    bool Random(uint8_t* out, size_t size) override {
        return Algorithms().ok && Ok(BCryptGenRandom(Algorithms().rng, out, ULONG(size), 0));
    }
    bool Pbkdf2Sha1(const std::string& password, const uint8_t* salt, size_t saltSize, unsigned iterations, uint8_t* out,
                    size_t outSize) override {
        if (!Algorithms().ok) return false;
        return Ok(BCryptDeriveKeyPBKDF2(Algorithms().hmac, reinterpret_cast<PUCHAR>(const_cast<char*>(password.data())),
                                        ULONG(password.size()), const_cast<PUCHAR>(salt), ULONG(saltSize), iterations, out,
                                        ULONG(outSize), 0));
    }
    std::unique_ptr<IAesEncryptor> NewAes(const uint8_t* key, size_t keySize) override {
        if (!Algorithms().ok) return nullptr;
        auto aes = std::make_unique<CBcryptAes>(key, keySize);
        if (!aes->Valid()) return nullptr;
        return aes;
    }
    std::unique_ptr<IHmacSha1> NewHmacSha1(const uint8_t* key, size_t keySize) override {
        if (!Algorithms().ok) return nullptr;
        auto hmac = std::make_unique<CBcryptHmac>(key, keySize);
        if (!hmac->Valid()) return nullptr;
        return hmac;
    }
};

}  // namespace

ICrypto& PlatformCrypto() {
    static CBcryptCrypto crypto;
    return crypto;
}

}  // namespace zl

// Encryption primitives of the native build, from OpenSSL's libcrypto.
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include "core/Crypto.h"

namespace zl {

namespace {

class COpenSslAes : public IAesEncryptor {
public:
    COpenSslAes(const uint8_t* key, size_t keySize) : m_ctx(EVP_CIPHER_CTX_new()) {
        const EVP_CIPHER* cipher = keySize == 16 ? EVP_aes_128_ecb() : keySize == 24 ? EVP_aes_192_ecb() : EVP_aes_256_ecb();
        m_ok = m_ctx && EVP_EncryptInit_ex(m_ctx, cipher, nullptr, key, nullptr) == 1 &&
               EVP_CIPHER_CTX_set_padding(m_ctx, 0) == 1;
    }
    ~COpenSslAes() override { EVP_CIPHER_CTX_free(m_ctx); }
    bool Ok() const { return m_ok; }
    bool EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) override {
        int len = 0;
        return EVP_EncryptUpdate(m_ctx, out, &len, in, int(blocks * 16)) == 1 && size_t(len) == blocks * 16;
    }

private:
    EVP_CIPHER_CTX* m_ctx;
    bool m_ok = false;
};

class COpenSslHmac : public IHmacSha1 {
public:
    COpenSslHmac(const uint8_t* key, size_t keySize) {
        m_mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
        m_ctx = m_mac ? EVP_MAC_CTX_new(m_mac) : nullptr;
        OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string("digest", const_cast<char*>("SHA1"), 0), OSSL_PARAM_construct_end()};
        m_ok = m_ctx && EVP_MAC_init(m_ctx, key, keySize, params) == 1;
    }
    ~COpenSslHmac() override {
        EVP_MAC_CTX_free(m_ctx);
        EVP_MAC_free(m_mac);
    }
    bool Ok() const { return m_ok; }
    bool Update(const uint8_t* data, size_t size) override { return EVP_MAC_update(m_ctx, data, size) == 1; }
    bool Final(uint8_t digest[20]) override {
        size_t len = 0;
        return EVP_MAC_final(m_ctx, digest, &len, 20) == 1 && len == 20;
    }

private:
    EVP_MAC* m_mac = nullptr;
    EVP_MAC_CTX* m_ctx = nullptr;
    bool m_ok = false;
};

class COpenSslCrypto : public ICrypto {
public:
    bool Random(uint8_t* out, size_t size) override { return RAND_bytes(out, int(size)) == 1; }
    bool Pbkdf2Sha1(const std::string& password, const uint8_t* salt, size_t saltSize, unsigned iterations, uint8_t* out,
                    size_t outSize) override {
        return PKCS5_PBKDF2_HMAC(password.data(), int(password.size()), salt, int(saltSize), int(iterations), EVP_sha1(),
                                 int(outSize), out) == 1;
    }
    std::unique_ptr<IAesEncryptor> NewAes(const uint8_t* key, size_t keySize) override {
        auto aes = std::make_unique<COpenSslAes>(key, keySize);
        if (!aes->Ok()) return nullptr;
        return aes;
    }
    std::unique_ptr<IHmacSha1> NewHmacSha1(const uint8_t* key, size_t keySize) override {
        auto hmac = std::make_unique<COpenSslHmac>(key, keySize);
        if (!hmac->Ok()) return nullptr;
        return hmac;
    }
};

}  // namespace

ICrypto& PlatformCrypto() {
    static COpenSslCrypto crypto;
    return crypto;
}

}  // namespace zl

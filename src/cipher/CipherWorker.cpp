// The cipher worker: many messages under one key, on a thread of their own.
#include "cipher/CipherComponent.h"

#include "cipher/CipherInternals.h"
#include "cipher/SecureWipe.h"

#include <openssl/err.h>
#include <openssl/evp.h>

using namespace cipher_internal;

struct CipherComponent::Worker::Contexts
{
    ~Contexts()
    {
        // Every context goes before the library instance it may come from.
        work.reset();
        ownEncrypt.reset();
        ownDecrypt.reset();
        ownCipher.reset();
        OSSL_LIB_CTX_free(library);
    }
    OSSL_LIB_CTX* library = nullptr;
    CipherPtr ownCipher;
    CtxPtr ownEncrypt;
    CtxPtr ownDecrypt;
    const EVP_CIPHER_CTX* encryptTemplate = nullptr;
    const EVP_CIPHER_CTX* decryptTemplate = nullptr;
    CtxPtr work{EVP_CIPHER_CTX_new()};
    Bytes scratch;
};

CipherComponent::Worker::Worker(int algorithmId, std::string_view key1, std::string_view key2, bool independent)
    : status_(checkArguments(algorithmId, key2)), contexts_(std::make_unique<Contexts>())
{
    if (status_ != Ok)
        return;
    if (independent) {
        Contexts& c = *contexts_;
        c.library = OSSL_LIB_CTX_new();
        if (c.library != nullptr)
            c.ownCipher.reset(EVP_CIPHER_fetch(c.library, "AES-256-SIV", nullptr));
        c.ownEncrypt.reset(EVP_CIPHER_CTX_new());
        c.ownDecrypt.reset(EVP_CIPHER_CTX_new());
        SecretBuffer derived(kDerivedKeyLength);
        if (!c.ownCipher || !c.ownEncrypt || !c.ownDecrypt || !c.work ||
            !deriveKey(algorithmId, key1, key2, derived.data()) ||
            EVP_EncryptInit_ex2(c.ownEncrypt.get(), c.ownCipher.get(), derived.data(), nullptr, nullptr) != 1 ||
            EVP_DecryptInit_ex2(c.ownDecrypt.get(), c.ownCipher.get(), derived.data(), nullptr, nullptr) != 1) {
            status_ = fail(InternalError);
            return;
        }
        c.encryptTemplate = c.ownEncrypt.get();
        c.decryptTemplate = c.ownDecrypt.get();
        return;
    }
    // The cache is touched here only, on the creating thread; the workers then just copy the keyed templates.
    const CachedKey* key = keyFor(algorithmId, key1, key2);
    if (key == nullptr || !contexts_->work) {
        status_ = fail(InternalError);
        return;
    }
    contexts_->encryptTemplate = key->encryptTemplate.get();
    contexts_->decryptTemplate = key->decryptTemplate.get();
}

CipherComponent::Worker::~Worker()
{
    if (contexts_) {
        wipe(contexts_->scratch);
    }
}

int CipherComponent::Worker::seal(const unsigned char* plain, std::size_t size, unsigned char* out)
{
    if (status_ != Ok)
        return status_;
    if (!fitsInt(size + 1))
        return InternalError;
    Contexts& c = *contexts_;
    if (EVP_CIPHER_CTX_copy(c.work.get(), c.encryptTemplate) != 1)
        return fail(InternalError);
    c.scratch.resize(size + 1);
    c.scratch[0] = kMessagePrefix;
    std::copy(plain, plain + size, c.scratch.begin() + 1);
    const int status = sivSeal(c.work.get(), {}, c.scratch.data(), c.scratch.size(), out);
    OPENSSL_cleanse(c.scratch.data(), c.scratch.size());
    return status;
}

int CipherComponent::Worker::openToScratch(const unsigned char* cipher, std::size_t size)
{
    if (status_ != Ok)
        return status_;
    if (size < kSivLength + 1)
        return AuthenticationFailed;
    Contexts& c = *contexts_;
    if (EVP_CIPHER_CTX_copy(c.work.get(), c.decryptTemplate) != 1)
        return fail(InternalError);
    c.scratch.resize(size - kSivLength);
    int status = sivOpen(c.work.get(), {}, cipher, size, c.scratch.data());
    if (status == Ok && c.scratch[0] != kMessagePrefix)
        status = AuthenticationFailed;
    if (status != Ok)
        OPENSSL_cleanse(c.scratch.data(), c.scratch.size());
    return status;
}

int CipherComponent::Worker::open(const unsigned char* cipher, std::size_t size, std::string& plain)
{
    const int status = openToScratch(cipher, size);
    if (status == Ok) {
        Bytes& scratch = contexts_->scratch;
        plain.assign(reinterpret_cast<const char*>(scratch.data()) + 1, scratch.size() - 1);
        OPENSSL_cleanse(scratch.data(), scratch.size());
    }
    return status;
}

int CipherComponent::Worker::open(const unsigned char* cipher, std::size_t size, SecretString& plain)
{
    const int status = openToScratch(cipher, size);
    if (status == Ok) {
        Bytes& scratch = contexts_->scratch;
        plain.assign(std::string_view(reinterpret_cast<const char*>(scratch.data()) + 1, scratch.size() - 1));
        OPENSSL_cleanse(scratch.data(), scratch.size());
    }
    return status;
}

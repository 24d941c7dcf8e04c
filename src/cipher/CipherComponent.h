#pragma once

#include "cipher/Bytes.h"
#include "cipher/SecretString.h"

#include <memory>
#include <string>
#include <string_view>

// The cipher component: four operations keyed by an algorithm id and two key strings. Algorithm id 3 is
// AES-256-SIV (RFC 5297) with a key derived by HKDF-SHA-256 from the two key strings: deterministic and
// authenticated, so a changed, truncated or foreign cipher text fails instead of decrypting to garbage.
// Output is the 16-byte synthetic IV followed by the cipher text. The sealed message is one fixed byte (0x01)
// and then the data, since OpenSSL 3.0 cannot seal an empty message: output length = input length + 17.
// Every operation returns a status: 0 on success, negative on failure (see describe()).
class CipherComponent
{
public:
    enum Status : int {
        Ok = 0,
        UnsupportedAlgorithm = -1,
        AuthenticationFailed = -2, // also: too short, truncated or foreign cipher text
        InternalError = -3,
        BadKey = -4,
    };

    [[nodiscard]] int Encrypt(int algorithmId, std::string_view key1, std::string_view key2, const Bytes& data,
                              Bytes& result);
    [[nodiscard]] int Decrypt(int algorithmId, std::string_view key1, std::string_view key2, const Bytes& data,
                              Bytes& result);
    [[nodiscard]] int EncryptStr(int algorithmId, std::string_view key1, std::string_view key2, std::string_view text,
                                 Bytes& result);
    [[nodiscard]] int DecryptStr(int algorithmId, std::string_view key1, std::string_view key2, const Bytes& data,
                                 SecretString& result);

    // Seals and opens many messages under one key for one thread, exactly as Encrypt and Decrypt do. Workers for
    // the same key may run on several threads at once, so large files use every core; create them all on one
    // thread before the work starts, and let them go before the key cache is wiped.
    class Worker
    {
    public:
        // An independent worker keys a cipher library instance of its own, so that workers on other threads
        // share no reference counts with it (shared ones cost more than the threads gain).
        Worker(int algorithmId, std::string_view key1, std::string_view key2, bool independent = false);
        ~Worker();
        Worker(const Worker&) = delete;
        Worker& operator=(const Worker&) = delete;

        // Ok when the worker is ready.
        int status() const { return status_; }
        // Cipher bytes of size bytes of plain text: size + kOverhead bytes into out.
        [[nodiscard]] int seal(const unsigned char* plain, std::size_t size, unsigned char* out);
        // The plain text of size cipher bytes, into plain (overwriting what it held).
        [[nodiscard]] int open(const unsigned char* cipher, std::size_t size, std::string& plain);
        [[nodiscard]] int open(const unsigned char* cipher, std::size_t size, SecretString& plain);

    private:
        struct Contexts;
        // Opens into the scratch buffer; the caller takes the text and overwrites the scratch.
        int openToScratch(const unsigned char* cipher, std::size_t size);
        int status_;
        std::unique_ptr<Contexts> contexts_;
    };
    // How many bytes a cipher text is longer than its plain text.
    static constexpr std::size_t kOverhead = 17;

    // Overwrites the derived keys kept for the process; called when the program ends.
    static void wipeKeyCache();

    // A readable description of a status, for messages.
    static const char* describe(int status);

    // AES-SIV with a raw key (32, 48 or 64 bytes) and one associated-data string, for known-answer tests.
    [[nodiscard]] static int sivEncryptRaw(const Bytes& key, const Bytes& associatedData, const Bytes& plain,
                                           Bytes& result);
    [[nodiscard]] static int sivDecryptRaw(const Bytes& key, const Bytes& associatedData, const Bytes& cipher,
                                           Bytes& result);
};

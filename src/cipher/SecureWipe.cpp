#include "cipher/SecureWipe.h"

#include <openssl/crypto.h>

void wipe(std::string& s)
{
    if (s.capacity() > 0)
        OPENSSL_cleanse(s.data(), s.capacity());
    s.clear();
}

void wipe(std::vector<unsigned char>& v)
{
    if (v.capacity() > 0)
        OPENSSL_cleanse(v.data(), v.capacity());
    v.clear();
}

void wipeBytes(void* data, std::size_t size) noexcept
{
    OPENSSL_cleanse(data, size);
}

bool SameSecret(std::string_view typed, std::string_view stored) noexcept
{
    const bool sameLength = typed.size() == stored.size();
    // A text of another length is still looked at whole, against itself, so that no branch on content is taken.
    const char* other = sameLength ? stored.data() : typed.data();
    const bool sameBytes = typed.empty() || CRYPTO_memcmp(typed.data(), other, typed.size()) == 0;
    return sameLength & sameBytes;
}

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

#include "app/model/PasswordGenerator.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <climits>
#include <string>

bool PasswordGenerator::systemRandom(unsigned char* buffer, std::size_t length)
{
    if (length > static_cast<std::size_t>(INT_MAX))
        return false;
    return RAND_bytes(buffer, static_cast<int>(length)) == 1;
}

Result PasswordGenerator::uniform(int n, int& value, const RandomSource& random)
{
    if (n < 1 || n > 256)
        return Result::failed("no uniform choice among " + std::to_string(n));
    // A byte is used only below the largest multiple of n, so that every remainder is equally likely.
    const int limit = 256 - 256 % n;
    // The chance of drawing again is below one half; after this many draws the source is broken.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        unsigned char byte = 0;
        if (!random(&byte, 1))
            return Result::failed(kNoRandom);
        const int drawn = byte;
        OPENSSL_cleanse(&byte, 1);
        if (drawn < limit) {
            value = drawn % n;
            return Result::ok();
        }
    }
    return Result::failed(kNoRandom);
}

Result PasswordGenerator::generate(SecretString& out, const RandomSource& random)
{
    static constexpr CharClass kClasses[] = {kUpper, kLower, kDigits};
    out.clear();
    out.reserve(kLength);
    for (int i = 0; i < kLength; ++i) {
        int cls = 0; // the first character is always an upper-case letter
        int offset = 0;
        if ((i > 0 && !uniform(3, cls, random).isOk()) || !uniform(kClasses[cls].size(), offset, random).isOk()) {
            OPENSSL_cleanse(out.data(), out.size());
            out.clear();
            return Result::failed(kNoRandom);
        }
        out.push_back(static_cast<char>(kClasses[cls].first + offset));
    }
    return Result::ok();
}

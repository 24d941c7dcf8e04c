#pragma once

#include "cipher/SecretString.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Random passwords of ten characters: an upper-case letter first, then at every later position a letter of
// either case or a digit, the class chosen with equal chance. Every choice is drawn from the operating system's
// secure random source and is unbiased (values that would favour some characters are drawn again).
class PasswordGenerator
{
public:
    static constexpr int kLength = 10;

    // One contiguous range of character codes.
    struct CharClass
    {
        char first;
        char last;
        int size() const { return last - first + 1; }
    };
    static constexpr CharClass kUpper{'A', 'Z'};
    static constexpr CharClass kLower{'a', 'z'};
    static constexpr CharClass kDigits{'0', '9'};

    // Fills buffer with random bytes; false when no random bytes can be had.
    using RandomSource = std::function<bool(unsigned char* buffer, std::size_t length)>;

    // The operating system's secure random source.
    static bool systemRandom(unsigned char* buffer, std::size_t length);

    // A new password into out (out is emptied first). False, with out empty, when the random source fails.
    [[nodiscard]] static bool generate(SecretString& out, const RandomSource& random = systemRandom);

    // A number from 0 to n - 1 (n from 1 to 256), every value equally likely. False when the source fails.
    [[nodiscard]] static bool uniform(int n, int& value, const RandomSource& random = systemRandom);
};

#pragma once

#include "base/Result.h"
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

    // What the user is told when the random source fails.
    static constexpr const char* kNoRandom = "No random password could be made: the system's random source failed.  ";
    // A new password into out (out is emptied first; the caller's buffer, so no copy of it is left elsewhere).
    // Fails with kNoRandom, out empty, when the random source fails.
    static Result generate(SecretString& out, const RandomSource& random = systemRandom);

    // A number from 0 to n - 1 (n from 1 to 256), every value equally likely. Fails when the source fails.
    static Result uniform(int n, int& value, const RandomSource& random = systemRandom);
};

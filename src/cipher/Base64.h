#pragma once

#include "cipher/Bytes.h"

#include <optional>
#include <string>
#include <string_view>

// Standard Base64 (RFC 4648) with MIME-style output lines and a lenient decoder.

// Encodes bytes; output longer than 76 characters is cut into lines of 76, each complete line followed by
// CR LF (also the last one when the length is a multiple of 76).
std::string Base64Encode(const unsigned char* data, std::size_t size);
inline std::string Base64Encode(const Bytes& data)
{
    return Base64Encode(data.data(), data.size());
}

// The length Base64Encode gives for size bytes, line breaks included.
std::size_t Base64EncodedLength(std::size_t size);
// Encodes into out, which has room for Base64EncodedLength(size) characters; returns the end.
char* Base64EncodeTo(const unsigned char* data, std::size_t size, char* out);

// Removes CR LF pairs and every "=", counts any other non-alphabet character as "A", ignores a single
// leftover character. Returns nothing when the text is empty after that clean-up.
std::optional<Bytes> Base64Decode(std::string_view text);
// The same into a buffer that keeps its room from call to call; false where Base64Decode gives nothing.
bool Base64DecodeInto(std::string_view text, Bytes& out);

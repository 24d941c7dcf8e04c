#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 text as the windows count it.

// Offset of the first byte that does not belong to a well-formed UTF-8 sequence, or npos.
std::size_t FirstInvalidUtf8(std::string_view s);

// The length of valid UTF-8 text in UTF-16 units, as the combo box counts.
int Utf16Length(std::string_view text);

// The first limit UTF-16 units of valid UTF-8 text, never half a character.
std::string CutToUtf16(std::string_view text, int limit);

// A number with its thousands grouped, as messages write it: "374,518,432".
std::string GroupedDigits(std::uintmax_t n);

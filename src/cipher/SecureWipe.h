#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Overwrites a secret before its memory goes back to the allocator, then empties it.
void wipe(std::string& s);
void wipe(std::vector<unsigned char>& v);
// Overwrites size bytes in place.
void wipeBytes(void* data, std::size_t size) noexcept;
// True when typed and stored hold the same bytes. The time it takes depends on typed's length alone, never on
// how many of its first bytes match, so timing the answers cannot guess a secret byte by byte.
bool SameSecret(std::string_view typed, std::string_view stored) noexcept;

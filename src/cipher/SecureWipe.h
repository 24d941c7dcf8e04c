#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Overwrites a secret before its memory goes back to the allocator, then empties it.
void wipe(std::string& s);
void wipe(std::vector<unsigned char>& v);
// Overwrites size bytes in place.
void wipeBytes(void* data, std::size_t size) noexcept;

#pragma once

#include <cstddef>
#include <cstdint>

class cBinaryFileStream;

// The reflected CRC-32 of IEEE 802.3 (check value 0xCBF43926 for "123456789").
class cCRC32
{
public:
    // The tables are built once, at compile time.
    cCRC32() = default;

    std::uint32_t GetByteArrayCrc32(const unsigned char* data, std::size_t size) const;
    // Feeds the stream in 8192-byte chunks; an empty file gives 0.
    std::uint32_t GetFileCrc32(cBinaryFileStream& stream) const;

private:
    std::uint32_t update(std::uint32_t crc, const unsigned char* data, std::size_t size) const;
};

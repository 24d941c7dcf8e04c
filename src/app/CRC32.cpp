#include "app/CRC32.h"

#include "app/BinaryFileStream.h"

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;
constexpr std::int32_t kChunkSize = 8192;

// Eight derived tables let the bulk of a chunk go eight bytes per step; the result is the same CRC as the
// byte-at-a-time loop, several times faster on the multi-megabyte account file.
struct SliceTables
{
    std::uint32_t t[8][256];
};

constexpr SliceTables buildSlices()
{
    SliceTables s{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (c >> 1) ^ kPolynomial : c >> 1;
        s.t[0][i] = c;
    }
    for (int n = 1; n < 8; ++n)
        for (int i = 0; i < 256; ++i)
            s.t[n][i] = (s.t[n - 1][i] >> 8) ^ s.t[0][s.t[n - 1][i] & 0xFFu];
    return s;
}

constexpr SliceTables kSlices = buildSlices();

} // namespace

cCRC32::cCRC32()
{
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (c >> 1) ^ kPolynomial : c >> 1;
        table_[i] = c;
    }
}

std::uint32_t cCRC32::update(std::uint32_t crc, const unsigned char* data, std::size_t size) const
{
    const auto& t = kSlices.t;
    while (size >= 8) {
        const std::uint32_t lo = crc ^ (std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                        std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = (crc >> 8) ^ table_[(crc ^ *data++) & 0xFFu];
    return crc;
}

std::uint32_t cCRC32::GetByteArrayCrc32(const unsigned char* data, std::size_t size) const
{
    return update(0xFFFFFFFFu, data, size) ^ 0xFFFFFFFFu;
}

std::uint32_t cCRC32::GetFileCrc32(cBinaryFileStream& stream) const
{
    unsigned char buffer[kChunkSize];
    std::uint32_t crc = 0xFFFFFFFFu;
    std::int32_t n = stream.Read(buffer, kChunkSize);
    while (n > 0) {
        crc = update(crc, buffer, static_cast<std::size_t>(n));
        n = stream.Read(buffer, kChunkSize);
    }
    return crc ^ 0xFFFFFFFFu;
}

#include "app/files/CRC32.h"

#include "app/files/BinaryFileStream.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define COFFERNOTE_CRC_CLMUL 1
#endif

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;
constexpr std::int32_t kChunkSize = 8192;

// The account file is checksummed before every load and twice per save, so the bulk goes fast: by carry-less
// multiplication where the processor has it, else eight bytes per step with eight derived tables. Either
// gives exactly the CRC of the byte-at-a-time loop, which handles the last few bytes.
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

#ifdef COFFERNOTE_CRC_CLMUL
// One 128-bit fold of x over the next 16 bytes.
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold16(__m128i x, __m128i k, __m128i next)
{
    const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), next), lo);
}

// Folds 64 bytes at a time with carry-less multiplication (Intel, "Fast CRC Computation for Generic
// Polynomials Using PCLMULQDQ", constants for the reflected IEEE polynomial), then reduces to 32 bits by
// Barrett's method. Takes and returns the running CRC register; size is at least 64 and a multiple of 16.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t foldClmul(std::uint32_t crc, const unsigned char* buf,
                                                                 std::size_t size)
{
    alignas(16) static const std::uint64_t k1k2[] = {0x0154442bd4, 0x01c6e41596};
    alignas(16) static const std::uint64_t k3k4[] = {0x01751997d0, 0x00ccaa009e};
    alignas(16) static const std::uint64_t k5k0[] = {0x0163cd6124, 0x0000000000};
    alignas(16) static const std::uint64_t poly[] = {0x01db710641, 0x01f7011641};
    auto load = [](const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };

    __m128i x1 = load(buf), x2 = load(buf + 16), x3 = load(buf + 32), x4 = load(buf + 48);
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
    buf += 64;
    size -= 64;

    while (size >= 64) {
        x1 = fold16(x1, x0, load(buf));
        x2 = fold16(x2, x0, load(buf + 16));
        x3 = fold16(x3, x0, load(buf + 32));
        x4 = fold16(x4, x0, load(buf + 48));
        buf += 64;
        size -= 64;
    }

    x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
    x1 = fold16(x1, x0, x2);
    x1 = fold16(x1, x0, x3);
    x1 = fold16(x1, x0, x4);
    while (size >= 16) {
        x1 = fold16(x1, x0, load(buf));
        buf += 16;
        size -= 16;
    }

    // 128 bits to 64, then Barrett reduction to 32.
    x2 = _mm_clmulepi64_si128(x1, x0, 0x10);
    x3 = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    x0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, x3), x0, 0x00), x2);
    x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x1, x3), x0, 0x10);
    x2 = _mm_clmulepi64_si128(_mm_and_si128(x2, x3), x0, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

const bool kHaveClmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
#endif

} // namespace

std::uint32_t cCRC32::update(std::uint32_t crc, const unsigned char* data, std::size_t size) const
{
#ifdef COFFERNOTE_CRC_CLMUL
    if (kHaveClmul && size >= 64) {
        const std::size_t bulk = size & ~std::size_t(15);
        crc = foldClmul(crc, data, bulk);
        data += bulk;
        size -= bulk;
    }
#endif
    const auto& t = kSlices.t;
    while (size >= 8) {
        const std::uint32_t lo = crc ^ (std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                        std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][data[4]] ^
              t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = (crc >> 8) ^ t[0][(crc ^ *data++) & 0xFFu];
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

#include "cipher/Base64.h"

#include <array>

namespace {

constexpr std::size_t kLineLength = 76;

constexpr char kEncodeTable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Every character outside the alphabet counts as value 0, like "A".
constexpr std::array<unsigned char, 256> makeDecodeTable()
{
    std::array<unsigned char, 256> table{};
    for (unsigned char value = 0; value < 64; ++value)
        table[static_cast<unsigned char>(kEncodeTable[value])] = value;
    return table;
}
constexpr std::array<unsigned char, 256> kDecodeTable = makeDecodeTable();

} // namespace

std::size_t Base64EncodedLength(std::size_t size)
{
    const std::size_t characters = (size + 2) / 3 * 4;
    return characters > kLineLength ? characters + 2 * (characters / kLineLength) : characters;
}

namespace {

char* encodeGroups(const unsigned char* data, std::size_t groups, char* out)
{
    for (std::size_t g = 0; g < groups; ++g, data += 3) {
        const unsigned group = (data[0] << 16) | (data[1] << 8) | data[2];
        *out++ = kEncodeTable[(group >> 18) & 63];
        *out++ = kEncodeTable[(group >> 12) & 63];
        *out++ = kEncodeTable[(group >> 6) & 63];
        *out++ = kEncodeTable[group & 63];
    }
    return out;
}

} // namespace

char* Base64EncodeTo(const unsigned char* data, std::size_t size, char* out)
{
    if (data == nullptr || size == 0)
        return out;
    const bool lines = (size + 2) / 3 * 4 > kLineLength;
    constexpr std::size_t kLineBytes = kLineLength / 4 * 3; // 57 bytes fill one line
    // Whole lines first, each followed by CR LF (the last one too when nothing is left over).
    if (lines) {
        while (size >= kLineBytes) {
            out = encodeGroups(data, kLineBytes / 3, out);
            *out++ = '\r';
            *out++ = '\n';
            data += kLineBytes;
            size -= kLineBytes;
        }
    }
    out = encodeGroups(data, size / 3, out);
    data += size / 3 * 3;
    if (const std::size_t left = size % 3; left > 0) {
        const unsigned group = (data[0] << 16) | (left == 2 ? data[1] << 8 : 0);
        *out++ = kEncodeTable[(group >> 18) & 63];
        *out++ = kEncodeTable[(group >> 12) & 63];
        *out++ = left == 2 ? kEncodeTable[(group >> 6) & 63] : '=';
        *out++ = '=';
    }
    // A last line that the padding fills to 76 characters is a complete line too.
    if (lines && (size + 2) / 3 * 4 == kLineLength) {
        *out++ = '\r';
        *out++ = '\n';
    }
    return out;
}

std::string Base64Encode(const unsigned char* data, std::size_t size)
{
    if (data == nullptr || size == 0)
        return {};
    std::string out(Base64EncodedLength(size), '\0');
    Base64EncodeTo(data, size, out.data());
    return out;
}

std::optional<Bytes> Base64Decode(std::string_view text)
{
    Bytes out;
    if (!Base64DecodeInto(text, out))
        return std::nullopt;
    return out;
}

bool Base64DecodeInto(std::string_view text, Bytes& out)
{
    out.resize(text.size() / 4 * 3 + 3);
    std::size_t pos = 0;
    std::size_t values = 0;
    unsigned group = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c == '=')
            continue;
        group = (group << 6) | kDecodeTable[static_cast<unsigned char>(c)];
        if (++values % 4 == 0) {
            out[pos++] = static_cast<unsigned char>(group >> 16);
            out[pos++] = static_cast<unsigned char>(group >> 8);
            out[pos++] = static_cast<unsigned char>(group);
            group = 0;
        }
    }
    if (values == 0) {
        out.clear();
        return false;
    }
    // Three values left give two bytes, two give one, a single one is ignored.
    switch (values % 4) {
    case 3:
        out[pos++] = static_cast<unsigned char>(group >> 10);
        out[pos++] = static_cast<unsigned char>(group >> 2);
        break;
    case 2:
        out[pos++] = static_cast<unsigned char>(group >> 4);
        break;
    default:
        break;
    }
    out.resize(pos);
    return true;
}

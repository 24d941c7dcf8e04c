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

std::string Base64Encode(const unsigned char* data, std::size_t size)
{
    if (data == nullptr || size == 0)
        return {};
    const std::size_t characters = (size + 2) / 3 * 4;
    const std::size_t breaks = characters > kLineLength ? characters / kLineLength : 0;
    std::string out(characters + 2 * breaks, '\0');

    std::size_t pos = 0;
    std::size_t onLine = 0;
    auto put = [&](char c) {
        out[pos++] = c;
        if (breaks > 0 && ++onLine == kLineLength) {
            out[pos++] = '\r';
            out[pos++] = '\n';
            onLine = 0;
        }
    };

    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const unsigned group = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        put(kEncodeTable[(group >> 18) & 63]);
        put(kEncodeTable[(group >> 12) & 63]);
        put(kEncodeTable[(group >> 6) & 63]);
        put(kEncodeTable[group & 63]);
    }
    if (const std::size_t left = size - i; left > 0) {
        const unsigned group = (data[i] << 16) | (left == 2 ? data[i + 1] << 8 : 0);
        put(kEncodeTable[(group >> 18) & 63]);
        put(kEncodeTable[(group >> 12) & 63]);
        put(left == 2 ? kEncodeTable[(group >> 6) & 63] : '=');
        put('=');
    }
    return out;
}

std::optional<Bytes> Base64Decode(std::string_view text)
{
    Bytes out(text.size() / 4 * 3 + 3);
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
    if (values == 0)
        return std::nullopt;
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
    return out;
}

std::string Base64EncodeString(const std::string& s)
{
    if (s.empty())
        return {};
    return Base64Encode(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

std::optional<std::string> Base64DecodeString(const std::string& text)
{
    if (text.empty())
        return std::string();
    std::optional<Bytes> bytes = Base64Decode(text);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

// The lenient Base64 decoder reads the outer layer of the account file and every stored field.
#include "FuzzTargets.h"

#include "cipher/Base64.h"

#include <string_view>

int FuzzBase64(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Bytes reused(7, 0xAA); // a buffer that held something before, as the loader's does
    const bool decoded = Base64DecodeInto(text, reused);
    const std::optional<Bytes> fresh = Base64Decode(text);
    FuzzCheck(decoded == fresh.has_value(), "both decoders agree on success");
    if (fresh) {
        FuzzCheck(reused == *fresh, "both decoders give the same bytes");
        FuzzCheck(fresh->size() <= size / 4 * 3 + 2, "decoded size within bounds");
        FuzzCheck(Base64Decode(Base64Encode(*fresh)) == fresh || fresh->empty(), "decoded bytes round-trip");
    }

    // The encoder over the raw bytes: its length is the promised one and it decodes back exactly.
    const std::string encoded = Base64Encode(data, size);
    FuzzCheck(encoded.size() == (size == 0 ? 0 : Base64EncodedLength(size)), "encoded length as promised");
    if (size > 0) {
        const std::optional<Bytes> back = Base64Decode(encoded);
        FuzzCheck(back && *back == Bytes(data, data + size), "encoded bytes decode back");
    }
    return 0;
}

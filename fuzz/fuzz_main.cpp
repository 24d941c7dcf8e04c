// The libFuzzer entry of one target, chosen when it is compiled (COFFERNOTE_FUZZ_ENTRY).
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return COFFERNOTE_FUZZ_ENTRY(data, size);
}

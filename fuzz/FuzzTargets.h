#pragma once

#include <cstddef>
#include <cstdint>

// The entry points of the fuzz targets. libFuzzer calls them through a tiny main per target; the test suite
// replays the seed corpus through the same functions. Each returns 0; a broken promise of the code under test
// (a round trip that changes the data, a table half loaded) aborts, so the fuzzer reports it as a crash.
int FuzzBase64(const std::uint8_t* data, std::size_t size);
int FuzzOptionsFile(const std::uint8_t* data, std::size_t size);
int FuzzInnerLayer(const std::uint8_t* data, std::size_t size);
int FuzzAccountFile(const std::uint8_t* data, std::size_t size);
int FuzzImport(const std::uint8_t* data, std::size_t size);
int FuzzCsv(const std::uint8_t* data, std::size_t size);

struct FuzzTarget
{
    const char* name; // also the folder of its seeds, fuzz/corpus/<name>
    int (*run)(const std::uint8_t* data, std::size_t size);
};

inline constexpr FuzzTarget kFuzzTargets[] = {
    {"base64", FuzzBase64},          {"options_file", FuzzOptionsFile},
    {"inner_layer", FuzzInnerLayer}, {"account_file", FuzzAccountFile},
    {"import", FuzzImport},          {"csv", FuzzCsv},
};

// Aborts with a note on stderr when a promise does not hold.
void FuzzCheck(bool holds, const char* promise);

// Every seed of every fuzz target, through the same entry points the fuzzers call: a seed that once crashed a
// parser stays fixed, without clang.
#include "FuzzTargets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>

// Names the target in the test's name, where the registered tests are listed.
void PrintTo(const FuzzTarget& target, std::ostream* os)
{
    *os << target.name;
}

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = COFFERNOTE_FUZZ_CORPUS;

class FuzzCorpus : public ::testing::TestWithParam<FuzzTarget>
{
};

} // namespace

TEST_P(FuzzCorpus, EverySeedRunsThroughItsTarget)
{
    const FuzzTarget target = GetParam();
    int seeds = 0;
    for (const auto& entry : fs::directory_iterator(kCorpus / target.name)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
        ++seeds;
    }
    EXPECT_GE(seeds, 3);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, ::testing::ValuesIn(kFuzzTargets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FuzzCorpusFolders, EachBelongsToATarget)
{
    std::set<std::string> names;
    for (const FuzzTarget& t : kFuzzTargets)
        names.insert(t.name);
    for (const auto& entry : fs::directory_iterator(kCorpus))
        EXPECT_EQ(names.count(entry.path().filename().string()), 1u) << entry.path();
}

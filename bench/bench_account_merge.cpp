// The merge of two full account tables that went apart on two computers.
//
//   cmake --build build --target bench_account_merge && ./build/bench/bench_account_merge [runs]
//
// The common table holds 32,765 accounts (the most a table holds; one name in twenty is used twice, so
// identities by occurrence count too) with fields 5 to 100 characters long. Ours changes 500 accounts; theirs
// changes 450, 50 of them among ours' (changed on both: kept twice), and deletes 100: the two differ in 1,000
// accounts. Timed: MergeAccounts, the merged table and the report, and for comparison the same merge when
// nothing changed.
#include "BenchSupport.h"

#include "app/model/AccountMerge.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr std::size_t kAccounts = kMaxRecords - 1;

std::string randomText(std::mt19937& gen, std::size_t shortest = 5)
{
    static const char chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,:;/@!#$%&*-_+=";
    std::uniform_int_distribution<std::size_t> len(shortest, 100), pick(0, sizeof chars - 2);
    std::string s(len(gen), ' ');
    for (char& c : s)
        c = chars[pick(gen)];
    return s;
}

AccountTable commonTable(std::mt19937& gen)
{
    AccountTable t(1);
    t[0] = MakeHeaderRecord("user", "secret", "secret");
    for (std::size_t i = 1; i <= kAccounts; ++i) {
        AccountRecord r;
        r.RecordNo = static_cast<std::int16_t>(i);
        // Every twentieth account takes the name of the one before it.
        r.AccountName = i % 20 == 0 ? t.back().AccountName : randomText(gen).substr(0, 40);
        r.Website = randomText(gen);
        r.Notes = randomText(gen);
        r.UserId = randomText(gen);
        r.Password = randomText(gen);
        t.push_back(std::move(r));
    }
    return t;
}

void change(AccountTable& t, const std::vector<std::size_t>& which, std::mt19937& gen)
{
    for (std::size_t i : which)
        t[i].Password = randomText(gen);
}

// Processor time of this process in ms: on a shared machine it shows the work itself, apart from waiting.
double cpuMs()
{
    rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The merge's time in ms; the result is kept in `merged`, so its freeing is not timed.
double timedMerge(const AccountTable& base, const AccountTable& ours, const AccountTable& theirs,
                  Outcome<MergedAccounts>& merged, std::vector<double>& cpu)
{
    merged = {};
    const double cpuStart = cpuMs();
    const auto start = std::chrono::steady_clock::now();
    merged = MergeAccounts(&base, ours, theirs);
    const double ms = msSince(start);
    cpu.push_back(cpuMs() - cpuStart);
    if (!merged.result.isOk()) {
        std::fprintf(stderr, "merge failed: %s\n", merged.result.message().c_str());
        std::exit(1);
    }
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::mt19937 gen(24);
    const AccountTable base = commonTable(gen);

    // 1,000 accounts in random places: ours changes the first 500, theirs the next 450 and 50 of ours', and
    // deletes the last 100.
    std::vector<std::size_t> places(kAccounts);
    std::iota(places.begin(), places.end(), std::size_t{1});
    std::shuffle(places.begin(), places.end(), gen);
    AccountTable ours = base, theirs = base;
    change(ours, {places.begin(), places.begin() + 500}, gen);
    change(theirs, {places.begin() + 450, places.begin() + 900}, gen);
    std::vector<std::size_t> gone(places.begin() + 900, places.begin() + 1000);
    std::sort(gone.rbegin(), gone.rend());
    for (std::size_t i : gone)
        theirs.erase(theirs.begin() + static_cast<std::ptrdiff_t>(i));
    for (std::size_t i = 1; i < theirs.size(); ++i)
        theirs[i].RecordNo = static_cast<std::int16_t>(i);

    std::vector<double> merge, mergeCpu, unchanged, unchangedCpu;
    Outcome<MergedAccounts> merged;
    std::printf("%4s %10s %8s %13s %8s\n", "run", "merge ms", "cpu ms", "unchanged ms", "cpu ms");
    for (int run = 1; run <= runs; ++run) {
        merge.push_back(timedMerge(base, ours, theirs, merged, mergeCpu));
        unchanged.push_back(timedMerge(base, base, base, merged, unchangedCpu));
        std::printf("%4d %10.1f %8.1f %13.1f %8.1f\n", run, merge.back(), mergeCpu.back(), unchanged.back(),
                    unchangedCpu.back());
    }
    std::vector<double> last;
    timedMerge(base, ours, theirs, merged, last);
    const MergeReport& report = merged.value.report;
    std::printf("merged: %zu accounts; from theirs %zu changed, %zu deleted; %zu kept twice\n",
                merged.value.table.size() - 1, report.changed.size(), report.deleted.size(), report.conflicts.size());
    std::printf("account_merge accounts=%zu differing=1000 merge_ms=%.1f merge_cpu_ms=%.1f unchanged_ms=%.1f\n",
                kAccounts, median(merge), median(mergeCpu), median(unchanged));
    return 0;
}

// Save and load times of the account file for growing numbers of accounts.
//
//   cmake --build build --target bench_account_file && ./build/bench/bench_account_file [runs]
//
// Each size runs in a child process of its own so that its peak memory is its own. Fields are 5 to 100
// characters long; the folder is a fresh temporary one, on the same disk as the system's temporary folder.

#include "BenchSupport.h"
#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string randomText(std::mt19937& gen)
{
    static const char chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,:;/@!#$%&*-_+=";
    std::uniform_int_distribution<std::size_t> len(5, 100), pick(0, sizeof chars - 2);
    std::string s(len(gen), ' ');
    for (char& c : s)
        c = chars[pick(gen)];
    return s;
}

// Resident memory figures of this process, in kB ("VmRSS", "VmHWM").
long statusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::atol(line.c_str() + prefix.size());
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Processor time of this process in ms: on a shared machine it shows the work itself, apart from waiting.
double cpuMs()
{
    rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

int runSize(std::size_t accounts, int runs)
{
    resetPeak();
    const long baselineKb = statusKb("VmRSS");

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("coffernote-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    BenchPlatform platform;
    AppState state(folder.string(), platform);
    (void)WriteOptionsFile(state.programFolder, OptionsRecord::defaults());

    std::mt19937 gen(static_cast<unsigned>(accounts));
    AccountTable table;
    table.reserve(accounts + 1);
    table.push_back(MakeHeaderRecord("", "", ""));
    for (std::size_t i = 1; i <= accounts; ++i)
        table.push_back({static_cast<std::int16_t>(i), randomText(gen), randomText(gen), randomText(gen),
                         randomText(gen), randomText(gen)});

    // A first save puts the file in place, so that every timed save checks its stamp as the program's do.
    if (!SaveAccountFile(state, table).isOk()) {
        std::fprintf(stderr, "save failed\n");
        return 1;
    }
    std::vector<double> saves, loads, saveCpu, loadCpu;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = cpuMs();
        const Result result = SaveAccountFile(state, table);
        saves.push_back(msSince(start));
        saveCpu.push_back(cpuMs() - cpu);
        if (!result.isOk()) {
            std::fprintf(stderr, "save failed: %s\n", result.message().c_str());
            return 1;
        }
    }
    const long savePeakKb = statusKb("VmHWM");
    resetPeak();
    const long loadBaseKb = statusKb("VmRSS");

    // The program loads into an empty table (at start-up, in the login dialog, in the main window's load).
    const std::size_t records = table.size();
    WipeTable(table);
    AccountTable().swap(table);
    for (int r = 0; r < runs; ++r) {
        OptionsRecord options;
        AccountTable loaded;
        const auto start = std::chrono::steady_clock::now();
        const double cpu = cpuMs();
        const LoadResult result = LoadAccountFile(state, options, loaded);
        loads.push_back(msSince(start));
        loadCpu.push_back(cpuMs() - cpu);
        if (!result.result.isOk() || result.value != LoadKind::Loaded || loaded.size() != records) {
            std::fprintf(stderr, "load failed\n");
            return 1;
        }
    }
    const auto fileBytes = std::filesystem::file_size(folder / "settings.dat");
    const long loadPeakKb = statusKb("VmHWM");
    const long peakKb = std::max(savePeakKb, loadPeakKb);
    std::filesystem::remove_all(folder);

    std::printf("%9zu %8.1f %8.1f %8.1f %8.1f %12ju %8.1f %8.1f %8.1f\n", accounts, median(saves), median(saveCpu),
                median(loads), median(loadCpu), static_cast<std::uintmax_t>(fileBytes), peakKb / 1024.0,
                (savePeakKb - baselineKb) / 1024.0, (loadPeakKb - loadBaseKb) / 1024.0);
    std::printf("account_file accounts=%zu save_ms=%.1f load_ms=%.1f file_bytes=%ju peak_rss_mb=%.1f\n", accounts,
                median(saves), median(loads), static_cast<std::uintmax_t>(fileBytes), peakKb / 1024.0);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::printf("Medians of %d runs. cpu: processor time of the same runs. save +MB: peak above the idle process\n"
                "while saving (the table included); load +MB: peak above the idle process while loading.\n",
                runs);
    std::printf("%9s %8s %8s %8s %8s %12s %8s %8s %8s\n", "accounts", "save ms", "cpu ms", "load ms", "cpu ms",
                "file bytes", "peak MB", "save +MB", "load +MB");
    std::fflush(stdout);
    int failures = 0;
    // The largest table the program stores: the header and kMaxRecords - 1 accounts.
    for (std::size_t accounts : {std::size_t{1000}, std::size_t{10000}, kMaxRecords - 1}) {
        const pid_t child = ::fork();
        if (child == 0)
            std::_Exit(runSize(accounts, runs));
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}

// Save and load times of the account file for growing numbers of accounts, in the default form and encrypted with
// the login (the key derived once beforehand, as the login dialog does), and the key's derivation itself.
//
//   cmake --build build --target bench_account_file && ./build/bench/bench_account_file [runs]
//
// Each size runs in a child process of its own so that its peak memory is its own. Fields are 5 to 100
// characters long; the folder is a fresh temporary one, on the same disk as the system's temporary folder.

#include "BenchSupport.h"
#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"
#include "cipher/ProtectedFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
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

// The same key again, derived anew (a key has no copies), so that each timed load can hand one over; the
// derivation happens before the clock starts.
std::unique_ptr<FileProtection> copyOf(const FileProtection& p)
{
    return ProtectionFor(p.header, SecretString("owner"), SecretString("first secret"), SecretString("2468"));
}

// The derivation at the settings files are written with: its time and the memory it takes.
int runDerivation(int runs)
{
    resetPeak();
    const long baselineKb = statusKb("VmRSS");
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        if (!NewProtection(kDefaultKdf, "owner", "first secret", "2468")) {
            std::fprintf(stderr, "derivation failed\n");
            return 1;
        }
        times.push_back(msSince(start));
    }
    const double peakMb = (statusKb("VmHWM") - baselineKb) / 1024.0;
    std::printf("Key derivation: Argon2id, %u MiB, %u passes, %u lane: %.1f ms (median of %d), peak +%.1f MB\n",
                kDefaultKdf.memoryKiB / 1024, kDefaultKdf.passes, kDefaultKdf.lanes, median(times), runs, peakMb);
    std::printf("derivation memory_mib=%u passes=%u ms=%.1f peak_rss_plus_mb=%.1f\n", kDefaultKdf.memoryKiB / 1024,
                kDefaultKdf.passes, median(times), peakMb);
    std::fflush(stdout);
    return 0;
}

int runSize(std::size_t accounts, int runs, bool encrypted)
{
    resetPeak();
    const long baselineKb = statusKb("VmRSS");

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("coffernote-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    BenchPlatform platform;
    AppState state(folder.string(), platform);
    Login login;
    LockedFile locked;
    (void)WriteOptionsFile(state.programFolder, OptionsRecord::defaults());
    std::unique_ptr<FileProtection> key;
    if (encrypted) {
        login.LoginUserName = "owner";
        login.LoginPassword1 = "first secret";
        login.LoginPassword2 = "2468";
        key = NewProtection(kDefaultKdf, login.LoginUserName, login.LoginPassword1, login.LoginPassword2);
        login.protection = copyOf(*key);
    }

    std::mt19937 gen(static_cast<unsigned>(accounts));
    AccountTable table;
    table.reserve(accounts + 1);
    table.push_back(MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2));
    for (std::size_t i = 1; i <= accounts; ++i)
        table.push_back({static_cast<std::int16_t>(i), randomText(gen), randomText(gen), randomText(gen),
                         randomText(gen), randomText(gen)});

    // A first save puts the file in place, so that every timed save checks its stamp as the program's do.
    if (!SaveAccountFile(state, login, table).isOk()) {
        std::fprintf(stderr, "save failed\n");
        return 1;
    }
    std::vector<double> saves, loads, saveCpu, loadCpu;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = cpuMs();
        const Result result = SaveAccountFile(state, login, table);
        saves.push_back(msSince(start));
        saveCpu.push_back(cpuMs() - cpu);
        if (!result.isOk()) {
            std::fprintf(stderr, "save failed: %s\n", result.message().c_str());
            return 1;
        }
    }
    const long savePeakKb = statusKb("VmHWM");
    // The keys each timed load is handed, derived before the load's peak is measured.
    std::vector<std::unique_ptr<FileProtection>> keys;
    for (int r = 0; key && r < runs; ++r)
        keys.push_back(copyOf(*key));
    resetPeak();
    const long loadBaseKb = statusKb("VmRSS");

    // The program loads into an empty table (at start-up, in the login dialog, in the main window's load).
    const std::size_t records = table.size();
    WipeTable(table);
    AccountTable().swap(table);
    for (int r = 0; r < runs; ++r) {
        OptionsRecord options;
        AccountTable loaded;
        login.protection.reset();
        std::unique_ptr<FileProtection> handed = key ? std::move(keys[static_cast<std::size_t>(r)]) : nullptr;
        const auto start = std::chrono::steady_clock::now();
        const double cpu = cpuMs();
        LoadResult result = LoadAccountFile(state, login, options, loaded, locked);
        if (encrypted && result.result.isOk() && result.value == LoadKind::Protected) {
            const Outcome<UnlockKind> opened = UnlockAccountFile(state, login, locked, std::move(handed), loaded);
            result.value = opened.value == UnlockKind::Opened ? LoadKind::Loaded : LoadKind::Recovered;
        }
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

    std::printf("%-9s %9zu %8.1f %8.1f %8.1f %8.1f %12ju %8.1f %8.1f %8.1f\n", encrypted ? "encrypted" : "default",
                accounts, median(saves), median(saveCpu), median(loads), median(loadCpu),
                static_cast<std::uintmax_t>(fileBytes), peakKb / 1024.0, (savePeakKb - baselineKb) / 1024.0,
                (loadPeakKb - loadBaseKb) / 1024.0);
    std::printf("account_file form=%s accounts=%zu save_ms=%.1f load_ms=%.1f file_bytes=%ju peak_rss_mb=%.1f\n",
                encrypted ? "encrypted" : "default", accounts, median(saves), median(loads),
                static_cast<std::uintmax_t>(fileBytes), peakKb / 1024.0);
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
    std::printf("%-9s %9s %8s %8s %8s %8s %12s %8s %8s %8s\n", "form", "accounts", "save ms", "cpu ms", "load ms",
                "cpu ms", "file bytes", "peak MB", "save +MB", "load +MB");
    std::fflush(stdout);
    int failures = 0;
    // The largest table the program stores: the header and kMaxRecords - 1 accounts.
    auto inChild = [&](auto work) {
        const pid_t child = ::fork();
        if (child == 0)
            std::_Exit(work());
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ++failures;
    };
    for (const bool encrypted : {false, true})
        for (std::size_t accounts : {std::size_t{1000}, std::size_t{10000}, kMaxRecords - 1})
            inChild([&] { return runSize(accounts, runs, encrypted); });
    inChild([&] { return runDerivation(std::min(runs, 5)); });
    return failures == 0 ? 0 : 1;
}

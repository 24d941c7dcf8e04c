// The kept versions at the largest table: the look before a save when nothing changed, and the Restore dialog's
// list (every version counted) and comparison (one version opened and compared with the accounts now).
#include "BenchSupport.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/AccountVersions.h"
#include "app/files/OptionsFile.h"
#include "app/files/OutsideChanges.h"
#include "app/model/VersionRestore.h"

#include <filesystem>

int main(int argc, char** argv)
{
    const std::size_t accounts = argc > 1 ? static_cast<std::size_t>(std::atol(argv[1])) : 32765;
    const int versions = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string folder = std::filesystem::temp_directory_path() / "coffernote-bench-versions";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    BenchPlatform platform;
    AppState state(folder, platform);
    Login login;
    (void)WriteOptionsFile(folder, OptionsRecord::defaults());
    AccountTable table{MakeHeaderRecord("", "", "")};
    for (std::size_t i = 1; i <= accounts; ++i)
        table.push_back({static_cast<std::int16_t>(i), "Account " + std::to_string(i),
                         "https://site" + std::to_string(i) + ".example", "notes", "user", "password"});
    for (int v = 0; v <= versions; ++v) {
        table[1 + static_cast<std::size_t>(v) % accounts].Password = "changed " + std::to_string(v);
        if (!SaveAccountFile(state, login, table).isOk())
            return 1;
    }

    std::vector<double> look, list, compare;
    for (int run = 0; run < 7; ++run) {
        auto t = std::chrono::steady_clock::now();
        if (AccountFileChangedOutside(state))
            return 1;
        look.push_back(msSince(t));
        t = std::chrono::steady_clock::now();
        VersionRestore restore(state, login, table);
        list.push_back(msSince(t));
        t = std::chrono::steady_clock::now();
        if (restore.details(0).empty())
            return 1;
        compare.push_back(msSince(t));
    }
    std::printf("versions accounts=%zu kept=%zu look_ms=%.3f list_ms=%.1f compare_ms=%.1f\n", accounts,
                ListVersions(folder).size(), median(look), median(list), median(compare));
    std::filesystem::remove_all(folder);
    return 0;
}

// Importing a browser's password export into a large table, through the same command the File menu runs.
//
//   cmake --build build --target bench_import_from_program && ./build/bench/bench_import_from_program [runs]
//
// A table of 20,000 accounts is saved as the account file; a Chromium-style export of 10,000 accounts (a tenth of
// them with names the table already has) is imported with "Add them with a number". Timed: from the command to
// the preview (reading, parsing, mapping and planning the file), and from the user's Import to the end (taking
// the accounts, the one save of the whole table, the refreshed list).
#include "BenchSupport.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"
#include "app/model/AccountBook.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kTable = 20000;
constexpr std::size_t kFile = 10000;

// Opens the export, times the preview, answers it and takes the final message.
class ImportPlatform : public SilentPlatform
{
public:
    std::string file;
    std::chrono::steady_clock::time_point start, previewShown;
    std::string lastMessage;
    std::string chooseOpenFile(const std::string&) override { return file; }
    ImportChoice showImportPreview(const ImportPreview&) override
    {
        previewShown = std::chrono::steady_clock::now();
        return ImportChoice::AddNumbered;
    }
    Answer showMessageBox(const std::string& text, int, const std::string&) override
    {
        lastMessage = text;
        return Answer::Ok;
    }
    void endProgram(int) override { std::exit(3); }
};

std::string site(std::size_t i)
{
    return "site" + std::to_string(i) + ".example";
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("coffernote-bench-import-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string exportFile = (folder / "passwords.csv").string();
    {
        std::ofstream out(exportFile, std::ios::binary);
        out << "name,url,username,password,note\r\n";
        for (std::size_t i = 0; i < kFile; ++i) {
            const std::size_t n = i % 10 == 0 ? i : kTable + i; // every tenth name exists already
            out << site(n) << ",https://" << site(n) << "/login,user" << i << "@mail.example,\"pw," << i * 7919
                << "\"\"x\",\r\n";
        }
    }

    std::vector<double> previews, imports;
    std::printf("%10s %10s %12s %12s\n", "table", "file", "preview_ms", "import_ms");
    for (int r = 0; r < runs; ++r) {
        ImportPlatform platform;
        platform.file = exportFile;
        AppState state(folder.string(), platform);
        Login login;
        (void)WriteOptionsFile(state.programFolder, OptionsRecord::defaults());
        AccountTable table;
        table.reserve(kTable + 1);
        table.push_back(MakeHeaderRecord("", "", ""));
        for (std::size_t i = 0; i < kTable; ++i)
            table.push_back({static_cast<std::int16_t>(i + 1), site(i), "https://" + site(i), "notes", "user", "pw"});
        if (!SaveAccountFile(state, login, table).isOk()) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        AccountBook book(state, login, table);
        book.open();

        platform.start = std::chrono::steady_clock::now();
        const Result result = book.importFromProgram();
        const double total = msSince(platform.start);
        const double preview =
            std::chrono::duration<double, std::milli>(platform.previewShown - platform.start).count();
        if (!result.isOk() || table.size() != kTable + kFile + 1 ||
            platform.lastMessage.rfind("10000 accounts have been imported", 0) != 0) {
            std::fprintf(stderr, "import failed: %s\n", platform.lastMessage.c_str());
            return 1;
        }
        previews.push_back(preview);
        imports.push_back(total - preview);
        std::printf("%10zu %10zu %12.1f %12.1f\n", kTable, kFile, preview, total - preview);
    }
    std::filesystem::remove_all(folder);
    std::printf("import_from_program table=%zu file=%zu preview_ms=%.1f import_save_ms=%.1f\n", kTable, kFile,
                median(previews), median(imports));
    return 0;
}

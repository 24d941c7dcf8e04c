// Drives the core's save and load from the command line, for fault injection from outside the process (kills
// at chosen system calls, a full disk). Not a test: scripts/fault/*.sh run it.
//
//   savetool create <folder> <accounts>          a folder with default options and generation 0 of the table
//   savetool save <folder> <accounts> <gen>      saves generation <gen> of the table over whatever is there
//   savetool load <folder>                       loads and prints what it found
//   savetool export <file> <accounts> <gen>      exports generation <gen> of the table to <file>
//
// Every record of generation g carries g in its Password, so a load shows whether it found one whole table.
// Every question is answered No and printed; so is every message.

#include "SilentPlatform.h"
#include "app/AppState.h"
#include "app/files/AccountExchange.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class ToolPlatform : public SilentPlatform
{
public:
    int questions = 0, messages = 0;
    bool ended = false;

    Answer showMessageBox(const std::string& text, int style, const std::string&) override
    {
        std::printf("%s (style %d): %s\n", isQuestion(style) ? "QUESTION" : "MESSAGE", style, text.c_str());
        ++(isQuestion(style) ? questions : messages);
        return isQuestion(style) ? Answer::No : Answer::Ok;
    }
    void endProgram() override { ended = true; }
};

AccountTable generation(std::size_t accounts, int gen)
{
    AccountTable table{MakeHeaderRecord("", "", "")};
    for (std::size_t i = 1; i <= accounts; ++i) {
        const std::string n = std::to_string(i);
        table.push_back({static_cast<std::int16_t>(i), "Account " + n, "https://site" + n + ".example",
                         "Notes of account " + n, "user" + n, "gen" + std::to_string(gen)});
    }
    return table;
}

int load(AppState& state, ToolPlatform& platform)
{
    OptionsRecord options;
    AccountTable table;
    const LoadResult r = LoadAccountFile(state, options, table);
    const char* names[] = {"NoFile", "Loaded", "Recovered"};
    // The generation every account carries, or "mixed".
    std::string gen = table.size() > 1 ? table[1].Password.str().substr(3) : "-";
    for (std::size_t i = 2; i < table.size(); ++i)
        if (table[i].Password != table[1].Password)
            gen = "mixed";
    std::printf("result=%s accounts=%zu generation=%s questions=%d messages=%d\n",
                r.result.isOk() ? names[static_cast<int>(r.value)] : "Ended", table.empty() ? 0 : table.size() - 1,
                gen.c_str(), platform.questions, platform.messages);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[1] : "";
    if ((mode != "create" && mode != "save" && mode != "load" && mode != "export") || (mode == "create" && argc != 4) ||
        ((mode == "save" || mode == "export") && argc != 5) || (mode == "load" && argc != 3)) {
        std::fprintf(stderr, "usage: savetool create|save|load|export <folder or file> [accounts [generation]]\n");
        return 2;
    }
    if (mode == "export") {
        const Result r =
            WriteExportFile(argv[2], generation(static_cast<std::size_t>(std::atol(argv[3])), std::atoi(argv[4])));
        std::printf("%s\n", r.isOk() ? "exported" : ("EXPORT FAILED: " + r.message()).c_str());
        return r.isOk() ? 0 : 1;
    }
    ToolPlatform platform;
    AppState state(argv[2], platform);
    if (mode == "load")
        return load(state, platform);

    const auto accounts = static_cast<std::size_t>(std::atol(argv[3]));
    const int gen = mode == "save" ? std::atoi(argv[4]) : 0;
    std::error_code ec;
    if (mode == "create")
        std::filesystem::create_directories(state.programFolder, ec);
    if (mode == "create" && !WriteOptionsFile(state.programFolder, OptionsRecord::defaults()).isOk()) {
        std::fprintf(stderr, "cannot write the options file\n");
        return 1;
    }
    const Result r = SaveAccountFile(state, generation(accounts, gen));
    if (!r.isOk()) {
        std::printf("SAVE FAILED (status %d): %s\n", static_cast<int>(r.status()), r.message().c_str());
        return 1;
    }
    std::printf("saved accounts=%zu generation=%d\n", accounts, gen);
    return 0;
}

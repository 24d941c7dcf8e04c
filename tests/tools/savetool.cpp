// Drives the core's save and load from the command line, for fault injection from outside the process (kills
// at chosen system calls, a full disk). Not a test: scripts/fault/*.sh run it.
//
//   savetool create <folder> <accounts>          a folder with default options and generation 0 of the table
//   savetool save <folder> <accounts> <gen>      saves generation <gen> of the table over whatever is there
//   savetool load <folder>                       loads and prints what it found
//   savetool export <file> <accounts> <gen>      exports generation <gen> of the table to <file>
//   savetool list <folder>                       loads and prints every account's name ("account <name>")
//   savetool add <folder> <name>                 loads, adds the account <name> and saves the table it loaded; with
//                                                COFFERNOTE_SAVETOOL_WAIT_FOR set to a path it waits (up to 60 s)
//                                                between the load and the save until that path exists, as a copy
//                                                left running would
//   savetool flips <folder>                      every one-bit change of the folder's account file in turn, its
//                                                stamp made to match, loaded and opened with the login: counts how
//                                                many open, read as a wrong login, ask the damaged-data question or
//                                                are refused at the load, and prints the runs of bytes alike
//
// Every record of generation g carries g in its Password, so a load shows whether it found one whole table.
// Every question is answered No and printed; so is every message.
//
// With COFFERNOTE_SAVETOOL_LOGIN=user,password,digits the account file is encrypted with that login: a save first
// opens the file in the folder (as the login dialog would) and saves under the same key and salt. With
// COFFERNOTE_SAVETOOL_NEW_LOGIN as well, the save changes to that login (a new key and salt, as Login Settings
// does), and a load tries the old login, then the new one, and says which opened the file.

#include "SilentPlatform.h"
#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountExchange.h"
#include "app/files/AccountFile.h"
#include "app/files/AccountVersions.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/OptionsFile.h"
#include "app/files/OutsideChanges.h"
#include "app/files/Paths.h"
#include "app/model/AccountBook.h"

#include "base/AtomicFile.h"
#include "cipher/ProtectedFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class ToolPlatform : public SilentPlatform
{
public:
    int questions = 0, messages = 0;
    bool ended = false, quiet = false;

    Answer showMessageBox(const std::string& text, int style, const std::string&) override
    {
        if (!quiet)
            std::printf("%s (style %d): %s\n", isQuestion(style) ? "QUESTION" : "MESSAGE", style, text.c_str());
        ++(isQuestion(style) ? questions : messages);
        return isQuestion(style) ? Answer::No : Answer::Ok;
    }
    void endProgram(int) override { ended = true; }
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

// The derivation's smallest settings: thousands of killed saves stay quick.
constexpr KdfSettings kQuick{kMinKdfMemoryKiB, 1, 1};

struct TypedLogin
{
    SecretString user, password, digits;
    bool set = false;
};

// One run of the program on the folder, as far as the tool plays it.
struct Run
{
    Run(std::string folder, Platform& platform) : state(std::move(folder), platform) {}
    AppState state;
    Login login;
    LockedFile locked;
};

TypedLogin loginFrom(const char* variable)
{
    TypedLogin login;
    const char* text = std::getenv(variable);
    if (!text || !*text)
        return login;
    const std::string s = text;
    const std::size_t a = s.find(','), b = s.find(',', a + 1);
    login.user = s.substr(0, a);
    login.password = s.substr(a + 1, b - a - 1);
    login.digits = s.substr(b + 1);
    login.set = true;
    return login;
}

void useLogin(Run& run, const TypedLogin& login)
{
    run.login.LoginUserName = login.user;
    run.login.LoginPassword1 = login.password;
    run.login.LoginPassword2 = login.digits;
}

// A load, and for a protected file the login that opens it: "old", "new" or "none".
LoadResult loadWithLogin(Run& run, AccountTable& table, std::string& opened)
{
    OptionsRecord options;
    LoadResult r = LoadAccountFile(run.state, run.login, options, table, run.locked);
    if (!r.result.isOk() || r.value != LoadKind::Protected)
        return r;
    const std::optional<ProtectedHeader> header = ReadProtectedHeader(run.locked.bytes);
    opened = "none";
    const std::pair<TypedLogin, const char*> logins[] = {{loginFrom("COFFERNOTE_SAVETOOL_LOGIN"), "old"},
                                                         {loginFrom("COFFERNOTE_SAVETOOL_NEW_LOGIN"), "new"}};
    for (const auto& [login, name] : logins) {
        if (!login.set || !header)
            continue;
        const Outcome<UnlockKind> u = UnlockAccountFile(
            run.state, run.login, run.locked, ProtectionFor(*header, login.user, login.password, login.digits), table);
        if (!u.result.isOk())
            return {std::move(u.result)};
        if (u.value == UnlockKind::WrongLogin)
            continue;
        opened = name;
        useLogin(run, login);
        return {Result::ok(), u.value == UnlockKind::Opened ? LoadKind::Loaded : LoadKind::Recovered};
    }
    return r;
}

int load(Run& run, ToolPlatform& platform)
{
    AccountTable table;
    std::string opened;
    const LoadResult r = loadWithLogin(run, table, opened);
    const char* names[] = {"NoFile", "Loaded", "Recovered", "Protected"};
    // The generation every account carries, or "mixed".
    std::string gen = table.size() > 1 ? table[1].Password.str().substr(3) : "-";
    for (std::size_t i = 2; i < table.size(); ++i)
        if (table[i].Password != table[1].Password)
            gen = "mixed";
    std::printf("result=%s accounts=%zu generation=%s questions=%d messages=%d%s%s\n",
                r.result.isOk() ? names[static_cast<int>(r.value)] : "Ended", table.empty() ? 0 : table.size() - 1,
                gen.c_str(), platform.questions, platform.messages, opened.empty() ? "" : " login=", opened.c_str());
    return 0;
}

// After the load: the versions kept, and how many open with the key the account file opened with (or the
// program's keys), are sealed under another login, or cannot be read.
int versions(Run& run)
{
    AccountTable table;
    std::string opened;
    if (!loadWithLogin(run, table, opened).result.isOk())
        return 1;
    int counts[3] = {};
    for (const KeptVersion& v : ListVersions(run.state.programFolder)) {
        const Outcome<std::string> bytes = ReadWholeFile(v.path);
        AccountTable t;
        ++counts[bytes.result.isOk() ? static_cast<int>(OpenVersion(bytes.value, run.login.protection.get(), t)) : 2];
    }
    std::printf("versions opened=%d other-login=%d unreadable=%d\n", counts[0], counts[1], counts[2]);
    return 0;
}

// list and add: the table as a copy of the program would hold it, then (add) that table and one more account saved.
int addTo(Run& run, const char* name)
{
    run.login.kdfDefaults = kQuick;
    AccountTable table;
    std::string opened;
    if (!loadWithLogin(run, table, opened).result.isOk() || opened == "none" || table.empty()) {
        std::printf("LOAD FAILED\n");
        return 1;
    }
    for (std::size_t i = 1; i < table.size(); ++i)
        std::printf("account %s\n", table[i].AccountName.c_str());
    if (!name)
        return 0;
    if (const char* wait = std::getenv("COFFERNOTE_SAVETOOL_WAIT_FOR"); wait && *wait)
        for (int i = 0; i < 6000 && !std::filesystem::exists(wait); ++i)
            usleep(10000);
    // As the main window's Add: what another computer saved meanwhile is taken in before the save.
    AccountBook book(run.state, run.login, table);
    book.open();
    book.setComboTextQuietly(name);
    book.boxEdited(AccountBook::Website, SecretString("https://example.org"));
    book.boxEdited(AccountBook::UserId, SecretString("user"));
    book.boxEdited(AccountBook::Password, SecretString("pw"));
    const Result r = book.addAccount();
    const bool saved = r.isOk() && book.table().size() > 1 && !AccountFileChangedOutside(run.state);
    std::printf("%s\n", saved ? "saved" : "SAVE FAILED");
    return saved ? 0 : 1;
}

enum Reading { Opened, WrongLogin, Damage, Refused, Mixed };
constexpr const char* kReadingNames[] = {"opened", "wrong-login", "damage", "refused", "mixed"};

// How a start reads file bytes under a stamp that matches them, with the login of COFFERNOTE_SAVETOOL_LOGIN. The
// damaged-data question is answered No, so nothing in the folder changes.
Reading readAs(const std::string& folder, const std::string& bytes, OptionsRecord options)
{
    ToolPlatform platform;
    platform.quiet = true;
    Run run(folder, platform);
    std::ofstream(JoinPath(folder, kAccountFileName), std::ios::binary | std::ios::trunc) << bytes;
    if (!ComputeStampOf(run.state, bytes).isOk())
        return Refused;
    options.set(OptionsRecord::IntegrityStamp, run.state.ComputedStamp);
    (void)WriteOptionsFile(folder, options);
    AccountTable table;
    std::string opened;
    const LoadResult r = loadWithLogin(run, table, opened);
    if (platform.questions > 0)
        return Damage;
    if (!r.result.isOk())
        return Refused;
    return opened == "none" ? WrongLogin : Opened;
}

int flips(const std::string& folder)
{
    const Outcome<std::string> read = ReadWholeFile(JoinPath(folder, kAccountFileName));
    OptionsRecord options = OptionsRecord::defaults();
    if (!loginFrom("COFFERNOTE_SAVETOOL_LOGIN").set || !read.result.isOk() ||
        !ReadOptionsFile(folder, options).result.isOk()) {
        std::fprintf(stderr, "flips needs COFFERNOTE_SAVETOOL_LOGIN and a folder with an account file\n");
        return 2;
    }
    const std::string& file = read.value;
    std::vector<Reading> byByte; // the reading of the byte's eight flips, Mixed when they differ
    int counts[4] = {};
    for (std::size_t at = 0; at < file.size(); ++at) {
        std::optional<Reading> same;
        for (int bit = 0; bit < 8; ++bit) {
            std::string changed = file;
            changed[at] = static_cast<char>(changed[at] ^ (1 << bit));
            const Reading r = readAs(folder, changed, options);
            ++counts[r];
            same = (bit == 0 || same == r) ? std::optional(r) : std::nullopt;
        }
        byByte.push_back(same.value_or(Mixed));
    }
    (void)readAs(folder, file, options); // the file and its stamp as they were
    for (std::size_t from = 0, to = 0; from < byByte.size(); from = to) {
        while (to < byByte.size() && byByte[to] == byByte[from])
            ++to;
        std::printf("bytes %zu-%zu: %s\n", from, to - 1, kReadingNames[byByte[from]]);
    }
    std::printf("flips=%zu opened=%d wrong-login=%d damage=%d refused=%d\n", file.size() * 8, counts[Opened],
                counts[WrongLogin], counts[Damage], counts[Refused]);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[1] : "";
    if ((mode != "create" && mode != "save" && mode != "load" && mode != "export" && mode != "list" && mode != "add" &&
         mode != "versions" && mode != "flips") ||
        ((mode == "create" || mode == "add") && argc != 4) || ((mode == "save" || mode == "export") && argc != 5) ||
        ((mode == "load" || mode == "list" || mode == "versions" || mode == "flips") && argc != 3)) {
        std::fprintf(stderr, "usage: savetool create|save|load|versions|flips|export|list|add <folder or file> "
                             "[accounts [generation]] | [name]\n");
        return 2;
    }
    if (mode == "export") {
        const Result r =
            WriteExportFile(argv[2], generation(static_cast<std::size_t>(std::atol(argv[3])), std::atoi(argv[4])));
        std::printf("%s\n", r.isOk() ? "exported" : ("EXPORT FAILED: " + r.message()).c_str());
        return r.isOk() ? 0 : 1;
    }
    if (mode == "flips")
        return flips(argv[2]);
    ToolPlatform platform;
    Run run(argv[2], platform);
    AppState& state = run.state;
    Login& login = run.login;
    if (mode == "load")
        return load(run, platform);
    if (mode == "versions")
        return versions(run);
    if (mode == "list" || mode == "add")
        return addTo(run, mode == "add" ? argv[3] : nullptr);

    const auto accounts = static_cast<std::size_t>(std::atol(argv[3]));
    const int gen = mode == "save" ? std::atoi(argv[4]) : 0;
    std::error_code ec;
    if (mode == "create")
        std::filesystem::create_directories(state.programFolder, ec);
    if (mode == "create" && !WriteOptionsFile(state.programFolder, OptionsRecord::defaults()).isOk()) {
        std::fprintf(stderr, "cannot write the options file\n");
        return 1;
    }
    const TypedLogin typed = loginFrom("COFFERNOTE_SAVETOOL_LOGIN");
    if (typed.set) {
        login.kdfDefaults = kQuick;
        AccountTable ignored;
        std::string opened;
        if (mode == "save" && !loadWithLogin(run, ignored, opened).result.isOk()) {
            std::printf("LOAD BEFORE SAVE FAILED\n");
            return 1;
        }
        const TypedLogin next = loginFrom("COFFERNOTE_SAVETOOL_NEW_LOGIN");
        const TypedLogin& wanted = next.set ? next : typed;
        if (!login.protection || login.LoginUserName != wanted.user || login.LoginPassword1 != wanted.password ||
            login.LoginPassword2 != wanted.digits) {
            useLogin(run, wanted);
            // As Login Settings does: the key the file on disk was written with serves the check before the save.
            login.replacedProtection = std::move(login.protection);
            login.protection = NewProtection(kQuick, wanted.user, wanted.password, wanted.digits);
        }
    }
    const Result r = SaveAccountFile(state, login, generation(accounts, gen));
    if (!r.isOk()) {
        std::printf("SAVE FAILED (status %d): %s\n", static_cast<int>(r.status()), r.message().c_str());
        return 1;
    }
    std::printf("saved accounts=%zu generation=%d\n", accounts, gen);
    return 0;
}

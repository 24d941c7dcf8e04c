// Start-up to the first window with the largest account table (the header and 32,765 accounts), with and
// without a login, and with the file encrypted with the login (at 1,000 accounts too): the start-up sequence with
// its checks, the first window's load and showing, and with a login the correct entry up to the main window (for
// an encrypted file, the key's derivation included). Runs offscreen. It also counts how often a start reads the account
// file, from the bytes the process read (/proc/self/io).
//
//   cmake --build build --target bench_startup && ./build/bench/bench_startup [runs]

#include "BenchSupport.h"
#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"
#include "app/model/Session.h"
#include "cipher/ProtectedFile.h"
#include "ui/login/frmLogin.h"
#include "ui/main/Form1.h"
#include "ui/main/LanguageTextRules.h"
#include "ui/main/Program.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kUser = "owner";
const char* const kPassword1 = "first secret";
const char* const kPassword2 = "2468";

// Bytes this process has read so far, through every read call.
double bytesRead()
{
    std::ifstream in("/proc/self/io");
    std::string key;
    double value = 0;
    while (in >> key >> value)
        if (key == "rchar:")
            return value;
    return 0;
}

enum class Mode { Plain, Login, Protected };

// A program folder with the default options and a table of records (header included), its header holding the
// login (or none), the file encrypted with the login in Protected mode.
bool writeFolder(const std::filesystem::path& folder, Mode mode, std::size_t records)
{
    std::filesystem::create_directories(folder);
    BenchPlatform platform;
    AppState state(folder.string(), platform);
    Login login;
    if (mode != Mode::Plain) {
        login.LoginUserName = kUser;
        login.LoginPassword1 = kPassword1;
        login.LoginPassword2 = kPassword2;
    }
    if (!WriteOptionsFile(state.programFolder, OptionsRecord::defaults()).isOk())
        return false;
    AccountTable table{MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2)};
    if (mode == Mode::Protected)
        login.protection = NewProtection(kDefaultKdf, login.LoginUserName, login.LoginPassword1, login.LoginPassword2);
    std::mt19937 gen(7);
    for (int i = 1; table.size() < records; ++i) {
        AccountRecord r;
        r.RecordNo = static_cast<std::int16_t>(table.size());
        r.AccountName = "account " + std::to_string(i * 7919 % 100000);
        r.Website = "https://" + std::to_string(gen()) + ".example.com/login";
        r.Notes = "notes of account " + std::to_string(gen());
        r.UserId = "user" + std::to_string(i) + "@example.com";
        r.Password = "Pw" + std::to_string(gen());
        table.push_back(std::move(r));
    }
    return SaveAccountFile(state, login, table).isOk();
}

struct Start
{
    double firstWindowMs = 0; // to the first window shown: the login dialog, or the main window
    double mainWindowMs = 0;  // to the main window shown (with a login: the entry included)
    double fileReads = 0;     // bytes read, in account files
    double okToMainMs = 0;    // with a login: from OK to the main window shown (the key derived and the file opened)
};

Start startOnce(const std::filesystem::path& folder, bool login, double fileBytes, std::size_t records)
{
    BenchPlatform platform;
    const LanguageTextRules rules;
    Session session(folder.string(), platform, rules);
    Program program(session);
    Start s;
    const double read0 = bytesRead();
    const auto t0 = std::chrono::steady_clock::now();
    program.runStartup(); // straight to the sequence: the splash's delay is not measured
    QApplication::processEvents();
    s.firstWindowMs = msSince(t0);
    if (login) {
        frmLogin* dialog = program.loginDialog();
        if (!dialog || !dialog->isVisible()) {
            std::fprintf(stderr, "no login dialog\n");
            std::exit(1);
        }
        dialog->findChild<QLineEdit*>(QStringLiteral("txtUsername"))->setText(QString::fromLatin1(kUser));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtPassword1"))->setText(QString::fromLatin1(kPassword1));
        for (const char* d = kPassword2; *d; ++d)
            dialog->padDigit(*d);
        const auto ok = std::chrono::steady_clock::now();
        dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        // The key is derived on a thread of its own; its end comes back as an event.
        while (!program.mainWindow() && msSince(ok) < 60000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QApplication::processEvents();
        s.okToMainMs = msSince(ok);
    }
    s.mainWindowMs = msSince(t0);
    s.fileReads = (bytesRead() - read0) / fileBytes;
    Form1* main = program.mainWindow();
    if (!main || !main->isVisible() || main->book().names().size() + 1 != records) {
        std::fprintf(stderr, "the main window did not open on the whole table\n");
        std::exit(1);
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("coffernote-startup-" + std::to_string(std::random_device{}()));
    std::printf("Start-up to the first window, median of %d runs\n", runs);
    std::printf("%-10s %9s %18s %18s %14s %14s\n", "login", "accounts", "first window ms", "main window ms",
                "file reads", "OK to main ms");
    int status = 0;
    const struct
    {
        Mode mode;
        std::size_t records;
        const char* name;
    } configs[] = {{Mode::Plain, kMaxRecords, "no"},
                   {Mode::Login, 1001, "yes"},
                   {Mode::Login, kMaxRecords, "yes"},
                   {Mode::Protected, 1001, "encrypted"},
                   {Mode::Protected, kMaxRecords, "encrypted"}};
    for (const auto& c : configs) {
        const bool login = c.mode != Mode::Plain;
        const std::filesystem::path folder = base / (std::string(c.name) + std::to_string(c.records));
        if (!writeFolder(folder, c.mode, c.records)) {
            std::fprintf(stderr, "cannot write the data files in %s\n", folder.string().c_str());
            status = 1;
            break;
        }
        const double fileBytes = static_cast<double>(std::filesystem::file_size(folder / "settings.dat"));
        (void)startOnce(folder, login, fileBytes, c.records); // warm-up: fonts, caches
        std::vector<double> first, main, reads, okToMain;
        for (int r = 0; r < runs; ++r) {
            const Start s = startOnce(folder, login, fileBytes, c.records);
            first.push_back(s.firstWindowMs);
            main.push_back(s.mainWindowMs);
            reads.push_back(s.fileReads);
            okToMain.push_back(s.okToMainMs);
        }
        std::printf("%-10s %9zu %18.1f %18.1f %14.2f %14.1f\n", c.name, c.records - 1, median(first), median(main),
                    median(reads), median(okToMain));
        std::printf("startup login=%s accounts=%zu first_window_ms=%.1f main_window_ms=%.1f account_file_reads=%.0f\n",
                    c.name, c.records - 1, median(first), median(main), std::round(median(reads)));
    }
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    return status;
}

// A copy of the program without windows, for the single-copy tests and the two-copies race script. It takes
// the data folder's lock exactly as the program does, runs the same start-up sequence (with its one load) and save,
// answers every question No and prints what a user would have seen, one line each:
//   coffernote_copy hold FOLDER       take the lock and keep it until standard input closes
//   coffernote_copy save FOLDER NAME  start, add the account NAME as the main window's Add does (which first
//                                     takes in what another computer saved meanwhile), save
//   coffernote_copy seed FOLDER N     start, add N accounts, save
//   coffernote_copy check FOLDER      start, open the main window and list the account names it shows
// With COFFERNOTE_COPY_WAIT_FOR set to a path, save and seed wait (up to 10 s) after the start until that path
// exists, so that a script can change the folder between a copy's start and its save.
#include "app/files/AccountFile.h"
#include "app/model/Session.h"
#include "cipher/CipherComponent.h"
#include "platform/qt/QtPlatform.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\r'));
}

// The desktop of a user who answers No to every question.
class ToolPlatform : public QtPlatform
{
public:
    using QtPlatform::QtPlatform;
    Answer showMessageBox(const std::string& text, int style, const std::string&) override
    {
        lastMessage = text;
        say((isQuestion(style) ? "question " : "message ") + firstLine(text));
        return isQuestion(style) ? Answer::No : Answer::Ok;
    }
    [[noreturn]] void endProgram(int) override
    {
        say("ended");
        CipherComponent::wipeKeyCache();
        prepareEnd();
        std::_Exit(4);
    }
    std::string lastMessage;
};

// Add, as the user does it in the main window: the name typed, the website and the password, then Add.
Result addInWindow(Session& session, const std::string& name)
{
    session.openMain();
    AccountBook& book = session.book();
    book.setComboTextQuietly(name);
    book.boxEdited(AccountBook::Website, SecretString("https://example.org/" + name));
    book.boxEdited(AccountBook::Password, SecretString("pw-" + name));
    return book.addAccount();
}

int hold(QCoreApplication& app, ToolPlatform& platform)
{
    if (platform.previousInstanceRunning()) {
        say("refused");
        return 3;
    }
    platform.setActivationHandler([] { say("activated"); });
    say("held");
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app] {
        char c = 0;
        if (read(STDIN_FILENO, &c, 1) <= 0)
            app.quit();
    });
    return QCoreApplication::exec();
}

int run(const std::string& mode, Session& session, const std::string& arg)
{
    AppState& state = session.state();
    Login& login = session.login();
    // As the program's application object does: a result that says so ends the program.
    if (!session.start().result.isOk()) {
        state.platform.endProgram(1);
        return 4;
    }
    if (mode == "check") {
        // As the program's main window opens: what another computer set aside is merged in first.
        session.openMain();
        const AccountTable& shown = session.book().table();
        for (std::size_t i = 1; i < shown.size(); ++i)
            say("account " + shown[i].AccountName);
        return 0;
    }
    AccountTable table = session.table();
    if (const char* wait = std::getenv("COFFERNOTE_COPY_WAIT_FOR"); wait && *wait) {
        for (int i = 0; i < 1000 && access(wait, F_OK) != 0; ++i)
            usleep(10000);
    }
    if (mode == "save") {
        const Result added = addInWindow(session, arg);
        auto& platform = static_cast<ToolPlatform&>(state.platform);
        if (added.mustEnd()) {
            state.platform.endProgram(1);
            return 4;
        }
        const bool saved = platform.lastMessage == "Settings have been saved successfully.";
        say(saved ? "saved" : "failed " + firstLine(platform.lastMessage));
        return saved ? 0 : 5;
    }
    const int count = std::atoi(arg.c_str());
    for (int i = 0; i < count; ++i) {
        AccountRecord r;
        r.RecordNo = static_cast<std::int16_t>(table.size());
        r.AccountName = "seed " + std::to_string(i);
        r.Website = "https://example.org/" + r.AccountName;
        r.Password = "pw-" + r.AccountName;
        table.push_back(std::move(r));
    }
    const Result saved = SaveAccountFile(state, login, table);
    if (saved.mustEnd()) {
        state.platform.endProgram(1);
        return 4;
    }
    if (saved.isOk())
        say("saved");
    else
        say("failed " + firstLine(saved.message()));
    return saved.isOk() && table.size() > 1 ? 0 : 5;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode != "hold" && mode != "check" && !((mode == "save" || mode == "seed") && argc > 3)) {
        std::fprintf(stderr, "usage: %s hold|check FOLDER | save FOLDER NAME | seed FOLDER COUNT\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    ToolPlatform platform(folder);
    if (mode == "hold")
        return hold(app, platform);
    Session session(folder.toStdString(), platform);
    const int rc = run(mode, session, argc > 3 ? argv[3] : "");
    platform.prepareEnd();
    return rc;
}

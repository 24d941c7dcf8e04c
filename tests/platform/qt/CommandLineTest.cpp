#include "platform/qt/Launch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Runs a copy of the real program from a folder of its own, so any data file it wrote would show there.
class CommandLine : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        exe = folder->filePath(QStringLiteral("coffernote"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(COFFERNOTE_EXE), exe));
    }
    static void TearDownTestSuite() { delete folder; }

    // Runs the program without any display; `display` names one when not empty.
    int run(const QStringList& args, const QString& display = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        p.setProcessEnvironment(env);
        p.start(exe, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit); // no abort, no core dump
        out = p.readAllStandardOutput().toStdString();
        err = p.readAllStandardError().toStdString();
        EXPECT_EQ(QDir(folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{QStringLiteral("coffernote")}); // no data file written
        return p.exitCode();
    }

    std::string usage() const
    {
        return "Usage: " + exe.toStdString() +
               " [options]\n"
               "Coffernote keeps your accounts and passwords, encrypted.\n\n"
               "Options:\n"
               "  -h, --help     Show this help and end.\n"
               "  -v, --version  Show the version and end.\n"
               "\nExit status:\n"
               "  0  closed normally, or after --help or --version\n"
               "  1  ended after a failure it reported: no display, a data folder it cannot\n"
               "     make, use or lock, another copy running, data files it cannot read or\n"
               "     use, too many failed logins\n"
               "  2  an option or argument it does not take\n";
    }

    static inline QTemporaryDir* folder = nullptr;
    static inline QString exe;
    std::string out;
    std::string err;
};

} // namespace

TEST_F(CommandLine, HelpAndVersionPrintAndEndWithoutDisplay)
{
    const std::string version = "Coffernote " COFFERNOTE_VERSION "\n";
    const struct
    {
        QStringList args;
        std::string out;
    } cases[] = {{{QStringLiteral("--help")}, usage()},
                 {{QStringLiteral("-h")}, usage()},
                 {{QStringLiteral("--version")}, version},
                 {{QStringLiteral("-v")}, version}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(run(c.args), 0);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(err, "");
    }
}

TEST_F(CommandLine, WrongOptionOrArgumentPrintsTheUsageAndEndsWith2)
{
    EXPECT_EQ(run({QStringLiteral("--frobnicate")}), 2);
    EXPECT_EQ(err, "Unknown option 'frobnicate'.\n" + usage());
    EXPECT_EQ(run({QStringLiteral("accounts.csv")}), 2);
    EXPECT_EQ(err, "Unexpected argument 'accounts.csv'.\n" + usage());
    EXPECT_EQ(out, "");
}

TEST_F(CommandLine, NoDisplayEndsWithOnePlainLineAndExitCode1)
{
    const std::string line = std::string(NoDisplayMessage) + "\n";
    EXPECT_EQ(run({}), 1);
    EXPECT_EQ(err, line);
    // A display that is named but cannot be reached: the platform fails to open, and Qt's reason follows.
    EXPECT_EQ(run({}, QStringLiteral(":8765")), 1);
    EXPECT_EQ(err.substr(0, line.size()), line);
    EXPECT_NE(err.find("could not connect to display :8765\n", line.size()), std::string::npos) << err;
}

TEST(ApplicationIcon, CarriesEverySizeAndSkipsUnreadableFiles)
{
    QList<QSize> sizes;
    for (const int s : {16, 24, 32, 48, 64, 128, 256})
        sizes.append(QSize(s, s));
    EXPECT_EQ(applicationIcon().availableSizes(), sizes);

    QTemporaryDir broken;
    QDir(broken.path()).mkpath(QStringLiteral("16x16/apps"));
    QFile corrupt(broken.filePath(QStringLiteral("16x16/apps/coffernote.png")));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("\x89PNG not really");
    corrupt.close();
    EXPECT_TRUE(applicationIcon(broken.path()).isNull());
}

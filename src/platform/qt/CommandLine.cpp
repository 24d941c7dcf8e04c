#include "platform/qt/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

// The options Qt's own application object takes (-platform xcb, -style fusion, -reverse ...). They are
// accepted and left for it, but not shown in the help.
void addQtOptions(QCommandLineParser& parser)
{
    const char* const withValue[] = {
        "platform",  "platformpluginpath", "platformtheme", "plugin",      "display", "geometry", "qwindowgeometry",
        "title",     "qwindowtitle",       "icon",          "qwindowicon", "name",    "session",  "style",
        "stylesheet"};
    const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char* name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// After the options: what the exit status tells a script or a desktop that started the program.
const char* const kExitStatusHelp = "\nExit status:\n"
                                    "  0  closed normally, or after --help or --version\n"
                                    "  1  ended after a failure it reported: no display, a data folder it cannot\n"
                                    "     make, use or lock, another copy running, data files it cannot read or\n"
                                    "     use, too many failed logins\n"
                                    "  2  an option or argument it does not take\n";

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

std::optional<int> handleCommandLine(int argc, char** argv)
{
    // A core application object only for the parser (it takes the program name from it); the window system is
    // not touched, so this works without a display.
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Coffernote"));
    QCoreApplication::setApplicationVersion(QStringLiteral(COFFERNOTE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Coffernote keeps your accounts and passwords, encrypted."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    parser.addOption(help);
    parser.addOption(version);
    addQtOptions(parser);

    const QString usage = parser.helpText() + QString::fromLatin1(kExitStatusHelp);
    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, parser.errorText() + QLatin1Char('\n') + usage);
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("Unexpected argument '%1'.\n").arg(parser.positionalArguments().first()) + usage);
        return 2;
    }
    if (parser.isSet(help)) {
        print(stdout, usage);
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("Coffernote %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

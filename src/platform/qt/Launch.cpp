#include "platform/qt/Launch.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <vector>

const char* const NoDisplayMessage = "Coffernote needs a graphical desktop, and none is available here.";

namespace {

// While the application object is being made, Qt's messages are held back: a platform that cannot be opened
// ends in a fatal message (which would abort and dump core) and is answered with one plain line instead;
// when the platform opens, the held messages go out as usual.
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> held;

// After the one line, what Qt found (a platform plugin missing, a display it could not reach), for whoever
// sets the desktop up.
[[noreturn]] void endWithoutDisplay(const QString& reason = {})
{
    std::fprintf(stderr, "%s\n", NoDisplayMessage);
    for (const HeldMessage& m : held) {
        const QByteArray category = m.category.isEmpty() || m.category == "default" ? QByteArray() : m.category + ": ";
        std::fprintf(stderr, "%s%s\n", category.constData(), m.text.toLocal8Bit().constData());
    }
    if (!reason.isEmpty())
        std::fprintf(stderr, "%s\n", reason.trimmed().toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        endWithoutDisplay(text);
    held.push_back({type, QByteArray(context.category), text});
}

} // namespace

bool displayNamed(int argc, char** argv)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-platform" || arg == "--platform")
            return true;
    }
    return false;
}

std::unique_ptr<QApplication> createApplication(int& argc, char** argv)
{
    if (!displayNamed(argc, argv))
        endWithoutDisplay();
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const HeldMessage& m : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
        (previous ? previous : qt_message_output)(m.type, context, m.text);
    }
    held.clear();
    QApplication::setApplicationName(QStringLiteral("Coffernote"));
    QApplication::setApplicationVersion(QStringLiteral(COFFERNOTE_VERSION));
    // Matches the desktop entry, so the desktop pairs the windows with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.coffernote"));
    QApplication::setWindowIcon(applicationIcon());
    return app;
}

QIcon applicationIcon(const QString& prefix)
{
    Q_INIT_RESOURCE(app);
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString file = QDir(prefix).filePath(QStringLiteral("%1x%1/apps/coffernote.png").arg(size));
        const QPixmap pixmap(file);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

void reportStartFailure(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    // The reason may quote a path the user gave: shown as it is, never read as markup or a link.
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Coffernote"), QString(), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.exec();
}

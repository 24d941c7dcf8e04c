#include "app/AppState.h"
#include "platform/ProcessHardening.h"
#include "platform/QtPlatform.h"
#include "ui/main/Program.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before anything is read: no core file, no other process reading this one's memory.
    hardenProcess();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Coffernote"));
    // The program keeps its data files next to its executable.
    const QString folder = QCoreApplication::applicationDirPath();
    QtPlatform platform(folder);
    AppState state(folder.toStdString(), platform);
    Program program(state);
    program.start();
    const int rc = QApplication::exec();
    platform.clearClipboard();
    return rc;
}

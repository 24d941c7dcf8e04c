#include "app/AppState.h"
#include "platform/QtPlatform.h"
#include "ui/main/Program.h"

#include <QApplication>

int main(int argc, char** argv)
{
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

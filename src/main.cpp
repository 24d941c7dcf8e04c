#include "app/AppState.h"
#include "platform/QtPlatform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Coffernote"));
    const QString folder = QCoreApplication::applicationDirPath();
    QtPlatform platform(folder);
    AppState state(folder.toStdString(), platform);
    return 0;
}

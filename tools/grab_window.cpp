// Saves one window of the X display as a PNG, for the README's screenshots:
//   grab_window WINDOW-ID FILE.png
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: grab_window WINDOW-ID FILE.png\n");
        return 2;
    }
    bool ok = false;
    const WId id = QString::fromLatin1(argv[1]).toULongLong(&ok, 0);
    if (!ok) {
        std::fprintf(stderr, "not a window id: %s\n", argv[1]);
        return 2;
    }
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(id);
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot grab window %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}

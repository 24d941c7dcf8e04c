#pragma once

#include <QIcon>
#include <QString>

#include <memory>

class QApplication;

// The line printed when there is no desktop to show a window on.
extern const char* const NoDisplayMessage;

// True when a window system is named: DISPLAY or WAYLAND_DISPLAY, or a platform chosen with QT_QPA_PLATFORM
// or -platform.
bool displayNamed(int argc, char** argv);

// Creates the application object with the program's name and icon. When no display is named, or the platform
// cannot be opened, prints NoDisplayMessage and ends the process with exit code 1 (not Qt's abort).
std::unique_ptr<QApplication> createApplication(int& argc, char** argv);

// The application icon from the PNGs under `prefix` (the program's resources by default). Files that are
// missing or cannot be read are skipped: the icon may come out empty, the program starts all the same.
QIcon applicationIcon(const QString& prefix = QStringLiteral(":/icons"));

// Tells the user why the program cannot start, on the terminal and in a message box.
void reportStartFailure(const QString& text);

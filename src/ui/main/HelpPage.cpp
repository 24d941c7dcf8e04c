#include "ui/main/HelpPage.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString OnlineHelpAddress(const QString& supportHost, const QString& programFolder)
{
    if (!supportHost.isEmpty())
        return QStringLiteral("http://") + supportHost + QStringLiteral("/support.htm");
    const QDir folder(programFolder);
    const QString beside = folder.filePath(QStringLiteral("user-guide.html"));
    const QString shared = QDir::cleanPath(folder.filePath(QStringLiteral("../share/coffernote/user-guide.html")));
    const QString guide = !QFileInfo(beside).isFile() && QFileInfo(shared).isFile() ? shared : beside;
    return QUrl::fromLocalFile(guide).toString(QUrl::FullyEncoded);
}

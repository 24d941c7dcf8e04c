#include "ui/main/HelpPage.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString OnlineHelpAddress(const QString& supportHost, const QString& programFolder)
{
    // Both in the normalized form the desktop opens as it stands.
    if (!supportHost.isEmpty())
        return QUrl(QStringLiteral("http://") + supportHost + QStringLiteral("/support.htm"), QUrl::StrictMode)
            .toString(QUrl::FullyEncoded);
    const QDir folder(programFolder);
    const QString beside = folder.filePath(QStringLiteral("user-guide.html"));
    const QString shared = QDir::cleanPath(folder.filePath(QStringLiteral("../share/coffernote/user-guide.html")));
    const QString guide = !QFileInfo(beside).isFile() && QFileInfo(shared).isFile() ? shared : beside;
    return QUrl::fromLocalFile(guide).toString(QUrl::FullyEncoded);
}

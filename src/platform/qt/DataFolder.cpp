#include "platform/qt/DataFolder.h"

#include <QDir>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

bool folderWritable(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".coffernote-write-test-XXXXXX")));
    return probe.open(); // removed again when the probe goes
}

namespace {

QString failure(const QString& folder, const QString& reason)
{
    return QStringLiteral("Coffernote cannot use its data folder %1: %2.")
        .arg(QDir::toNativeSeparators(folder), reason);
}

} // namespace

DataFolder chooseDataFolder(const QString& programFolder, const QString& userFolder)
{
    if (folderWritable(programFolder))
        return {QDir::cleanPath(programFolder), {}};
    const QString folder = QDir::cleanPath(userFolder);
    if (folder.isEmpty())
        return {{}, failure(QStringLiteral("(none)"), QStringLiteral("the system names no data folder for this user"))};
    namespace fs = std::filesystem;
    const fs::path path(folder.toStdString());
    std::error_code ec;
    const bool created = fs::create_directories(path, ec);
    if (ec)
        return {{}, failure(folder, QString::fromStdString(ec.message()))};
    if (created)
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, ec);
    if (!fs::is_directory(path, ec))
        return {{}, failure(folder, QStringLiteral("it is not a folder"))};
    if (!folderWritable(folder))
        return {{}, failure(folder, QStringLiteral("it cannot be written"))};
    return {folder, {}};
}

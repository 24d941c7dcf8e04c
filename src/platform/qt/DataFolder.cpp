#include "platform/qt/DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>

bool folderWritable(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".coffernote-write-test-XXXXXX")));
    return probe.open(); // removed again when the probe goes
}

QString userDataFolder()
{
    if (geteuid() == 0) {
        if (const passwd* root = getpwuid(0); root && root->pw_dir && *root->pw_dir)
            return QDir(QFile::decodeName(root->pw_dir)).filePath(QStringLiteral(".local/share/Coffernote"));
        return {};
    }
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString protectionNoteFile()
{
    QString state;
    if (geteuid() == 0) {
        if (const passwd* root = getpwuid(0); root && root->pw_dir && *root->pw_dir)
            state = QDir(QFile::decodeName(root->pw_dir)).filePath(QStringLiteral(".local/state"));
    } else if (const QString xdg = qEnvironmentVariable("XDG_STATE_HOME"); QDir::isAbsolutePath(xdg)) {
        state = xdg;
    } else {
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    }
    return state.isEmpty() ? QString() : QDir(state).filePath(QStringLiteral("Coffernote/protected-folders"));
}

namespace {

DataFolder failure(const QString& folder, const QString& reason)
{
    DataFolder none;
    none.error =
        QStringLiteral("Coffernote cannot use its data folder %1: %2.").arg(QDir::toNativeSeparators(folder), reason);
    return none;
}

DataFolder chosen(const QString& folder, const QString& notice = {}, bool readOnly = false)
{
    DataFolder data;
    data.folder = folder;
    data.notice = notice;
    data.readOnly = readOnly;
    return data;
}

QString ownerName(uid_t uid)
{
    const passwd* entry = getpwuid(uid);
    const QString number = QStringLiteral("uid %1").arg(uid);
    return entry && entry->pw_name ? QString::fromLocal8Bit(entry->pw_name) + QStringLiteral(", ") + number : number;
}

// What keeps a folder or file from being the user's alone to change; empty when nothing does.
QString notUsersAlone(const struct stat& st, uid_t user)
{
    if (st.st_uid != user)
        return QStringLiteral("belongs to another user (%1)").arg(ownerName(st.st_uid));
    if (st.st_mode & S_IWOTH)
        return QStringLiteral("can be written by other users");
    if (st.st_mode & S_IWGRP)
        return QStringLiteral("can be written by its group");
    return {};
}

bool statPath(const QString& path, struct stat& st)
{
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

const char* const kDataFiles[] = {"settings.dat", "config.dat"};

// Why the program folder cannot keep the user's data; empty when it can. Ownership and mode come first, so that
// no probe file is ever made in a folder that is not the user's.
QString programFolderProblem(const QString& folder, uid_t user)
{
    struct stat st = {};
    if (!statPath(folder, st))
        return QStringLiteral("cannot be found");
    if (QString problem = notUsersAlone(st, user); !problem.isEmpty())
        return problem;
    // Root owns every system folder, so ownership says nothing there: as root, only a folder nobody else may even
    // open keeps the data.
    if (user == 0 && (st.st_mode & 077) != 0)
        return QStringLiteral("can be opened by other users, and Coffernote run as root keeps its data only where "
                              "root alone can reach them");
    for (const char* name : kDataFiles) {
        struct stat file = {};
        if (!statPath(QDir(folder).filePath(QLatin1String(name)), file))
            continue;
        if (QString problem = notUsersAlone(file, user); !problem.isEmpty())
            return QStringLiteral("holds %1, which %2").arg(QLatin1String(name), problem);
    }
    if (!folderWritable(folder))
        return QStringLiteral("cannot be written");
    return {};
}

// An installed program: its folder is a system folder (root's, which no group or other user may write), where no
// user's data could ever be kept. Its users' data in their own data folders are what they expect, not news. (Root
// itself still hears where its data went: for root, ownership does not set a system folder apart.)
bool installedInSystemFolder(const QString& folder, uid_t user)
{
    struct stat st = {};
    return user != 0 && statPath(folder, st) && st.st_uid == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool holdsAccounts(const QString& folder)
{
    return QFileInfo::exists(QDir(folder).filePath(QStringLiteral("settings.dat")));
}

// True when the folder holds a data file and every data file it holds is the user's: the user's accounts, which
// are never passed over for an empty list. With needAccounts, only a folder that holds an account file counts: a
// lone config.dat (left by a start that saved no account) holds no accounts to prefer.
bool holdsUsersData(const QString& folder, uid_t user, bool needAccounts = false)
{
    if (needAccounts && !holdsAccounts(folder))
        return false;
    bool any = false;
    for (const char* name : kDataFiles) {
        struct stat file = {};
        if (!statPath(QDir(folder).filePath(QLatin1String(name)), file))
            continue;
        if (file.st_uid != user)
            return false;
        any = true;
    }
    return any;
}

QString native(const QString& folder)
{
    return QDir::toNativeSeparators(folder);
}

} // namespace

DataFolder chooseDataFolder(const QString& programFolder, const QString& userFolder, uid_t user)
{
    const QString program = QDir::cleanPath(programFolder);
    const QString problem = programFolderProblem(program, user);
    if (problem.isEmpty())
        return chosen(program);
    const QString folder = userFolder.isEmpty() ? QString() : QDir::cleanPath(userFolder);
    // Data files in both folders: an earlier version moved to the per-user folder without a word, and the user
    // has kept working there; those are the newer accounts, so they are not hidden behind the old ones. Accounts
    // in the program folder give way only to accounts, never to a lone config.dat.
    const bool passedOver = holdsUsersData(program, user);
    const bool programAccounts = passedOver && holdsAccounts(program);
    if (passedOver && (folder.isEmpty() || !holdsUsersData(folder, user, programAccounts))) {
        const QString named = folder.isEmpty() ? QStringLiteral("your own data folder") : native(folder);
        return chosen(program, QString::fromUtf8(kReadOnlyDataNotice).arg(native(program), problem, named), true);
    }
    if (folder.isEmpty())
        return failure(QStringLiteral("(none)"), QStringLiteral("the system names no data folder for this user"));
    namespace fs = std::filesystem;
    const fs::path path(QFile::encodeName(folder).toStdString());
    std::error_code ec;
    const bool created = fs::create_directories(path, ec);
    if (ec)
        return failure(folder, QString::fromStdString(ec.message()));
    if (created)
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, ec);
    if (!fs::is_directory(path, ec))
        return failure(folder, QStringLiteral("it is not a folder"));
    struct stat st = {};
    if (!statPath(folder, st))
        return failure(folder, QStringLiteral("it cannot be found"));
    // Files others could replace are files others could forge.
    if (const QString notAlone = notUsersAlone(st, user); !notAlone.isEmpty())
        return failure(folder, QStringLiteral("it ") + notAlone);
    if (!folderWritable(folder))
        return failure(folder, QStringLiteral("it cannot be written"));
    // Said once, when the folder is made (unless the program is an installed one); and at every start while the
    // program folder still holds data files of the user's that are passed over.
    QString notice = (created && !installedInSystemFolder(program, user)) || passedOver
                         ? QString::fromUtf8(kUserFolderNotice).arg(native(folder), native(program), problem)
                         : QString();
    if (programAccounts)
        notice += QString::fromUtf8(kProgramAccountsNotShownNotice);
    return chosen(folder, notice);
}

// One running copy per data folder, whatever the environment.
#include "platform/qt/QtPlatform.h"

#include "platform/qt/DataFolderLock.h"

#include "Permissions.h"
#include "TempFolder.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kLockName = ".coffernote.lock";

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A copy of the program started as its own process, with its own temporary and runtime folders.
class Copy
{
public:
    Copy(const TempFolder& data, const TempFolder& env, const QStringList& args)
    {
        fs::create_directories(env.file("tmp"));
        fs::create_directories(env.file("run"));
        fs::permissions(env.file("run"), fs::perms::owner_all, fs::perm_options::replace);
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("TMPDIR"), QString::fromStdString(env.file("tmp")));
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(env.file("run")));
        process.setProcessEnvironment(e);
        process.start(QStringLiteral(COFFERNOTE_COPY_TOOL),
                      QStringList{args[0], QString::fromStdString(data.str())} + args.mid(1));
    }
    ~Copy()
    {
        process.closeWriteChannel(); // a holding copy ends when its input closes
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished();
    }
    // Reads until a line equal to line comes; false when the copy ends or falls silent first.
    bool waitFor(const QString& line)
    {
        for (;;) {
            while (process.canReadLine()) {
                seen << QString::fromUtf8(process.readLine()).trimmed();
                if (seen.back() == line)
                    return true;
            }
            if (!process.waitForReadyRead(10000) && !process.canReadLine())
                return false;
        }
    }
    QProcess process;
    QStringList seen;
};

} // namespace

// The folder itself is locked: nothing is written into it, and every open of it (with or without a trailing
// separator) sees the lock.
TEST(SingleCopy, TheLockIsTheDataFolderItselfAndLeavesNothingInIt)
{
    TempFolder data;
    QtPlatform first(QString::fromStdString(data.str()));
    ASSERT_FALSE(first.previousInstanceRunning());
    EXPECT_TRUE(first.holdsDataFolderLock());
    EXPECT_TRUE(fs::is_empty(data.str()));
    EXPECT_TRUE(QtPlatform(QString::fromStdString(data.str() + "/")).previousInstanceRunning());
    TempFolder other;
    EXPECT_FALSE(QtPlatform(QString::fromStdString(other.str())).previousInstanceRunning());
    first.prepareEnd();
    EXPECT_TRUE(fs::is_empty(data.str()));
    EXPECT_FALSE(QtPlatform(QString::fromStdString(data.str())).previousInstanceRunning());
}

// A synchronisation engine replaces the folder's files (a new file renamed over the old one), and may bring an
// older version's lock file from the other computer: the lock stays this copy's, and a second copy stays out.
TEST(SingleCopy, FilesReplacedInTheFolderTakeNothingOfTheLock)
{
    TempFolder data;
    const QString folder = QString::fromStdString(data.str());
    QtPlatform first(folder);
    ASSERT_FALSE(first.previousInstanceRunning());
    for (const char* name : {kLockName, "settings.dat", "config.dat"}) {
        writeFile(data.file(".syncthing.tmp"), "from the other computer");
        fs::rename(data.file(".syncthing.tmp"), data.file(name));
    }
    EXPECT_TRUE(first.holdsDataFolderLock());
    EXPECT_TRUE(QtPlatform(folder).previousInstanceRunning());
}

// Moved away, the folder is no longer the data folder: its copy saves nothing there, and a copy started on a new
// folder under the name locks that one.
TEST(SingleCopy, AFolderMovedBehindTheCopysBackIsNoLongerHeld)
{
    TempFolder data;
    const QString folder = QString::fromStdString(data.str());
    QtPlatform first(folder);
    ASSERT_FALSE(first.previousInstanceRunning());
    fs::rename(data.str(), data.str() + ".moved");
    fs::create_directory(data.str());
    EXPECT_FALSE(first.holdsDataFolderLock());
    QtPlatform second(folder);
    EXPECT_FALSE(second.previousInstanceRunning());
    EXPECT_TRUE(second.holdsDataFolderLock());
    first.prepareEnd();
    EXPECT_TRUE(second.holdsDataFolderLock());
    fs::remove_all(data.str() + ".moved");
}

// The user's runtime folder, an owner-only folder of the test's own, for as long as the object lives.
class RuntimeFolder
{
public:
    RuntimeFolder() : saved_(qgetenv("XDG_RUNTIME_DIR"))
    {
        fs::permissions(folder_.str(), fs::perms::owner_all, fs::perm_options::replace);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(folder_.str()));
    }
    ~RuntimeFolder() { qputenv("XDG_RUNTIME_DIR", saved_); }

private:
    TempFolder folder_;
    QByteArray saved_;
};

Result saveOneAccount(QtPlatform& platform, const std::string& folder)
{
    AppState state(folder, platform);
    Login login;
    LockedFile locked;
    AccountTable table{MakeHeaderRecord("", "", "")};
    AccountRecord r;
    r.RecordNo = 1;
    r.AccountName = "Alpha";
    table.push_back(std::move(r));
    return SaveAccountFile(state, login, table);
}

// A folder that cannot be written is locked all the same: a copy started once it can be written stays out, and
// the first saves. One that can be written but not locked (here: not read) is refused; one that can be neither
// falls back to the runtime folder's lock and never saves.
TEST(SingleCopyPermissions, AFolderIsLockedWhateverItsPermissionsOrNeverSaved)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    using P = fs::perms;
    const RuntimeFolder runtime;
    {
        TempFolder data;
        const QString folder = QString::fromStdString(data.str());
        fs::permissions(data.str(), P::owner_read | P::owner_exec, fs::perm_options::replace);
        QtPlatform first(folder);
        EXPECT_FALSE(first.previousInstanceRunning());
        EXPECT_TRUE(QtPlatform(folder).previousInstanceRunning());
        fs::permissions(data.str(), P::owner_all, fs::perm_options::replace);
        QtPlatform second(folder);
        EXPECT_TRUE(second.previousInstanceRunning());
        EXPECT_EQ(second.lockRefusal(), ""); // another copy: "already running"
        EXPECT_FALSE(saveOneAccount(second, data.str()).isOk());
        EXPECT_TRUE(saveOneAccount(first, data.str()).isOk());
    }
    {
        TempFolder data;
        fs::permissions(data.str(), P::owner_write | P::owner_exec, fs::perm_options::replace);
        QtPlatform copy(QString::fromStdString(data.str()));
        EXPECT_TRUE(copy.previousInstanceRunning());
        EXPECT_EQ(copy.lockRefusal(), "Coffernote cannot start: its data folder\r\n" + data.str() +
                                          "\r\ncannot be locked (Permission denied).\r\nWithout that lock a second "
                                          "copy could save at the same time and undo this one's changes.");
    }
    {
        TempFolder data;
        fs::permissions(data.str(), P::owner_exec, fs::perm_options::replace);
        QtPlatform copy(QString::fromStdString(data.str()));
        EXPECT_FALSE(copy.previousInstanceRunning());
        EXPECT_FALSE(copy.holdsDataFolderLock());
        EXPECT_TRUE(QtPlatform(QString::fromStdString(data.str())).previousInstanceRunning()); // the runtime lock
        const Result refused = saveOneAccount(copy, data.str());
        EXPECT_FALSE(refused.isOk());
        EXPECT_NE(refused.message().find(kLockLostReason), std::string::npos);
    }
}

// A lock file of an older version (or anything else under its name) means nothing now: the copy starts, saves and
// leaves it as it was.
TEST(SingleCopy, AnOldLockFileOfAnyKindIsLeftAloneAndTheCopyStarts)
{
    const std::vector<std::pair<const char*, std::function<void(const std::string& path)>>> plants = {
        {"file", [](const std::string& p) { writeFile(p, "4242\n/nowhere\n"); }},
        {"folder", [](const std::string& p) { fs::create_directory(p); }},
        {"dangling link", [](const std::string& p) { fs::create_symlink(p + ".nowhere", p); }},
        {"pipe", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
    };
    const RuntimeFolder runtime;
    for (const auto& [kind, make] : plants) {
        SCOPED_TRACE(kind);
        TempFolder data;
        const std::string lock = data.file(kLockName);
        make(lock);
        const fs::file_type before = fs::symlink_status(lock).type();
        QtPlatform copy(QString::fromStdString(data.str()));
        EXPECT_FALSE(copy.previousInstanceRunning());
        EXPECT_TRUE(copy.holdsDataFolderLock());
        EXPECT_TRUE(saveOneAccount(copy, data.str()).isOk());
        copy.prepareEnd();
        EXPECT_EQ(fs::symlink_status(lock).type(), before);
        if (before == fs::file_type::regular) {
            EXPECT_EQ(data.read(kLockName), "4242\n/nowhere\n");
        }
    }
}

// A lock file that is a second name for another file (a hard link planted under its name) is refused, and the
// file it names is left as it was, under both names.
TEST(SingleCopy, AHardLinkUnderTheLockFilesNameIsRefused)
{
    TempFolder dir;
    dir.write("kept", "someone's file");
    fs::create_hard_link(dir.file("kept"), dir.file("run.lock"));
    {
        DataFolderLock lock(dir.file("run.lock"), DataFolderLock::Kind::File);
        EXPECT_EQ(lock.acquire(), DataFolderLock::Result::Unavailable);
        EXPECT_EQ(lock.error(), EPERM);
    }
    EXPECT_EQ(dir.read("run.lock"), "someone's file");
    EXPECT_EQ(fs::hard_link_count(dir.file("kept")), 2u);

    DataFolderLock fresh(dir.file("fresh.lock"), DataFolderLock::Kind::File);
    EXPECT_EQ(fresh.acquire(), DataFolderLock::Result::Held);
}

// A run that only reads the folder's files (not the user's alone to change) never takes the folder's lock.
TEST(SingleCopy, AReadOnlyRunTakesOnlyTheRuntimeLock)
{
    TempFolder data;
    const RuntimeFolder runtime;
    const QString folder = QString::fromStdString(data.str());
    QtPlatform reader(folder, true);
    EXPECT_FALSE(reader.previousInstanceRunning());
    EXPECT_FALSE(reader.holdsDataFolderLock());
    EXPECT_TRUE(QtPlatform(folder, true).previousInstanceRunning());
    EXPECT_TRUE(fs::is_empty(data.str()));
    EXPECT_FALSE(saveOneAccount(reader, data.str()).isOk());
    EXPECT_FALSE(data.exists("settings.dat"));
}

TEST(SingleCopy, ASecondProgramWithOtherTemporaryFoldersIsRefusedAndRaisesTheFirst)
{
    TempFolder data, envA, envB;
    Copy first(data, envA, {QStringLiteral("hold")});
    ASSERT_TRUE(first.waitFor(QStringLiteral("held"))) << first.seen.join(u'|').toStdString();
    Copy second(data, envB, {QStringLiteral("save"), QStringLiteral("Second")});
    ASSERT_TRUE(second.process.waitForFinished(10000));
    const QStringList out = QString::fromUtf8(second.process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(out, (QStringList{QStringLiteral("message Coffernote is already running.  "), QStringLiteral("ended")}));
    EXPECT_FALSE(data.exists("config.dat")); // the refused copy touched nothing
    EXPECT_FALSE(data.exists("settings.dat"));
    EXPECT_TRUE(first.waitFor(QStringLiteral("activated")));
}

TEST(SingleCopy, AKilledCopysLockIsTakenOverAtOnce)
{
    TempFolder data, envA, envB;
    {
        Copy killed(data, envA, {QStringLiteral("hold")});
        ASSERT_TRUE(killed.waitFor(QStringLiteral("held")));
        killed.process.kill();
        killed.process.waitForFinished();
    }
    Copy next(data, envB, {QStringLiteral("save"), QStringLiteral("Next")});
    EXPECT_TRUE(next.waitFor(QStringLiteral("saved"))) << next.seen.join(u'|').toStdString();
}

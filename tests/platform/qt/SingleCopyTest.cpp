// One running copy per data folder, whatever the environment.
#include "platform/qt/QtPlatform.h"

#include "TempFolder.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kLockName = ".coffernote.lock";

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

TEST(SingleCopy, TheLockIsAnOwnerOnlyFileInTheDataFolder)
{
    TempFolder data;
    QtPlatform first(QString::fromStdString(data.str()));
    ASSERT_FALSE(first.previousInstanceRunning());
    EXPECT_EQ(QtPlatform::lockFilePath(QString::fromStdString(data.str())).toStdString(), data.file(kLockName));
    struct stat st
    {
    };
    ASSERT_EQ(stat(data.file(kLockName).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(first.holdsDataFolderLock());
    EXPECT_TRUE(QtPlatform(QString::fromStdString(data.str() + "/")).previousInstanceRunning());
    TempFolder other;
    EXPECT_FALSE(QtPlatform(QString::fromStdString(other.str())).previousInstanceRunning());
    first.prepareEnd();
    EXPECT_FALSE(data.exists(kLockName));
    EXPECT_FALSE(QtPlatform(QString::fromStdString(data.str())).previousInstanceRunning());
}

TEST(SingleCopy, ALockDeletedBehindTheCopysBackIsNoLongerHeld)
{
    TempFolder data;
    const QString folder = QString::fromStdString(data.str());
    QtPlatform first(folder);
    ASSERT_FALSE(first.previousInstanceRunning());
    fs::remove(data.file(kLockName));
    EXPECT_FALSE(first.holdsDataFolderLock());
    QtPlatform second(folder);
    EXPECT_FALSE(second.previousInstanceRunning());
    EXPECT_TRUE(second.holdsDataFolderLock());
    first.prepareEnd(); // must not take the second copy's lock file with it
    EXPECT_TRUE(data.exists(kLockName));
    EXPECT_TRUE(second.holdsDataFolderLock());
}

TEST(SingleCopyPermissions, AFolderThatCannotBeWrittenIsLockedInTheRuntimeFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes any folder";
    TempFolder data;
    TempFolder runtime;
    fs::permissions(runtime.str(), fs::perms::owner_all, fs::perm_options::replace);
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.str()));
    fs::permissions(data.str(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    {
        QtPlatform first(QString::fromStdString(data.str()));
        QtPlatform second(QString::fromStdString(data.str()));
        EXPECT_FALSE(first.previousInstanceRunning());
        EXPECT_TRUE(second.previousInstanceRunning());
        EXPECT_TRUE(first.holdsDataFolderLock());
        EXPECT_FALSE(data.exists(kLockName));
    }
    qputenv("XDG_RUNTIME_DIR", saved);
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
    ASSERT_TRUE(data.exists(kLockName)); // left behind by the kill
    Copy next(data, envB, {QStringLiteral("save"), QStringLiteral("Next")});
    EXPECT_TRUE(next.waitFor(QStringLiteral("saved"))) << next.seen.join(u'|').toStdString();
}

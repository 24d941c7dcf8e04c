// One running copy per data folder, whatever the environment.
#include "platform/qt/QtPlatform.h"

#include "Permissions.h"
#include "TempFolder.h"

#include "app/AppState.h"
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
    AccountTable table{MakeHeaderRecord("", "", "")};
    AccountRecord r;
    r.RecordNo = 1;
    r.AccountName = "Alpha";
    table.push_back(std::move(r));
    return SaveAccountFile(state, table);
}

// A copy on the runtime folder's lock is read-only: when the folder becomes writable and another copy takes the
// folder's own lock, only that copy saves.
TEST(SingleCopyPermissions, AFolderThatCannotBeWrittenIsLockedInTheRuntimeFolderAndNeverSaved)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    TempFolder data;
    const RuntimeFolder runtime;
    const QString folder = QString::fromStdString(data.str());
    fs::permissions(data.str(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    QtPlatform first(folder);
    QtPlatform second(folder);
    EXPECT_FALSE(first.previousInstanceRunning());
    EXPECT_TRUE(second.previousInstanceRunning());
    EXPECT_EQ(second.lockRefusal(), ""); // another copy: "already running"
    EXPECT_FALSE(first.holdsDataFolderLock());
    EXPECT_FALSE(data.exists(kLockName));

    fs::permissions(data.str(), fs::perms::owner_all, fs::perm_options::replace);
    QtPlatform folderCopy(folder);
    EXPECT_FALSE(folderCopy.previousInstanceRunning());
    EXPECT_TRUE(folderCopy.holdsDataFolderLock());
    EXPECT_FALSE(first.holdsDataFolderLock());
    const Result refused = saveOneAccount(first, data.str());
    EXPECT_FALSE(refused.isOk());
    EXPECT_NE(refused.message().find(kLockLostReason), std::string::npos);
    EXPECT_FALSE(data.exists("settings.dat"));
    EXPECT_TRUE(saveOneAccount(folderCopy, data.str()).isOk());
}

// Something planted under the lock file's name in a folder that can be written is never a reason to go without the
// folder's lock: the copy does not start, and says what is there.
TEST(SingleCopy, APlantedLockFileKeepsTheCopyFromStartingAndIsNamed)
{
    struct Plant
    {
        const char* kind;
        std::function<void(const std::string& path)> make;
        std::string problem;
    };
    const std::vector<Plant> plants = {
        {"folder", [](const std::string& p) { fs::create_directory(p); }, "is a folder"},
        {"dangling link", [](const std::string& p) { fs::create_symlink(p + ".nowhere", p); },
         "is a symbolic link that points nowhere"},
        {"link to a file",
         [](const std::string& p) {
             writeFile(p + ".target", "");
             fs::create_symlink(p + ".target", p);
         },
         "is a symbolic link"},
        {"pipe", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, "is a pipe (FIFO)"},
    };
    const RuntimeFolder runtime;
    for (const Plant& plant : plants) {
        SCOPED_TRACE(plant.kind);
        TempFolder data;
        const std::string lock = data.file(kLockName);
        plant.make(lock);
        QtPlatform copy(QString::fromStdString(data.str()));
        EXPECT_TRUE(copy.previousInstanceRunning());
        EXPECT_EQ(copy.lockRefusal(), "Coffernote cannot start: the lock file of its data folder\r\n" + lock + "\r\n" +
                                          plant.problem +
                                          ".\r\nRemove it (while no copy of Coffernote runs) and start again; "
                                          "Coffernote makes a new one.");
        EXPECT_FALSE(copy.holdsDataFolderLock());
        EXPECT_TRUE(fs::exists(fs::symlink_status(lock))); // left as it was
        EXPECT_FALSE(saveOneAccount(copy, data.str()).isOk());
        EXPECT_FALSE(data.exists("settings.dat"));
    }
}

// Another user's lock file is not this copy's lock, nor a sign that this user's copy runs.
TEST(SingleCopy, AnotherUsersLockFileIsNamedAsSuch)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    TempFolder data;
    const std::string lock = data.file(kLockName);
    writeFile(lock, "");
    ASSERT_EQ(chown(lock.c_str(), 54321, 54321), 0);
    QtPlatform copy(QString::fromStdString(data.str()));
    EXPECT_TRUE(copy.previousInstanceRunning());
    EXPECT_EQ(copy.lockRefusal(), "Coffernote cannot start: the lock file of its data folder\r\n" + lock +
                                      "\r\nbelongs to another user (uid 54321).\r\nRemove it (while no copy of "
                                      "Coffernote runs) and start again; Coffernote makes a new one.");
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
    EXPECT_FALSE(data.exists(kLockName));
    EXPECT_TRUE(QtPlatform(folder, true).previousInstanceRunning());
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
    ASSERT_TRUE(data.exists(kLockName)); // left behind by the kill
    Copy next(data, envB, {QStringLiteral("save"), QStringLiteral("Next")});
    EXPECT_TRUE(next.waitFor(QStringLiteral("saved"))) << next.seen.join(u'|').toStdString();
}

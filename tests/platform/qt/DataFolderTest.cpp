#include "platform/qt/DataFolder.h"

#include "Permissions.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <pwd.h>

namespace fs = std::filesystem;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// Not even root may create a file in /proc, so this folder stays unwritable when the suite runs as root.
const QString ReadOnlyProgramFolder = QStringLiteral("/proc");

} // namespace

TEST(DataFolder, WritableProgramFolderKeepsTheData)
{
    TempFolder program;
    TempFolder user;
    fs::permissions(program.str(), fs::perms::owner_all, fs::perm_options::replace); // also root's alone
    const DataFolder chosen = chooseDataFolder(q(program.str()), q(user.file("Coffernote")));
    EXPECT_EQ(chosen.folder, q(program.str()));
    EXPECT_TRUE(chosen.error.isEmpty());
    EXPECT_FALSE(user.exists("Coffernote"));
    EXPECT_EQ(std::distance(fs::directory_iterator(program.str()), fs::directory_iterator()), 0); // probe gone
}

TEST(DataFolder, ReadOnlyProgramFolderUsesTheUserFolderCreatedOwnerOnly)
{
    ASSERT_FALSE(folderWritable(ReadOnlyProgramFolder));
    TempFolder user;
    const std::string folder = user.file("share/Coffernote");
    const DataFolder chosen = chooseDataFolder(ReadOnlyProgramFolder, q(folder));
    EXPECT_EQ(chosen.folder, q(folder));
    EXPECT_TRUE(chosen.error.isEmpty());
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
}

TEST(DataFolder, UserFolderThatCannotBeCreatedIsNamedWithTheReason)
{
    TempFolder user;
    user.write("file", "x");
    const std::string folder = user.file("file/Coffernote");
    const DataFolder chosen = chooseDataFolder(ReadOnlyProgramFolder, q(folder));
    EXPECT_TRUE(chosen.folder.isEmpty());
    EXPECT_EQ(chosen.error.toStdString(), "Coffernote cannot use its data folder " + folder + ": Not a directory.");
    EXPECT_EQ(user.read("file"), "x");
}

namespace {

std::string userNotice(const std::string& user, const std::string& program, const std::string& reason)
{
    return "Coffernote keeps your data files in your own data folder\r\n" + user +
           "\r\nbecause its program folder\r\n" + program + "\r\n" + reason + ".";
}

std::string readOnlyNotice(const std::string& program, const std::string& reason, const std::string& user)
{
    return "Coffernote opened the data files in its program folder\r\n" + program +
           "\r\nfor reading only: that folder " + reason +
           ".\r\nYou can look accounts up, but no change can be saved. To keep using these files, make the folder "
           "writable by you alone, or close Coffernote and move settings.dat and config.dat together into\r\n" +
           user;
}

struct FolderCase
{
    const char* name;
    fs::perms folderMode;
    const char* dataFile; // created in the program folder when not empty
    fs::perms fileMode;
    const char* chosen; // "program" or "user"
    bool readOnly;
    const char* reason; // in the notice; empty for none
};

} // namespace

// Only a program folder that is the user's alone keeps the data; the user's files in one that is not are opened
// read-only, never passed over for an empty list.
TEST(DataFolder, TheProgramFolderKeepsTheDataOnlyWhenItIsTheUsersAlone)
{
    using P = fs::perms;
    const P own = P::owner_all, file = P::owner_read | P::owner_write;
    const FolderCase cases[] = {
        {"owner only", own, "", file, "program", false, ""},
        {"owner only with its files", own, "settings.dat", file, "program", false, ""},
        {"group-writable", own | P::group_all, "", file, "user", false, "can be written by its group"},
        {"world-writable", own | P::others_all, "", file, "user", false, "can be written by other users"},
        {"world-writable and sticky", own | P::others_all | P::sticky_bit, "", file, "user", false,
         "can be written by other users"},
        {"world-writable with the user's files", own | P::others_all, "config.dat", file, "program", true,
         "can be written by other users"},
        {"settings.dat group-writable", own, "settings.dat", file | P::group_write, "program", true,
         "holds settings.dat, which can be written by its group"},
        {"config.dat world-writable", own, "config.dat", file | P::others_write, "program", true,
         "holds config.dat, which can be written by other users"},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder program, user;
        if (*c.dataFile) {
            program.write(c.dataFile, "x");
            fs::permissions(program.file(c.dataFile), c.fileMode, fs::perm_options::replace);
        }
        fs::permissions(program.str(), c.folderMode, fs::perm_options::replace);
        const std::string userFolder = user.file("share/Coffernote");
        const DataFolder chosen = chooseDataFolder(q(program.str()), q(userFolder));
        const bool inProgram = std::string(c.chosen) == "program";
        EXPECT_EQ(chosen.folder.toStdString(), inProgram ? program.str() : userFolder);
        EXPECT_EQ(chosen.readOnly, c.readOnly);
        EXPECT_TRUE(chosen.error.isEmpty());
        const std::string notice = !*c.reason   ? std::string()
                                   : c.readOnly ? readOnlyNotice(program.str(), c.reason, userFolder)
                                                : userNotice(userFolder, program.str(), c.reason);
        EXPECT_EQ(chosen.notice.toStdString(), notice);
        EXPECT_EQ(fs::exists(userFolder), !inProgram); // nothing made that is not used
        if (*c.dataFile) {
            EXPECT_EQ(program.read(c.dataFile), "x");
        }
        if (!inProgram) { // said once: when the folder is made
            EXPECT_TRUE(chooseDataFolder(q(program.str()), q(userFolder)).notice.isEmpty());
        }
    }
}

// The per-user folder already holds the user's accounts (an earlier version moved there without a word): those are
// used, and the program folder's files are named at every start rather than hiding the newer accounts. A lone
// config.dat there (a start that saved no account) holds no accounts: the program folder's are opened read-only.
TEST(DataFolder, TheUsersAccountsInTheUserFolderAreNotHiddenByThoseInTheProgramFolder)
{
    const std::string reason = "can be written by other users";
    const struct
    {
        const char* userFile;
        bool userFolderChosen;
    } cases[] = {{"settings.dat", true}, {"config.dat", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.userFile);
        TempFolder program, user;
        program.write("settings.dat", "old");
        fs::permissions(program.str(), fs::perms::owner_all | fs::perms::others_all, fs::perm_options::replace);
        const std::string userFolder = user.file("Coffernote");
        fs::create_directory(userFolder);
        fs::permissions(userFolder, fs::perms::owner_all, fs::perm_options::replace);
        user.write(std::string("Coffernote/") + c.userFile, "newer");
        for (int start = 0; start < 2; ++start) {
            const DataFolder chosen = chooseDataFolder(q(program.str()), q(userFolder));
            EXPECT_EQ(chosen.folder.toStdString(), c.userFolderChosen ? userFolder : program.str());
            EXPECT_EQ(chosen.readOnly, !c.userFolderChosen);
            EXPECT_EQ(chosen.notice.toStdString(),
                      c.userFolderChosen ? userNotice(userFolder, program.str(), reason) +
                                               "\r\nThe accounts in the program folder's settings.dat are not the "
                                               "ones shown: Coffernote shows those of your own data folder."
                                         : readOnlyNotice(program.str(), reason, userFolder));
        }
    }
}

// Root owns every system folder: run as root from one that others can open (/usr/bin), the data go to root's own
// per-user folder, and root's data files left there earlier are opened read-only.
TEST(DataFolder, RootKeepsItsDataInItsOwnFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root-owned folders; the suite runs as root in CI";
    TempFolder program, user;
    fs::permissions(program.str(),
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    fs::perm_options::replace);
    const std::string reason =
        "can be opened by other users, and Coffernote run as root keeps its data only where root alone can reach them";
    const std::string userFolder = user.file("Coffernote");
    DataFolder chosen = chooseDataFolder(q(program.str()), q(userFolder));
    EXPECT_EQ(chosen.folder.toStdString(), userFolder);
    EXPECT_EQ(chosen.notice.toStdString(), userNotice(userFolder, program.str(), reason));
    EXPECT_EQ(std::distance(fs::directory_iterator(program.str()), fs::directory_iterator()), 0); // no probe
    program.write("settings.dat", "x");
    chosen = chooseDataFolder(q(program.str()), q(userFolder));
    EXPECT_EQ(chosen.folder.toStdString(), program.str());
    EXPECT_TRUE(chosen.readOnly);
    EXPECT_EQ(chosen.notice.toStdString(), readOnlyNotice(program.str(), reason, userFolder));
    fs::permissions(program.str(), fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(chooseDataFolder(q(program.str()), q(userFolder)).folder.toStdString(), program.str()); // root's alone
    const passwd* root = getpwuid(0);
    ASSERT_TRUE(root);
    EXPECT_EQ(userDataFolder().toStdString(), std::string(root->pw_dir) + "/.local/share/Coffernote");
}

TEST(DataFolder, APerUserFolderOfAnotherUserOrOpenToOthersIsRefused)
{
    TempFolder program, user;
    const uid_t other = ::geteuid() + 1;
    const std::string userFolder = user.file("Coffernote");
    DataFolder chosen = chooseDataFolder(q(program.str()), q(userFolder), other);
    // The per-user folder made here belongs to this process, not to the user it is checked for.
    EXPECT_TRUE(chosen.folder.isEmpty());
    EXPECT_EQ(chosen.error.toStdString(),
              "Coffernote cannot use its data folder " + userFolder + ": it belongs to another user (" +
                  (getpwuid(::geteuid()) ? std::string(getpwuid(::geteuid())->pw_name) + ", " : "") + "uid " +
                  std::to_string(::geteuid()) + ").");
    fs::permissions(userFolder, fs::perms::others_write, fs::perm_options::add);
    chosen = chooseDataFolder(q(program.str()) + QStringLiteral("/missing"), q(userFolder));
    EXPECT_TRUE(chosen.folder.isEmpty());
    EXPECT_EQ(chosen.error.toStdString(),
              "Coffernote cannot use its data folder " + userFolder + ": it can be written by other users.");
}

TEST(DataFolderPermissions, AProgramFolderThatCannotBeWrittenNeverHidesTheUsersFiles)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    TempFolder program, user;
    const std::string userFolder = user.file("Coffernote");
    fs::permissions(program.str(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    DataFolder chosen = chooseDataFolder(q(program.str()), q(userFolder));
    EXPECT_EQ(chosen.folder.toStdString(), userFolder);
    EXPECT_EQ(chosen.notice.toStdString(), userNotice(userFolder, program.str(), "cannot be written"));
    fs::permissions(program.str(), fs::perms::owner_all, fs::perm_options::replace);
    program.write("settings.dat", "x");
    fs::permissions(program.str(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    chosen = chooseDataFolder(q(program.str()), q(userFolder));
    EXPECT_EQ(chosen.folder.toStdString(), program.str());
    EXPECT_TRUE(chosen.readOnly);
    EXPECT_EQ(chosen.notice.toStdString(), readOnlyNotice(program.str(), "cannot be written", userFolder));
}

// An installed program, in a system folder, keeps its users' data in their own folders: expected, so not said.
TEST(DataFolderPermissions, AnInstalledProgramSaysNothingOfTheUserFolder)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    TempFolder user;
    const std::string userFolder = user.file("share/Coffernote");
    const DataFolder chosen = chooseDataFolder(QStringLiteral("/usr/bin"), q(userFolder));
    EXPECT_EQ(chosen.folder.toStdString(), userFolder);
    EXPECT_EQ(chosen.notice.toStdString(), "");
}

TEST(DataFolderPermissions, ProgramFolderForbiddenToTheUserIsNotWritable)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    TempFolder program;
    fs::permissions(program.str(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    EXPECT_FALSE(folderWritable(q(program.str())));
}

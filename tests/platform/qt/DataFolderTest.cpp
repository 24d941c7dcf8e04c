#include "platform/qt/DataFolder.h"

#include "TempFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

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

TEST(DataFolderPermissions, ProgramFolderForbiddenToTheUserIsNotWritable)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    TempFolder program;
    fs::permissions(program.str(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    EXPECT_FALSE(folderWritable(q(program.str())));
}

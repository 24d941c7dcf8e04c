#include "Permissions.h"
#include "TempFolder.h"

#include "base/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

class AtomicFileTest : public ::testing::Test
{
protected:
    void TearDown() override { SetFileFaultHookForTests({}); }
    TempFolder folder;
};

class AtomicFilePermissions : public AtomicFileTest
{
};

TEST_F(AtomicFileTest, WritesTheBytesAndLeavesNoTemporaryFile)
{
    const std::string bytes("a\0b\r\nc", 6);
    ASSERT_TRUE(WriteFileAtomically(folder.file("f.dat"), folder.file("f2.dat"), bytes));
    EXPECT_EQ(folder.read("f.dat"), bytes);
    EXPECT_FALSE(folder.exists("f2.dat"));

    struct stat info;
    ASSERT_EQ(::stat(folder.file("f.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u); // the owner's alone

    std::string back;
    ASSERT_TRUE(ReadWholeFile(folder.file("f.dat"), back));
    EXPECT_EQ(back, bytes);
}

TEST_F(AtomicFileTest, ATemporaryNameThatIsALinkIsReplacedNotFollowed)
{
    folder.write("elsewhere.dat", "not ours");
    std::filesystem::create_symlink(folder.file("elsewhere.dat"), folder.file("f2.dat"));
    ASSERT_TRUE(WriteFileAtomically(folder.file("f.dat"), folder.file("f2.dat"), "new"));
    EXPECT_EQ(folder.read("f.dat"), "new");
    EXPECT_EQ(folder.read("elsewhere.dat"), "not ours");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder.file("f2.dat"))));
}

TEST_F(AtomicFileTest, EveryFailureLeavesTheOldFileAndNoTemporaryFile)
{
    for (FileFault fault : {FileFault::WriteHalfway, FileFault::Rename}) {
        SCOPED_TRACE(static_cast<int>(fault));
        folder.write("f.dat", "old");
        SetFileFaultHookForTests([fault](FileFault f, const std::string&) { return f == fault; });
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(folder.file("f.dat"), folder.file("f2.dat"), "new content", &error));
        EXPECT_EQ(folder.read("f.dat"), "old");
        EXPECT_FALSE(folder.exists("f2.dat"));
        EXPECT_FALSE(error.empty());
        SetFileFaultHookForTests({});
    }
}

TEST_F(AtomicFileTest, ReadingAMissingFileOrAFolderFails)
{
    std::filesystem::create_directory(folder.file("dir"));
    std::string bytes = "unchanged", error;
    EXPECT_FALSE(ReadWholeFile(folder.file("missing"), bytes, &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_FALSE(ReadWholeFile(folder.file("dir"), bytes, &error));
    EXPECT_EQ(bytes, "unchanged");
}

TEST_F(AtomicFilePermissions, ReadOnlyFolderFailsCleanly)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    folder.write("f.dat", "old");
    std::filesystem::permissions(folder.str(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(folder.file("f.dat"), folder.file("f2.dat"), "new", &error));
    std::filesystem::permissions(folder.str(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    EXPECT_EQ(folder.read("f.dat"), "old");
    EXPECT_FALSE(error.empty());
}

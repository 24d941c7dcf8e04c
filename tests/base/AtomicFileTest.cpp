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
    ASSERT_TRUE(WriteFileAtomically(folder.file("f.dat"), folder.file("f2.dat"), bytes).isOk());
    EXPECT_EQ(folder.read("f.dat"), bytes);
    EXPECT_FALSE(folder.exists("f2.dat"));

    struct stat info;
    ASSERT_EQ(::stat(folder.file("f.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u); // the owner's alone

    const Outcome<std::string> back = ReadWholeFile(folder.file("f.dat"));
    ASSERT_TRUE(back.result.isOk());
    EXPECT_EQ(back.value, bytes);
}

TEST_F(AtomicFileTest, ATemporaryNameThatIsALinkIsReplacedNotFollowed)
{
    folder.write("elsewhere.dat", "not ours");
    std::filesystem::create_symlink(folder.file("elsewhere.dat"), folder.file("f2.dat"));
    ASSERT_TRUE(WriteFileAtomically(folder.file("f.dat"), folder.file("f2.dat"), "new").isOk());
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
        const Result r = WriteFileAtomically(folder.file("f.dat"), folder.file("f2.dat"), "new content");
        EXPECT_TRUE(r.isFailed());
        EXPECT_EQ(folder.read("f.dat"), "old");
        EXPECT_FALSE(folder.exists("f2.dat"));
        EXPECT_FALSE(r.message().empty());
        SetFileFaultHookForTests({});
    }
}

TEST_F(AtomicFileTest, ReadingAMissingFileOrAFolderFails)
{
    std::filesystem::create_directory(folder.file("dir"));
    const Outcome<std::string> missing = ReadWholeFile(folder.file("missing"));
    EXPECT_TRUE(missing.result.isFailed());
    EXPECT_NE(missing.result.message().find("missing"), std::string::npos);
    const Outcome<std::string> dir = ReadWholeFile(folder.file("dir"));
    EXPECT_TRUE(dir.result.isFailed());
    EXPECT_EQ(dir.value, "");
}

TEST_F(AtomicFilePermissions, ReadOnlyFolderFailsCleanly)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    folder.write("f.dat", "old");
    std::filesystem::permissions(folder.str(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const Result r = WriteFileAtomically(folder.file("f.dat"), folder.file("f2.dat"), "new");
    std::filesystem::permissions(folder.str(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    EXPECT_EQ(folder.read("f.dat"), "old");
    EXPECT_TRUE(r.isFailed());
    EXPECT_FALSE(r.message().empty());
}

// The file read is the one a later rename takes: a file put under the name since (or a link) is another.
TEST_F(AtomicFileTest, TellsWhetherTheNameStillHoldsTheFileRead)
{
    folder.write("f.dat", "checked");
    FileIdentity read;
    ASSERT_EQ(ReadWholeFile(folder.file("f.dat"), read).value, "checked");
    EXPECT_TRUE(IsSameFile(folder.file("f.dat"), read));

    folder.write("other.dat", "checked");
    std::filesystem::rename(folder.file("other.dat"), folder.file("f.dat"));
    EXPECT_FALSE(IsSameFile(folder.file("f.dat"), read));

    FileIdentity again;
    ASSERT_TRUE(ReadWholeFile(folder.file("f.dat"), again).result.isOk());
    std::filesystem::rename(folder.file("f.dat"), folder.file("kept.dat"));
    std::filesystem::create_symlink(folder.file("kept.dat"), folder.file("f.dat"));
    EXPECT_FALSE(IsSameFile(folder.file("f.dat"), again)); // a link to it is not it
    EXPECT_TRUE(IsSameFile(folder.file("kept.dat"), again));
}

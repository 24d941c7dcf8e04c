#include "TempFolder.h"

#include "app/files/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(PathsTest, JoinPathAddsOneSeparatorOnlyWhereNeeded)
{
    struct Case
    {
        std::string folder;
        std::string expected;
    };
    const Case cases[] = {
        {"", "settings.dat"},
        {"C:\\", "C:\\settings.dat"},
        {"/", "/settings.dat"},
        {"/home/user/Coffernote/", "/home/user/Coffernote/settings.dat"},
        {"/home/user/Coffernote", "/home/user/Coffernote/settings.dat"},
        {"C:\\data", "C:\\data/settings.dat"}, // the native separator on this system
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(JoinPath(c.folder, "settings.dat"), c.expected);
    }
}

TEST(PathsTest, FileNamesAreTheDataFiles)
{
    EXPECT_STREQ(kAccountFileName, "settings.dat");
    EXPECT_STREQ(kTempAccountFileName, "settings2.dat");
    EXPECT_STREQ(kOptionsFileName, "config.dat");
}

TEST(PathsTest, FileExistsCountsAnythingUnderTheNameAndRemoveFileOnlyFiles)
{
    TempFolder folder;
    folder.write("a.dat", "x");
    std::filesystem::create_directory(folder.file("dir.dat"));

    EXPECT_TRUE(FileExists(folder.file("a.dat")));
    EXPECT_TRUE(FileExists(folder.file("dir.dat")));
    EXPECT_FALSE(FileExists(folder.file("missing.dat")));

    EXPECT_TRUE(RemoveFile(folder.file("a.dat")));
    EXPECT_FALSE(folder.exists("a.dat"));
    EXPECT_TRUE(RemoveFile(folder.file("missing.dat"))); // gone either way
    EXPECT_FALSE(RemoveFile(folder.file("dir.dat")));    // never a folder
    EXPECT_TRUE(folder.exists("dir.dat"));
}

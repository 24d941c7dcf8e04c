// Writing an export file: a new file of its owner's alone that replaces the chosen one only when complete.
#include "app/files/AccountExchange.h"
#include "base/AtomicFile.h"

#include "Permissions.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kOne = "\"a\",\"b\",\"c\r\nd\",\"e\",\"f\"\r\n";

AccountTable OneAccount()
{
    AccountRecord header;
    header.AccountName = kHeaderMarker;
    AccountRecord a;
    a.RecordNo = 1;
    a.AccountName = "a";
    a.Website = "b";
    a.Notes = "c\r\nd";
    a.UserId = "e";
    a.Password = "f";
    return {header, a};
}

// The names in the folder, so a test sees any temporary file left behind.
std::vector<std::string> Names(const TempFolder& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.str()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class AccountExchangeFile : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetFileFaultHookForTests({});
        fs::permissions(dir.str(), fs::perms::owner_all, fs::perm_options::add);
    }
    TempFolder dir;
};

} // namespace

TEST_F(AccountExchangeFile, ANewFileReplacesTheOldOneWhole)
{
    const Result written = WriteExportFile(dir.file("out.csv"), OneAccount());
    ASSERT_TRUE(written.isOk());
    EXPECT_EQ(dir.read("out.csv"), kOne);
    EXPECT_EQ(written.message(), "");

    // An old file readable by everyone: replaced by a new file of the owner's alone. The old one is never
    // emptied in place: a second name for it still holds the old bytes.
    dir.write("old.txt", std::string(5000, 'x'));
    fs::permissions(dir.file("old.txt"), fs::perms::all);
    fs::create_hard_link(dir.file("old.txt"), dir.file("second name"));
    ASSERT_TRUE(WriteExportFile(dir.file("old.txt"), OneAccount()).isOk());
    EXPECT_EQ(dir.read("old.txt"), kOne);
    EXPECT_EQ(fs::status(dir.file("old.txt")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(dir.read("second name"), std::string(5000, 'x'));

    ASSERT_TRUE(WriteExportFile(dir.file("old.txt"), {}).isOk());
    EXPECT_EQ(dir.read("old.txt"), "");
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"old.txt", "out.csv", "second name"}));

    ImportResult back;
    back = ReadImportFile(dir.file("out.csv"));
    ASSERT_TRUE(back.result.isOk()) << back.result.message();
    ASSERT_EQ(back.value.accounts.size(), 1u);
    EXPECT_EQ(back.value.accounts[0].Notes, "c\r\nd");
}

namespace {

struct FailureCase
{
    const char* what;
    std::string target;
    std::function<void()> prepare;
    std::string reason;
};

class AccountExchangeFilePermissions : public AccountExchangeFile
{
};

// Whatever stands in the way, the user is told why and the chosen name, and what it named, stay as they were.
void ExpectEachFailureLeavesTheTargetAsItWas(const TempFolder& dir, const std::vector<FailureCase>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("old.csv", "old export");
        fs::permissions(dir.file("old.csv"), fs::perms::owner_read | fs::perms::owner_write);
        c.prepare();
        const std::vector<std::string> before = Names(dir);
        const fs::file_status kind = fs::symlink_status(c.target);

        const Result written = WriteExportFile(c.target, OneAccount());
        EXPECT_TRUE(written.isFailed());
        EXPECT_EQ(written.message(), "The file " + c.target + " could not be written: " + c.reason + ".");
        EXPECT_EQ(fs::symlink_status(c.target).type(), kind.type());
        EXPECT_EQ(Names(dir), before); // nothing left behind
        EXPECT_EQ(dir.read("old.csv"), "old export");

        SetFileFaultHookForTests({});
        fs::permissions(dir.str(), fs::perms::owner_all, fs::perm_options::add);
        fs::permissions(dir.file("old.csv"), fs::perms::owner_write, fs::perm_options::add);
    }
}

} // namespace

TEST_F(AccountExchangeFile, AFailureLeavesTheTargetAsItWas)
{
    ExpectEachFailureLeavesTheTargetAsItWas(
        dir,
        {
            {"missing folder", dir.file("gone") + "/out.csv", [] {},
             "A new file cannot be made in its folder: No such file or directory"},
            {"folder", dir.file("folder"), [&] { fs::create_directory(dir.file("folder")); },
             "It is a folder, not a file"},
            {"link to a file", dir.file("link.csv"),
             [&] { fs::create_symlink(dir.file("old.csv"), dir.file("link.csv")); },
             "It is a symbolic link; choose the file it points to"},
            {"link to nothing", dir.file("dangling.csv"),
             [&] { fs::create_symlink(dir.file("nothing"), dir.file("dangling.csv")); },
             "It is a symbolic link; choose the file it points to"},
            {"pipe (or device)", dir.file("pipe"), [&] { ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0); },
             "It is not a regular file"},
            {"disk full", dir.file("old.csv"),
             [] {
                 SetFileFaultHookForTests([](FileFault f, const std::string&) { return f == FileFault::WriteHalfway; });
             },
             "No space left on device"},
            {"rename refused", dir.file("old.csv"),
             [] { SetFileFaultHookForTests([](FileFault f, const std::string&) { return f == FileFault::Rename; }); },
             "Input/output error"},
        });
}

TEST_F(AccountExchangeFilePermissions, AFailureLeavesTheTargetAsItWas)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    ExpectEachFailureLeavesTheTargetAsItWas(
        dir, {
                 {"read-only file", dir.file("old.csv"),
                  [&] { fs::permissions(dir.file("old.csv"), fs::perms::owner_read); }, "Permission denied"},
                 {"read-only folder", dir.file("old.csv"),
                  [&] { fs::permissions(dir.str(), fs::perms::owner_read | fs::perms::owner_exec); },
                  "A new file cannot be made in its folder: Permission denied"},
             });
}

// Where the file system makes no nameless files, an export killed between writing its file under a temporary
// name and the rename leaves a whole file of our pattern: the next export removes it, and only such files (regular, the
// user's own), never a link or a folder.
TEST(AccountExportLeftovers, TheNextExportRemovesOnlyOurOwnTemporaryFiles)
{
    TempFolder dir;
    dir.write(".coffernote-export-a1B2c3", "killed export");
    dir.write("target.csv", "old");
    fs::create_symlink(dir.file("target.csv"), dir.file(".coffernote-export-link00"));
    fs::create_directory(dir.file(".coffernote-export-fold00"));
    dir.write(".coffernote-export-longer-name", "not our pattern");
    ASSERT_TRUE(WriteExportFile(dir.file("target.csv"), OneAccount()).isOk());
    EXPECT_FALSE(fs::exists(dir.file(".coffernote-export-a1B2c3")));
    EXPECT_TRUE(fs::is_symlink(dir.file(".coffernote-export-link00")));
    EXPECT_TRUE(fs::is_directory(dir.file(".coffernote-export-fold00")));
    EXPECT_TRUE(fs::exists(dir.file(".coffernote-export-longer-name")));
    EXPECT_EQ(dir.read("target.csv"), FormatExport(OneAccount()));
}

// The mode and the options file on the main window's model.
#include "AccountBookFixture.h"

#include <chrono>
#include <filesystem>

namespace {

class AccountBookModes : public AccountBookFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "the notes", "alice", "s3cr3t")});
        open();
        lookUp("Alpha");
        platform.urls.clear();
    }
    std::string option(OptionsRecord::Field f) { return storedOptions().get(f); }
};

} // namespace

TEST_F(AccountBookModes, TheOptionsFileIsRewrittenOnlyWhenItsContentChanges)
{
    namespace fs = std::filesystem;
    const std::string path = folder.file("config.dat");
    const std::string canonical = folder.read("config.dat");
    ASSERT_EQ(canonical.substr(canonical.size() - 2), "\r\n");
    // A time long past marks the file as it stands: a rewrite would give it a new one.
    const fs::file_time_type past = fs::last_write_time(path) - std::chrono::hours(24 * 365);
    fs::last_write_time(path, past);

    lookUp("Alpha"); // Drag/Drop mode again: the file already says so
    lookUp("Alpha");
    EXPECT_EQ(folder.read("config.dat"), canonical);
    EXPECT_EQ(fs::last_write_time(path), past) << "rewritten without a change";

    typeInto(Box::UserId, "x"); // Edit mode: a change
    EXPECT_EQ(option(OptionsRecord::DragDropMode), "false");
    EXPECT_NE(fs::last_write_time(path), past);

    // A file whose bytes differ from the line the window would write is rewritten, even when every value
    // reads the same: afterwards it holds exactly the whole line.
    click("cmdCancel");
    ASSERT_EQ(folder.read("config.dat"), canonical);
    folder.write("config.dat", canonical.substr(0, canonical.size() - 2));
    lookUp("Alpha");
    EXPECT_EQ(folder.read("config.dat"), canonical);
}

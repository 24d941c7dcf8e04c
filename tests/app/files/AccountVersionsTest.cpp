#include "CoreFixture.h"

#include "app/files/AccountVersions.h"
#include "app/files/DamagedData.h"
#include "cipher/ProtectedFile.h"

#include <sys/stat.h>

namespace {

constexpr std::int64_t kHour = 3600 * 1000LL;
constexpr std::int64_t kDay = 24 * kHour;

std::vector<std::string> versionBytes(const TempFolder& folder)
{
    std::vector<std::string> bytes;
    for (const KeptVersion& v : ListVersions(folder.str()))
        bytes.push_back(folder.read(std::string(kVersionsFolderName) + "/" + v.name));
    return bytes; // newest first
}

mode_t modeOf(const std::string& path)
{
    struct stat info
    {
    };
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

} // namespace

class AccountVersionsTest : public CoreFixture
{
protected:
    AccountTable table = sampleTable();

    void save() { ASSERT_EQ(outcome(SaveAccountFile(state, login, table)), "Ok"); }
};

TEST_F(AccountVersionsTest, EverySaveKeepsTheExactFileItReplacedPrivately)
{
    save();
    EXPECT_TRUE(ListVersions(folder.str()).empty()); // nothing was replaced
    const std::string first = folder.read("settings.dat");
    table[1].Password = "changed";
    save();
    const std::string second = folder.read("settings.dat");
    table.pop_back();
    save();

    EXPECT_EQ(versionBytes(folder), (std::vector<std::string>{second, first}));
    EXPECT_EQ(modeOf(VersionsFolder(folder.str())), 0700u);
    for (const KeptVersion& v : ListVersions(folder.str())) {
        EXPECT_EQ(modeOf(v.path), 0600u) << v.name;
        char tail[16];
        std::snprintf(tail, sizeof tail, "-%08X.dat", v.crc);
        EXPECT_TRUE(v.name.ends_with(tail)) << v.name;
    }
    // The same file kept twice (a save killed after keeping it, then saved again) is one version.
    ASSERT_TRUE(ComputeStamp(state).isOk());
    ASSERT_TRUE(KeepAccountFileAsVersion(folder.str(), state.AccountFileCrc).isOk());
    ASSERT_TRUE(KeepAccountFileAsVersion(folder.str(), state.AccountFileCrc).isOk());
    EXPECT_EQ(ListVersions(folder.str()).size(), 3u);
}

TEST_F(AccountVersionsTest, NeitherDeletingTheLastAccountNorGivingUpADamagedFileDestroysIt)
{
    save();
    const std::string whole = folder.read("settings.dat");
    ASSERT_EQ(outcome(SaveAccountFile(state, login, AccountTable{table.front()})), "Ok");
    EXPECT_FALSE(folder.exists("settings.dat"));
    EXPECT_EQ(versionBytes(folder), std::vector<std::string>{whole});

    folder.write("settings.dat", "damaged");
    platform.queueAnswer(Answer::Yes);
    ASSERT_EQ(outcome(RecoverDamagedData(state)), "Ok");
    EXPECT_FALSE(folder.exists("settings.dat"));
    EXPECT_EQ(versionBytes(folder).size(), 2u);
    EXPECT_EQ(folder.read(std::string(kVersionsFolderName) + "/" + ListVersions(folder.str()).front().name), "damaged");
}

TEST_F(AccountVersionsTest, AFolderPlantedUnderTheVersionsNameStopsTheSaveAndChangesNothing)
{
    save();
    const std::string before = folder.read("settings.dat");
    folder.write(kVersionsFolderName, "not a folder");
    table[1].Password = "changed";
    const Result saved = SaveAccountFile(state, login, table);
    EXPECT_EQ(saved.message(), "Coffernote could not save the accounts to\r\n" + folder.file("settings.dat") +
                                   "\r\n(its earlier version could not be kept: " + VersionsFolder(folder.str()) +
                                   " is not a folder of the user's own).\r\nThe file on disk was left as it was; "
                                   "the change is kept only until the program ends.");
    EXPECT_EQ(folder.read("settings.dat"), before);
    EXPECT_FALSE(folder.exists("settings2.dat") || folder.exists("config2.dat"));
}

TEST(VersionsToKeep, KeepsTheNewestAndOnePerRecentDayWithinTheBudget)
{
    const std::int64_t now = 1'800'000'000'000LL;
    auto versions = [&](int n, std::int64_t step, std::uintmax_t size) {
        std::vector<KeptVersion> v(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            v[static_cast<std::size_t>(i)].writtenMs = now - i * step, v[static_cast<std::size_t>(i)].size = size;
        return v;
    };
    auto kept = [](const std::vector<bool>& k) { return std::count(k.begin(), k.end(), true); };
    struct Case
    {
        const char* what;
        std::vector<KeptVersion> list;
        std::uintmax_t current;
        long expected;
    } cases[] = {
        {"a minute apart", versions(25, kHour / 60, 100), 100, 20},
        {"a day apart for 40 days", versions(40, kDay, 100), 100, 30},
        {"the budget drops the oldest", versions(20, kHour / 60, 10u << 20), 10u << 20, 10},
        {"a small file now keeps the large versions", versions(12, kHour / 60, 10u << 20), 1, 10},
    };
    for (const Case& c : cases) {
        const auto keep = VersionsToKeep(c.list, c.current, now);
        EXPECT_EQ(kept(keep), c.expected) << c.what;
        EXPECT_TRUE(keep[0] && keep[1] && keep[2]) << c.what;
    }
}

TEST_F(AccountVersionsTest, ALoginBroughtInSealsEveryVersionAnewInTheSameSave)
{
    save();
    table[1].Password = "changed";
    save();
    const std::string plainVersion = versionBytes(folder).front();

    login.LoginPassword1 = "pass";
    login.protection = NewProtection(KdfSettings{kMinKdfMemoryKiB, 1, 1}, login.LoginUserName, login.LoginPassword1,
                                     login.LoginPassword2);
    ASSERT_TRUE(login.protection);
    save();

    AccountTable opened;
    const auto versions = versionBytes(folder);
    ASSERT_EQ(versions.size(), 2u);
    for (const std::string& bytes : versions) {
        EXPECT_TRUE(IsProtectedFile(bytes));
        EXPECT_EQ(OpenVersion(bytes, login.protection.get(), opened), VersionContent::Opened);
        EXPECT_EQ(OpenVersion(bytes, nullptr, opened), VersionContent::OtherLogin);
    }
    EXPECT_TRUE(FileSealedUnder(folder.file("settings.dat"), *login.protection));

    // A save killed before its sealed versions took their places: they do once the file opens under that key,
    // and go when it never came into place.
    const std::string name = ListVersions(folder.str()).front().name;
    const std::string sealedPath = std::string(kVersionsFolderName) + "/" + name + ".sealed";
    folder.write(sealedPath, versions.front());
    folder.write(std::string(kVersionsFolderName) + "/" + name, plainVersion);
    SettleSealedVersions(folder.str(), login.protection.get());
    EXPECT_EQ(versionBytes(folder).front(), versions.front());
    folder.write(sealedPath, versions.front());
    SettleSealedVersions(folder.str(), nullptr);
    EXPECT_FALSE(folder.exists(sealedPath));
}

#include "CoreFixture.h"
#include "Outcomes.h"

#include "app/files/Utf8Text.h"
#include "base/AtomicFile.h"
#include "cipher/ProtectedFile.h"

#include <optional>

// A save killed at any step leaves one of a few pairs of files; each must load, without a question, to the old
// table or to the new one, whole.
class SaveJournalTest : public CoreFixture
{
protected:
    using File = std::optional<std::string>; // absent, or these bytes
    struct Folder
    {
        File accounts, temp, options, tempOptions;
    };

    // The files of a folder holding `table`, saved over `before` (which may hold no account file).
    Folder saved(const Folder& before, const AccountTable& table)
    {
        TempFolder f;
        put(f, before);
        FakePlatform p;
        AppState s(f.str(), p);
        Login sLogin;
        sLogin.LoginUserName = "user";
        EXPECT_EQ(outcome(SaveAccountFile(s, sLogin, table)), "Ok");
        return take(f);
    }

    static void put(const TempFolder& f, const Folder& files)
    {
        const std::pair<const char*, const File*> names[] = {{"settings.dat", &files.accounts},
                                                             {"settings2.dat", &files.temp},
                                                             {"config.dat", &files.options},
                                                             {"config2.dat", &files.tempOptions}};
        for (const auto& [name, file] : names) {
            std::filesystem::remove(f.file(name));
            if (*file)
                f.write(name, **file);
        }
    }

    static Folder take(const TempFolder& f)
    {
        auto get = [&](const char* name) { return f.exists(name) ? File(f.read(name)) : std::nullopt; };
        return {get("settings.dat"), get("settings2.dat"), get("config.dat"), get("config2.dat")};
    }

    static std::string half(const std::string& bytes) { return bytes.substr(0, bytes.size() / 2); }
};

TEST_F(SaveJournalTest, EveryStateAKillCanLeaveLoadsWithoutAQuestion)
{
    login.LoginUserName = "user";
    const AccountTable oldTable = sampleTable();
    AccountTable newTable = oldTable;
    newTable[1].Password = "new password";
    newTable.push_back({4, "Added", "", "", "", ""});

    const Folder empty{std::nullopt, std::nullopt, kDefaultOptionsLine, std::nullopt};
    const Folder first = saved(empty, newTable); // the first save in a fresh folder
    const Folder oldPair = saved(empty, oldTable);
    const Folder newPair = saved(oldPair, newTable);
    const std::string S0 = *oldPair.accounts, C0 = *oldPair.options, S1 = *newPair.accounts, C1 = *newPair.options;
    const AccountTable none{MakeHeaderRecord("user", "", "")};

    struct Case
    {
        const char* when;
        Folder files;
        const AccountTable& expected;
        File accountsAfter, optionsAfter;
    };
    const Case cases[] = {
        {"while settings2.dat is written", {S0, half(S1), C0, {}}, oldTable, S0, C0},
        {"settings2.dat complete", {S0, S1, C0, {}}, oldTable, S0, C0},
        {"while config2.dat is written", {S0, S1, C0, half(C1)}, oldTable, S0, C0},
        {"config2.dat complete", {S0, S1, C0, C1}, oldTable, S0, C0},
        {"between the two renames", {S0, S1, C1, {}}, newTable, S1, C1},
        {"after both renames", {S1, {}, C1, {}}, newTable, S1, C1},
        {"first save, settings2.dat half written",
         {{}, half(*first.accounts), kDefaultOptionsLine, {}},
         none,
         {},
         kDefaultOptionsLine},
        {"first save, both temporary files complete",
         {{}, *first.accounts, kDefaultOptionsLine, *first.options},
         none,
         {},
         kDefaultOptionsLine},
        {"first save, between the two renames",
         {{}, *first.accounts, *first.options, {}},
         newTable,
         first.accounts,
         first.options},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when);
        put(folder, c.files);
        FakePlatform p;
        AppState run(folder.str(), p);
        Login runLogin;
        LockedFile runLocked;
        runLogin.LoginUserName = "user";
        OptionsRecord options;
        AccountTable table;
        const LoadResult r = LoadAccountFile(run, runLogin, options, table, runLocked);
        EXPECT_EQ(outcome(r), c.expected.size() > 1 ? "Loaded" : "NoFile");
        EXPECT_TRUE(p.messages.empty());
        EXPECT_EQ(table, asLoaded(c.expected));
        // Settled: the matching pair alone, and a second load agrees.
        const Folder after = take(folder);
        EXPECT_EQ(after.accounts, c.accountsAfter);
        EXPECT_EQ(after.options, c.optionsAfter);
        EXPECT_FALSE(after.temp);
        EXPECT_FALSE(after.tempOptions);
        AccountTable again;
        EXPECT_EQ(outcome(LoadAccountFile(run, runLogin, options, again, runLocked)), outcome(r));
        EXPECT_EQ(again, table);
        EXPECT_TRUE(p.messages.empty());
    }
}

TEST_F(SaveJournalTest, ATemporaryFileTheStampNamesIsUsedOnlyWhenItAuthenticates)
{
    login.LoginUserName = "user";
    saveSample(sampleTable());
    const std::string S0 = folder.read("settings.dat");
    // A stamp naming a settings2.dat that is not the program's own: no save to finish. The settings.dat in place
    // is whole, so it is used under its own stamp (and the user told), and the foreign file goes as a leftover.
    const std::string foreign = "SGVsbG8gd29ybGQhIQ==";
    writeOuterWithStamp(foreign); // settings.dat = foreign, stamp of it
    folder.write("settings2.dat", foreign);
    folder.write("settings.dat", S0);
    OptionsRecord options;
    AccountTable table;
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, table, locked)), "Loaded");
    EXPECT_EQ(table, asLoaded(sampleTable()));
    ASSERT_EQ(platform.messages.size(), 2u); // what the cipher found in settings2.dat, then the file used
    EXPECT_EQ(platform.messages[1].style, MsgInformation);
    EXPECT_EQ(folder.read("settings.dat"), S0);
    EXPECT_FALSE(folder.exists("settings2.dat"));
    EXPECT_EQ(stamp(), state.ComputedStamp);
}

TEST_F(SaveJournalTest, ALinkUnderTheTemporaryNameIsNeverTakenForTheJournal)
{
    login.LoginUserName = "user";
    const AccountTable table = sampleTable();
    const Folder pair = saved({{}, {}, kDefaultOptionsLine, {}}, table);
    folder.write("elsewhere.dat", *pair.accounts);
    std::filesystem::create_symlink(folder.file("elsewhere.dat"), folder.file("settings2.dat"));
    folder.write("config.dat", *pair.options);
    std::filesystem::create_directory(folder.file("versions")); // a folder this version keeps versions in
    OptionsRecord options;
    AccountTable loaded;
    // Not a save to finish: the stamp names an account file that is not there, and nothing is touched.
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, loaded, locked)), "EndProgram");
    EXPECT_FALSE(folder.exists("settings.dat"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("settings2.dat")));
    // With the pair in place the link is a leftover: the link goes, not what it points to.
    folder.write("settings.dat", *pair.accounts);
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, loaded, locked)), "Loaded");
    EXPECT_FALSE(std::filesystem::is_symlink(folder.file("settings2.dat")));
    EXPECT_EQ(folder.read("elsewhere.dat"), *pair.accounts);
}

// What the load refuses is never written: a save whose file would pass the size bound writes nothing, and the
// length the imports check beforehand is the length the save writes, under either key.
TEST_F(SaveJournalTest, ASaveNeverWritesAFileLargerThanTheLoadReads)
{
    for (const bool protectedFile : {false, true}) {
        SCOPED_TRACE(protectedFile ? "encrypted with the login" : "default");
        TempFolder other;
        AppState s(other.str(), platform);
        Login sLogin;
        sLogin.LoginUserName = "user";
        sLogin.LoginPassword1 = "password";
        if (protectedFile)
            sLogin.protection = NewProtection(KdfSettings{kMinKdfMemoryKiB, 1, 1}, sLogin.LoginUserName,
                                              sLogin.LoginPassword1, sLogin.LoginPassword2);
        const AccountTable table = sampleTable();
        ASSERT_EQ(outcome(SaveAccountFile(s, sLogin, table)), "Ok");
        const std::string file = other.read("settings.dat"), options = other.read("config.dat");
        EXPECT_EQ(AccountFileLength(sLogin, table), file.size());

        SetFileSizeBoundForTests(file.size() - 1);
        const Result refused = SaveAccountFile(s, sLogin, table);
        EXPECT_EQ(other.read("settings.dat"), file);
        EXPECT_EQ(other.read("config.dat"), options);
        SetFileSizeBoundForTests(file.size());
        const Result fits = SaveAccountFile(s, sLogin, table);
        SetFileSizeBoundForTests(0);
        EXPECT_EQ(refused.message(), "Coffernote could not save the accounts to\r\n" + other.file("settings.dat") +
                                         "\r\n(the account file would be " + GroupedDigits(file.size()) +
                                         " bytes, larger than " + std::to_string(file.size() - 1) +
                                         " bytes, the most Coffernote reads).\r\nNothing was written. Shorten the "
                                         "longest notes or passwords, or delete accounts, and try again.");
        EXPECT_EQ(outcome(fits), "Ok");
        EXPECT_EQ(other.read("settings.dat").size(), file.size());
        EXPECT_FALSE(other.exists("settings2.dat"));
        EXPECT_FALSE(other.exists("config2.dat"));
    }
}

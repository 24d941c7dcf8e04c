// File > Import from Another Program on the main window's model: the preview, the table, the file on disk.
#include "ProgramFolderFixture.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/model/AccountBook.h"
#include "base/AtomicFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const char* const kFilter = "CSV Files  (*.csv)|*.csv";
const char* const kFirefox =
    "\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\",\"timeCreated\","
    "\"timeLastUsed\",\"timePasswordChanged\"\r\n"
    "\"https://bank.example\",\"me\",\"new\",,,\"{1}\",\"1\",\"1\",\"1\"\r\n"
    "\"https://www.mail.example/in\",\"ann\",\"pw\",,,\"{2}\",\"1\",\"1\",\"1\"\r\n";

class AccountBookImportFromProgram : public ProgramFolderFixture
{
protected:
    TempFolder elsewhere;
    AccountBook* book = nullptr;

    void SetUp() override
    {
        storeAccounts({MakeAccount("bank.example", "https://bank.example", "", "me", "old")});
        ASSERT_EQ(outcome(session.load()), "Ok");
        session.openMain();
        book = &session.book();
        platform.messages.clear();
        elsewhere.write("firefox.csv", kFirefox);
    }
    void TearDown() override
    {
        SetFileFaultHookForTests({});
        SetFileSizeBoundForTests(0);
    }

    std::string lastMessage() const { return platform.messages.empty() ? "" : platform.messages.back().text; }
    std::vector<std::string> names() const
    {
        std::vector<std::string> n;
        for (const AccountRecord& r : book->table())
            n.push_back(r.AccountName);
        return n;
    }
    void importWith(const std::string& file, std::optional<ImportChoice> choice)
    {
        platform.queueFile(file);
        if (choice)
            platform.queueImportChoice(*choice);
        ASSERT_FALSE(book->importFromProgram().mustEnd());
    }
};

} // namespace

TEST_F(AccountBookImportFromProgram, AddsTheAccountsInOneSaveAndRemindsOfTheClearTextFile)
{
    importWith(elsewhere.file("firefox.csv"), ImportChoice::AddNumbered);

    EXPECT_EQ(platform.fileFilters, std::vector<std::string>{kFilter});
    EXPECT_EQ(platform.fileCaptions, std::vector<std::string>{"Import from Another Program"});
    ASSERT_EQ(platform.importPreviews.size(), 1u);
    EXPECT_EQ(platform.importPreviews[0].existingNames, 1);
    EXPECT_EQ(names(),
              (std::vector<std::string>{kHeaderMarker, "bank.example", "bank.example (2)", "www.mail.example"}));
    EXPECT_EQ(book->table()[2], (AccountRecord{2, "bank.example (2)", "https://bank.example", {}, "me", "new"}));
    EXPECT_EQ(book->names(), (std::vector<std::string>{"bank.example", "bank.example (2)", "www.mail.example"}));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "2 accounts have been imported and saved.\r\nThe file " +
                                             elsewhere.file("firefox.csv") +
                                             " still holds your passwords in clear text: delete it once you no "
                                             "longer need it.");
    EXPECT_EQ(platform.messages[0].style, MsgInformation);

    // The account file holds what the window shows: the next start reads the same table.
    FakePlatform quiet;
    AppState reader(folder.str(), quiet);
    Login readerLogin;
    LockedFile readerLocked;
    OptionsRecord options;
    AccountTable stored;
    ASSERT_TRUE(LoadAccountFile(reader, readerLogin, options, stored, readerLocked).result.isOk());
    EXPECT_EQ(stored, book->table());
    EXPECT_TRUE(elsewhere.exists("firefox.csv")); // never deleted
}

TEST_F(AccountBookImportFromProgram, SkippingExistingNamesAddsOnlyTheNewOnes)
{
    importWith(elsewhere.file("firefox.csv"), ImportChoice::SkipExisting);
    EXPECT_EQ(names(), (std::vector<std::string>{kHeaderMarker, "bank.example", "www.mail.example"}));
    EXPECT_EQ(book->table()[1].Password, "old");
    EXPECT_EQ(lastMessage().substr(0, 40), "1 account has been imported and saved.\r\n");
}

TEST_F(AccountBookImportFromProgram, FailedOrCancelledImportsChangeNothing)
{
    const std::string before = folder.read(kAccountFileName);
    const AccountTable table = book->table();
    elsewhere.write("other.csv", "Site;Login;Secret\r\nx;y;z\r\n");
    elsewhere.write("one.csv", "name,url,username,password\nbank.example,https://bank.example,me,old\n");

    importWith("", std::nullopt); // the file dialog cancelled
    importWith(elsewhere.file("firefox.csv"), ImportChoice::Cancel);
    EXPECT_TRUE(platform.messages.empty());

    importWith(elsewhere.file("other.csv"), std::nullopt);
    EXPECT_EQ(lastMessage().substr(0, lastMessage().find("\r\n")),
              "The file " + elsewhere.file("other.csv") + " could not be imported.");
    EXPECT_EQ(lastMessage().substr(lastMessage().rfind("\r\n")), "\r\nYour accounts have not been changed.");

    // A pipe is never opened (it would wait for a writer); a file beyond the bound is not read.
    ASSERT_EQ(::mkfifo(elsewhere.file("pipe.csv").c_str(), 0600), 0);
    importWith(elsewhere.file("pipe.csv"), std::nullopt);
    EXPECT_EQ(lastMessage(), "The file " + elsewhere.file("pipe.csv") +
                                 " could not be imported.\r\nIt could not be read: it is not a regular file (a pipe, a "
                                 "device or a socket).\r\nYour accounts have not been changed.");
    SetFileSizeBoundForTests(100);
    importWith(elsewhere.file("firefox.csv"), std::nullopt);
    SetFileSizeBoundForTests(0);
    EXPECT_NE(
        lastMessage().find("\r\nIt could not be read: it is larger than 100 bytes, the most Coffernote reads.\r\n"),
        std::string::npos)
        << lastMessage();

    importWith(elsewhere.file("one.csv"), ImportChoice::SkipExisting);
    EXPECT_EQ(lastMessage(), "No account has been imported: every account of the file was skipped.");

    // A save that fails takes the accounts back out of the table.
    SetFileFaultHookForTests([](FileFault, const std::string&) { return true; });
    importWith(elsewhere.file("firefox.csv"), ImportChoice::AddNumbered);
    SetFileFaultHookForTests({});
    EXPECT_EQ(lastMessage().substr(0, 35), "Your accounts could not be saved.\r\n");
    EXPECT_EQ(lastMessage().substr(lastMessage().rfind("\r\n")), "\r\nNothing has been imported.");

    EXPECT_EQ(book->table(), table);
    EXPECT_EQ(book->names(), std::vector<std::string>{"bank.example"});
    EXPECT_EQ(folder.read(kAccountFileName), before);
}

// A save whose only fault is the folder flush has put the accounts on disk: they stay, and so says the message.
TEST_F(AccountBookImportFromProgram, UnflushedSaveKeepsTheAccountsItWrote)
{
    SetFileFaultHookForTests([](FileFault f, const std::string&) { return f == FileFault::FolderFlush; });
    importWith(elsewhere.file("firefox.csv"), ImportChoice::AddNumbered);
    SetFileFaultHookForTests({});

    EXPECT_EQ(names(),
              (std::vector<std::string>{kHeaderMarker, "bank.example", "bank.example (2)", "www.mail.example"}));
    EXPECT_EQ(book->names(), (std::vector<std::string>{"bank.example", "bank.example (2)", "www.mail.example"}));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Coffernote could not save the accounts to\r\n" + folder.file("settings.dat") +
                                             "\r\n(cannot flush the folder " + folder.str() +
                                             ": Input/output error).\r\nThe files in place are whole and hold the "
                                             "change, but it may not survive a power cut.");
    FakePlatform quiet;
    AppState reader(folder.str(), quiet);
    Login readerLogin;
    LockedFile readerLocked;
    OptionsRecord options;
    AccountTable stored;
    ASSERT_TRUE(LoadAccountFile(reader, readerLogin, options, stored, readerLocked).result.isOk());
    EXPECT_EQ(stored, book->table());
}

// Huge passwords, made small: values beyond the per-value bound are refused with their line, and accounts
// within it whose account file would pass the size bound the load applies are refused before the save.
TEST_F(AccountBookImportFromProgram, WhatTheNextStartCouldNotReadIsNeverImported)
{
    const std::string before = folder.read(kAccountFileName);
    const AccountTable table = book->table();
    const std::string header = "name,url,username,password\r\n";
    elsewhere.write("huge.csv", header + "a,,,\"" + std::string(65537, 'p') + "\"\r\nb,,,p\r\n");
    importWith(elsewhere.file("huge.csv"), std::nullopt);
    EXPECT_EQ(lastMessage(), "The file " + elsewhere.file("huge.csv") +
                                 " could not be imported.\r\nLine 2: the password value holds 65,537 bytes, more "
                                 "than the 65,536 bytes (64 KiB) Coffernote takes in one value. Shorten it or leave "
                                 "that row out, and import the file again.\r\nYour accounts have not been changed.");

    std::string rows = header;
    for (int i = 0; i < 10; ++i)
        rows += "n" + std::to_string(i) + ",,," + std::string(60000, 'p') + "\r\n";
    elsewhere.write("large.csv", rows);
    SetFileSizeBoundForTests(1024 * 1024);
    importWith(elsewhere.file("large.csv"), ImportChoice::AddNumbered);
    // The length is the account file's, a little over the bound: "1,1..." bytes.
    const std::string said = lastMessage(), length = "the account file would be 1,1";
    ASSERT_NE(said.find(length), std::string::npos) << said;
    EXPECT_EQ(said.substr(0, said.find(length)),
              "The file " + elsewhere.file("large.csv") + " could not be imported.\r\nIts accounts cannot be stored: ");
    EXPECT_EQ(said.substr(said.find(" bytes, larger")),
              " bytes, larger than 1 MB, the most Coffernote reads. Shorten the longest notes or passwords in it, or "
              "import fewer accounts.\r\nYour accounts have not been changed.");
    EXPECT_EQ(platform.messages.size(), 2u); // nothing said to be saved
    EXPECT_EQ(book->table(), table);
    EXPECT_EQ(folder.read(kAccountFileName), before);
}

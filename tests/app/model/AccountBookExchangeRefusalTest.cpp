// File > Import takes only what it can store as it was exported: another program's export, a line that does not
// hold five values and accounts the account file could not hold are refused before anything changes.
#include "ProgramFolderFixture.h"

#include "app/files/AccountExchange.h"
#include "app/files/AccountFile.h"
#include "app/files/Utf8Text.h"
#include "app/model/AccountBook.h"
#include "base/AtomicFile.h"

#include <gtest/gtest.h>

namespace {

class AccountBookExchangeRefusal : public ProgramFolderFixture
{
protected:
    TempFolder elsewhere;
    AccountBook* book = nullptr;

    void SetUp() override
    {
        startWithLogin();
        std::vector<AccountRecord> accounts;
        for (int i = 1; i <= 20; ++i)
            accounts.push_back(MakeAccount("Account " + std::to_string(i),
                                           "https://site" + std::to_string(i) + ".example", "", "me",
                                           "pw" + std::to_string(i)));
        storeAccounts(accounts);
        ASSERT_EQ(outcome(session.load()), "Ok");
        session.openMain();
        book = &session.book();
        platform.messages.clear();
    }
    void TearDown() override { SetFileSizeBoundForTests(0); }

    // Imports the file, answering Yes; checks that the table, the list and both files are as they were, and
    // gives the message.
    std::string refusalOf(const std::string& name, const std::string& content)
    {
        elsewhere.write(name, content);
        const AccountTable table = book->table();
        const std::string accounts = folder.read("settings.dat");
        const OptionsRecord options = ParseOptionsLine(folder.read("config.dat"));
        platform.messages.clear();
        platform.queueAnswer(Answer::Yes);
        platform.queueFile(elsewhere.file(name));
        EXPECT_FALSE(book->importAccounts().mustEnd());
        EXPECT_EQ(book->table(), table);
        EXPECT_EQ(book->names().size(), 20u); // the list emptied for the dialog is filled again
        EXPECT_EQ(folder.read("settings.dat"), accounts);
        const OptionsRecord now = ParseOptionsLine(folder.read("config.dat"));
        for (const auto field : {OptionsRecord::IntegrityStamp, OptionsRecord::AlwaysOnTop})
            EXPECT_EQ(now.get(field), options.get(field));
        EXPECT_EQ(platform.messages.size(), 2u);
        if (platform.messages.empty())
            return {};
        EXPECT_EQ(platform.messages.back().style, MsgExclamation);
        return platform.messages.back().text;
    }
    std::string refusal(const std::string& name, const std::string& why) const
    {
        return "The file " + elsewhere.file(name) + " could not be imported.\r\n" + why +
               "\r\nYour accounts have not been changed.";
    }
};

} // namespace

TEST_F(AccountBookExchangeRefusal, AnotherProgramsExportIsNamedAndChangesNothing)
{
    const std::string keepassxc =
        "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\","
        "\"Created\"\n"
        "\"Root\",\"Bank\",\"me\",\"s3cret\",\"https://bank.example\",\"line 1\nline 2\",\"\",\"0\","
        "\"2024-01-02T10:00:00Z\",\"2024-01-01T10:00:00Z\"\n";
    EXPECT_EQ(refusalOf("keepassxc.csv", keepassxc),
              refusal("keepassxc.csv", "This file is a KeePassXC export, not a Coffernote export. Use File > Import "
                                       "from Another Program to add its accounts."));
    EXPECT_EQ(refusalOf("seven.csv", "a,b,c,d,e\r\n\"f\",g,h,i,j,k,l\r\n"),
              refusal("seven.csv", "Line 2 holds 7 values, but each line of a Coffernote export holds five: name, "
                                   "website, notes, user ID and password."));
}

// Accounts whose account file the next start would refuse as too large are refused before the save.
TEST_F(AccountBookExchangeRefusal, AccountsTooLargeToStoreAreRefusedBeforeTheSave)
{
    SetFileSizeBoundForTests(1024 * 1024);
    const std::string password(600000, 'p');
    const std::size_t length =
        AccountFileLength(login, BuildImportedTable(login, {MakeAccount("big", "", "", "", password)}));
    ASSERT_GT(length, 1024u * 1024u);
    EXPECT_EQ(refusalOf("big.csv", "big,,,," + password + "\r\n"),
              refusal("big.csv", "Its accounts cannot be stored: the account file would be " + GroupedDigits(length) +
                                     " bytes, larger than 1 MB, the most Coffernote reads. Shorten the longest notes "
                                     "or passwords in it, or import fewer accounts."));
}

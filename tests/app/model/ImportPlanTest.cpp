// Which accounts of another program's export join the table, under which names, and what the preview says first.
#include "app/model/ImportPlan.h"
#include "app/model/ImportPreview.h"

#include "app/files/ImportFromProgram.h"

#include "FakePlatform.h"
#include "ProgramFolderFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

AccountTable TableNamed(const std::vector<std::string>& names)
{
    AccountTable t{MakeAccount(kHeaderMarker, "na")};
    for (const auto& n : names) {
        t.push_back(MakeAccount(n));
        t.back().RecordNo = static_cast<std::int16_t>(t.size() - 1);
    }
    return t;
}

ForeignAccounts Named(const std::vector<std::string>& names)
{
    ForeignAccounts f;
    f.source = "Chromium browser export";
    for (const auto& n : names)
        f.accounts.push_back(MakeAccount(n, "https://" + n));
    return f;
}

std::vector<std::string> NamesOf(const std::vector<AccountRecord>& accounts)
{
    std::vector<std::string> names;
    for (const auto& a : accounts)
        names.push_back(a.AccountName);
    return names;
}

} // namespace

TEST(ImportFromProgram, ExistingNamesAreSkippedOrNumberedAsTheUserChooses)
{
    const AccountTable table = TableNamed({"Mail", "Bank", "Mail (2)"});
    const std::string longName = std::string(50, 'x');
    const std::vector<std::string> file = {"Mail", "New", "New", "Mail", longName, longName, kHeaderMarker};
    EXPECT_EQ(CountExistingNames(Named(file), table), 5);

    ForeignAccounts skip = Named(file);
    const auto skipped = TakeImportedAccounts(skip, ExistingNames::Skip, table);
    ASSERT_TRUE(skipped.result.isOk());
    EXPECT_EQ(NamesOf(skipped.value), (std::vector<std::string>{"New", longName}));

    ForeignAccounts number = Named(file);
    const auto numbered = TakeImportedAccounts(number, ExistingNames::AddNumbered, table);
    ASSERT_TRUE(numbered.result.isOk());
    EXPECT_EQ(NamesOf(numbered.value),
              (std::vector<std::string>{"Mail (3)", "New", "New (2)", "Mail (4)", longName,
                                        std::string(46, 'x') + " (2)", std::string(kHeaderMarker) + " (2)"}));
    EXPECT_EQ(numbered.value[0].Website, "https://Mail");
}

TEST(ImportFromProgram, PreviewSaysWhatWillHappen)
{
    ForeignResult r = ReadForeignExport(
        "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n"
        ",,login,Mail,,,0,https://mail.example,ann,pw,\n"
        ",,login,Bank,,,0,https://bank.example,bob,pw,\n"
        ",,card,Visa,,,0,,,,\n"
        ",,,,,,,,,,\n");
    ASSERT_TRUE(r.result.isOk());
    const ImportPreview p = MakeImportPreview(r.value, TableNamed({"Mail"}));
    EXPECT_EQ(p.summary, "Bitwarden export: 2 accounts.\n"
                         "Skipped: 1 row of other kinds than logins and secure notes (cards, identities).\n"
                         "Skipped: 1 empty row.\n"
                         "Added to the notes as \"Column: value\" lines: folder, fields, login_totp.\n"
                         "Not imported: the columns favorite, reprompt.\n"
                         "1 account has a name that already exists: Mail.");
    EXPECT_EQ(p.existingNames, 1);
    const std::vector<ImportPreviewRow> rows = {{"Mail", "https://mail.example", "ann"},
                                                {"Bank", "https://bank.example", "bob"}};
    EXPECT_EQ(p.firstRows, rows);
}

// The names cut to fit the list are counted; the names that exist are listed, each once, ten at most.
TEST(ImportFromProgram, PreviewCountsCutNamesAndListsExistingOnes)
{
    std::vector<std::string> twelve;
    for (char c = 'A'; c < 'A' + 12; ++c)
        twelve.push_back(std::string(1, c));
    std::vector<std::string> twelveTwice = twelve;
    twelveTwice.insert(twelveTwice.end(), twelve.begin(), twelve.end());
    const struct
    {
        std::vector<std::string> table, file;
        std::string lastLines;
    } cases[] = {
        {{}, {"Mail", Accents(51)}, "1 name was longer than 50 characters and was cut."},
        {{"Mail"},
         {Accents(60), "Mail", std::string(51, 'x'), "Bank", "Bank", "Bank"},
         "2 names were longer than 50 characters and were cut.\n"
         "3 accounts have names that already exist: Mail, Bank."},
        {{}, twelveTwice, "12 accounts have names that already exist: A, B, C, D, E, F, G, H, I, J and 2 more."},
    };
    for (const auto& c : cases) {
        const std::string csv = [&] {
            std::string s = "name,url,username,password\n";
            for (const auto& n : c.file)
                s += n + ",,,p\n";
            return s;
        }();
        const ForeignResult r = ReadForeignExport(csv);
        ASSERT_TRUE(r.result.isOk()) << r.result.message();
        const std::string summary = MakeImportPreview(r.value, TableNamed(c.table)).summary;
        EXPECT_EQ(summary.substr(summary.find('\n') + 1), c.lastLines);
    }
}

TEST(ImportFromProgram, TheTableLimitIsCheckedBeforeAnythingIsTaken)
{
    AccountTable table = TableNamed({});
    table.resize(kMaxRecords - 1, MakeAccount("Same"));
    ForeignAccounts two = Named({"A", "B"});
    const auto refused = TakeImportedAccounts(two, ExistingNames::AddNumbered, table);
    EXPECT_EQ(refused.result.message(),
              "Coffernote keeps at most 32,765 accounts. You have 32,764, and the file would add 2.");
    EXPECT_TRUE(refused.value.empty());
    EXPECT_EQ(two.accounts[1].AccountName, "B");

    // Skipping the name that exists makes it fit.
    ForeignAccounts fits = Named({"Same", "B"});
    const auto taken = TakeImportedAccounts(fits, ExistingNames::Skip, table);
    ASSERT_TRUE(taken.result.isOk());
    EXPECT_EQ(NamesOf(taken.value), std::vector<std::string>{"B"});

    // A file of one name over the limit is refused before it is numbered; skipped, it adds one account.
    ForeignAccounts same = Named(std::vector<std::string>(kMaxRecords, "Same"));
    EXPECT_EQ(TakeImportedAccounts(same, ExistingNames::AddNumbered, TableNamed({})).result.message(),
              "Coffernote keeps at most 32,765 accounts. You have 0, and the file would add 32,766.");
    EXPECT_EQ(same.accounts.back().AccountName, "Same");
    EXPECT_EQ(NamesOf(TakeImportedAccounts(same, ExistingNames::Skip, TableNamed({})).value),
              std::vector<std::string>{"Same"});
}

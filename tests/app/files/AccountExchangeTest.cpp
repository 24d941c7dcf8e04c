#include "app/files/AccountExchange.h"
#include "Outcomes.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "base/AtomicFile.h"

#include "FakePlatform.h"
#include "Permissions.h"
#include "ProgramFolderFixture.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

AccountRecord Header(std::string user = "", std::string p1 = "", std::string p2 = "")
{
    AccountRecord h = MakeAccount(kHeaderMarker, "na", std::move(user), std::move(p1), std::move(p2));
    h.RecordNo = 0;
    return h;
}

// A table as the main window holds it: header, then the accounts numbered 1..n.
AccountTable TableOf(std::vector<AccountRecord> accounts, AccountRecord header = Header())
{
    AccountTable t{std::move(header)};
    for (auto& a : accounts) {
        a.RecordNo = static_cast<std::int16_t>(t.size());
        t.push_back(std::move(a));
    }
    return t;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// Export format

TEST(AccountExchange, ExportWritesExactBytes)
{
    const AccountTable t = TableOf(
        {
            MakeAccount("Bank", "https://bank.example", "two\r\nlines", "me", "p,w"),
            MakeAccount("", "", "", "", ""),
            MakeAccount("Caf\xC3\xA9", " w ", "n", "u", "\xE2\x82\xAC"),
            MakeAccount("say \"hi\"", "\"", "\"\"", "a\",\"b", "x"),
        },
        Header("login", "secret1", "123"));
    EXPECT_EQ(FormatExport(t), "\"Bank\",\"https://bank.example\",\"two\r\nlines\",\"me\",\"p,w\"\r\n"
                               "\"\",\"\",\"\",\"\",\"\"\r\n"
                               "\"Caf\xC3\xA9\",\" w \",\"n\",\"u\",\"\xE2\x82\xAC\"\r\n"
                               R"("say ""hi""","""","""""","a"",""b","x")"
                               "\r\n");
}

TEST(AccountExchange, ExportOfHeaderOnlyOrEmptyTableIsEmpty)
{
    EXPECT_EQ(FormatExport(TableOf({}, Header("user", "pw1", "pw2"))), "");
    EXPECT_EQ(FormatExport(AccountTable{}), "");
}

TEST(AccountExchange, ExportLeavesLoginSettingsOut)
{
    const std::string out =
        FormatExport(TableOf({MakeAccount("a", "b", "c", "d", "e")}, Header("USERX", "PWX1", "PWX2")));
    EXPECT_EQ(out, "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n");
}

// ---------------------------------------------------------------------------------------------------------------
// Round trips

TEST(AccountExchange, RoundTripKeepsEveryValueExactly)
{
    const std::string longValue = [] {
        std::string s;
        for (int i = 0; i < 100000; ++i)
            s += static_cast<char>('a' + i % 26);
        return s;
    }();
    std::string allAscii;
    for (int c = 1; c < 128; ++c)
        allAscii += static_cast<char>(c);

    const struct
    {
        const char* what;
        std::vector<AccountRecord> accounts;
    } cases[] = {
        {"plain", {MakeAccount("Bank", "https://bank.example", "notes", "user", "pass")}},
        {"empty values", {MakeAccount("", "", "", "", ""), MakeAccount("x", "", "", "", "")}},
        {"commas", {MakeAccount("a,b", ",", ",,,", "u,", ",p")}},
        {"line breaks",
         {MakeAccount("n", "w", "line 1\r\nline 2\r\n", "u", "p"),
          MakeAccount("n2", "w", "lf\nonly", "cr\ronly", "\r\n")}},
        {"blanks and tabs", {MakeAccount(" lead", "trail ", "  ", "\t", " \t x \t ")}},
        {"every ASCII character", {MakeAccount(allAscii, allAscii, allAscii, allAscii, allAscii)}},
        {"double quotes",
         {MakeAccount("\"", "\"\"", "a\"b", "\"start,end\"", "\",\"\r\n\""), MakeAccount("x", "", "", "", "\"")}},
        {"UTF-8",
         {MakeAccount("Caf\xC3\xA9", "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x94\x91 key", "\xC3\x9F\xC3\xA4",
                      "\xE2\x82\xAC\xF0\x9F\x98\x80")}},
        {"long values", {MakeAccount(longValue, longValue, longValue, longValue, longValue)}},
        {"marker and duplicates",
         {MakeAccount(kHeaderMarker, "na", "", "", ""), MakeAccount("dup", "1", "", "", ""),
          MakeAccount("dup", "2", "", "", "")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const AccountTable original = TableOf(c.accounts, Header("user", "pw1", "pw2"));
        const std::string text = FormatExport(original);
        const ImportResult r = ParseImport(text);
        ASSERT_TRUE(r.result.isOk()) << r.result.message();
        EXPECT_EQ(r.value.accounts, c.accounts);
        EXPECT_EQ(FormatExport(TableOf(r.value.accounts)), text); // and the same bytes again

        FakePlatform platform;
        AppState state("/nowhere", platform);
        Login login;
        login.LoginUserName = "user";
        login.LoginPassword1 = "pw1";
        login.LoginPassword2 = "pw2";
        EXPECT_EQ(BuildImportedTable(login, r.value.accounts), original);
    }
}

TEST(AccountExchange, RoundTripOfAFullTable)
{
    // The largest table that can be stored: the header and kMaxRecords - 1 accounts.
    std::vector<AccountRecord> accounts;
    for (std::size_t i = 0; i + 1 < kMaxRecords; ++i) {
        const std::string n = std::to_string(i);
        accounts.push_back(MakeAccount("acct " + n, "https://" + n + ".example", "note\r\n" + n, "user" + n, "p," + n));
    }
    const AccountTable original = TableOf(accounts);
    ASSERT_EQ(original.size(), kMaxRecords);
    const std::string text = FormatExport(original);
    const ImportResult r = ParseImport(text);
    ASSERT_TRUE(r.result.isOk()) << r.result.message();
    EXPECT_EQ(r.value.accounts, accounts);

    Login login;
    const AccountTable rebuilt = BuildImportedTable(login, r.value.accounts);
    EXPECT_EQ(rebuilt, original);
    EXPECT_EQ(rebuilt.back().RecordNo, static_cast<std::int16_t>(kMaxRecords - 1));

    // One account more cannot be numbered: refused, naming where the first one that does not fit starts.
    // Each account above spans two lines (its notes hold a line break).
    const ImportResult tooMany = ParseImport(text + "\"one\",\"too\",\"many\",\"\",\"\"\r\n");
    ASSERT_EQ(outcome(tooMany), "Malformed");
    EXPECT_TRUE(tooMany.value.accounts.empty());
    EXPECT_EQ(tooMany.value.line, static_cast<int>(2 * (kMaxRecords - 1) + 1));
    EXPECT_EQ(tooMany.result.message(),
              "The file holds more than 32765 accounts, more than can be stored; the first one that "
              "does not fit starts on line 65531.");
}

TEST(AccountExchange, BuildImportedTableTakesHeaderFromLoginSettings)
{
    Login login;
    login.LoginUserName = "name";
    login.LoginPassword1 = "first";
    login.LoginPassword2 = "4711";
    std::vector<AccountRecord> accounts = {MakeAccount("a", "", "", "", ""), MakeAccount("b", "", "", "", "")};
    accounts[0].RecordNo = 99; // whatever the input held
    const AccountTable t = BuildImportedTable(login, accounts);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0], Header("name", "first", "4711"));
    EXPECT_EQ(t[1].RecordNo, 1);
    EXPECT_EQ(t[1].AccountName, "a");
    EXPECT_EQ(t[2].RecordNo, 2);
    EXPECT_EQ(t[2].AccountName, "b");

    EXPECT_EQ(BuildImportedTable(login, {}), AccountTable{Header("name", "first", "4711")});
}

// ---------------------------------------------------------------------------------------------------------------
// What the reader accepts

TEST(AccountExchange, ParseAcceptsTheFormatsVariants)
{
    const std::vector<AccountRecord> ab = {MakeAccount("a", "b", "c", "d", "e"), MakeAccount("f", "g", "h", "i", "j")};
    const struct
    {
        const char* what;
        std::string text;
        std::vector<AccountRecord> expected;
    } cases[] = {
        {"empty file", "", {}},
        {"byte-order mark only", "\xEF\xBB\xBF", {}},
        {"blank lines only", "\r\n\r\n  \r\n\t\n", {}},
        {"export form", "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n\"f\",\"g\",\"h\",\"i\",\"j\"\r\n", ab},
        {"byte-order mark", "\xEF\xBB\xBF\"a\",\"b\",\"c\",\"d\",\"e\"\r\n\"f\",\"g\",\"h\",\"i\",\"j\"\r\n", ab},
        {"no final line end", "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n\"f\",\"g\",\"h\",\"i\",\"j\"", ab},
        {"LF line ends", "\"a\",\"b\",\"c\",\"d\",\"e\"\n\"f\",\"g\",\"h\",\"i\",\"j\"\n", ab},
        {"CR line ends", "\"a\",\"b\",\"c\",\"d\",\"e\"\r\"f\",\"g\",\"h\",\"i\",\"j\"\r", ab},
        {"blank lines between and after",
         "\r\n\"a\",\"b\",\"c\",\"d\",\"e\"\r\n\r\n   \r\n\"f\",\"g\",\"h\",\"i\",\"j\"\r\n\r\n\r\n", ab},
        {"unquoted values", "a,b,c,d,e\r\nf,g,h,i,j\r\n", ab},
        {"mixed quoting", "a,\"b\",c,\"d\",e\r\n\"f\",g,\"h\",i,\"j\"\r\n", ab},
        {"blanks around quoted values", "  \"a\" , \"b\",\"c\"\t,\"d\",\"e\"  \r\n\"f\",\"g\",\"h\",\"i\",\"j\"\r\n",
         ab},
        {"trailing comma gives an empty last value", "a,b,c,d,\r\n", {MakeAccount("a", "b", "c", "d", "")}},
        {"comma at the end of the file", "a,b,c,d,", {MakeAccount("a", "b", "c", "d", "")}},
        {"empty unquoted values", ",,,,\r\n", {MakeAccount("", "", "", "", "")}},
        {"unquoted values keep their blanks", " a , b,c ,d,  e\r\n", {MakeAccount(" a ", " b", "c ", "d", "  e")}},
        {"quoted line breaks and commas",
         "\"x,y\",\"w\",\"1\r\n2\n3\r4\",\"u\",\"\"\r\n",
         {MakeAccount("x,y", "w", "1\r\n2\n3\r4", "u", "")}},
        {"quote inside an unquoted value", "ab\"c,d,e,f,g", {MakeAccount("ab\"c", "d", "e", "f", "g")}},
        {"doubled quotes in quoted values",
         R"("a""b","""","""x""" , "",""")"
         "\r\n"
         R"(""")"
         "\r\n",
         {MakeAccount("a\"b", "\"", "\"x\"", "", "\"\r\n\"")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ImportResult r = ParseImport(c.text);
        ASSERT_TRUE(r.result.isOk()) << r.result.message();
        EXPECT_EQ(outcome(r), "Ok");
        EXPECT_EQ(r.value.accounts, c.expected);
        EXPECT_EQ(r.result.message(), "");
    }
}

// ---------------------------------------------------------------------------------------------------------------
// What the reader refuses, and where

TEST(AccountExchange, ParseRefusesMalformedFilesNamingTheLine)
{
    const std::string kFive =
        ", but each line of a Coffernote export holds five: name, website, notes, user ID and password.";
    const std::string ok = "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n";
    const struct
    {
        const char* what;
        std::string text;
        int line;
        std::string error;
    } cases[] = {
        {"unterminated quote", ok + "\"f\",\"g\r\n\r\nh", 2,
         "Line 2: a value starts with a double quote that is never closed; the file ends inside it."},
        {"lone quote", "\"", 1,
         "Line 1: a value starts with a double quote that is never closed; the file ends inside it."},
        {"text after the closing quote", ok + ok + "\"f\"x,\"g\",\"h\",\"i\",\"j\"\r\n", 3,
         "Line 3: there is text after the closing double quote of a value; values must be separated by commas or "
         "line ends."},
        {"text after a quoted value that spans lines", "\"a\",\"b\",\"c\r\nc\r\nc\" x,\"d\",\"e\"\r\n", 3,
         "Line 3: there is text after the closing double quote of a value; values must be separated by commas or "
         "line ends."},
        {"lone quote inside a quoted value", "\"say \"hi\"\",\"b\",\"c\",\"d\",\"e\"\r\n", 1,
         "Line 1: there is text after the closing double quote of a value; values must be separated by commas or "
         "line ends."},
        {"doubled quote at the end of the file", "\"a\"\"", 1,
         "Line 1: a value starts with a double quote that is never closed; the file ends inside it."},
        {"too few values", ok + "\"f\",\"g\"\r\n", 2, "Line 2 holds 2 values" + kFive},
        {"one value", "x", 1, "Line 1 holds 1 value" + kFive},
        {"too many values", ok + "\"f\",\"g\",\"h\",\"i\",\"j\",\"k\"\r\n", 2, "Line 2 holds 6 values" + kFive},
        {"five at a time across lines", "\"a\",\"b\"\r\n\"c\"\r\n\"d\",\"e\",\"f\",\"g\"\r\n\"h\",\"i\",\"j\"\r\n", 1,
         "Line 1 holds 2 values" + kFive},
        {"two accounts on one line", ok + "\r\na,b,c,d,e,f,g,h,i,j", 3, "Line 3 holds 10 values" + kFive},
        {"a comma after the fifth value", "a,b,c,d,e,", 1, "Line 1 holds 6 values" + kFive},
        {"a blank line inside an account", "a,b,c\r\n\r\nd,e\r\n", 1, "Line 1 holds 3 values" + kFive},
        {"a short account after one spanning lines", "a,b,\"c\r\nc\",d,e\r\nf,g,h,i\r\n", 3,
         "Line 3 holds 4 values" + kFive},
        {"not UTF-8", ok + ok + "\"caf\xE9\",\"b\",\"c\",\"d\",\"e\"\r\n", 3, "Line 3: the text is not valid UTF-8."},
        {"overlong UTF-8", "\"\xC0\xAF\",b,c,d,e", 1, "Line 1: the text is not valid UTF-8."},
        {"UTF-8 surrogate", "a,b\r\n\"\xED\xA0\x80\",c,d,e", 2, "Line 2: the text is not valid UTF-8."},
        {"truncated UTF-8", "a,b,c,d,\xE2\x82", 1, "Line 1: the text is not valid UTF-8."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ImportResult r = ParseImport(c.text);
        EXPECT_FALSE(r.result.isOk());
        EXPECT_EQ(outcome(r), "Malformed");
        EXPECT_TRUE(r.value.accounts.empty());
        EXPECT_EQ(r.value.line, c.line);
        EXPECT_EQ(r.result.message(), c.error);
    }
}

// Another program's export is named, whatever its number of columns; a line of our own that only looks like
// column names in part is an account.
TEST(AccountExchange, ParseRefusesOtherProgramsExportsNamingThem)
{
    const std::string use = " Use File > Import from Another Program to add its accounts.";
    const struct
    {
        const char* what;
        std::string text;
        std::string error; // empty: read as accounts
    } cases[] = {
        {"KeePassXC",
         "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\","
         "\"Created\"\n\"Root\",\"Bank\",\"me\",\"pw\",\"https://bank.example\",\"a\nb\",\"\",\"0\",\"x\",\"y\"\n",
         "This file is a KeePassXC export, not a Coffernote export." + use},
        {"Chromium, five columns", "name,url,username,password,note\r\nBank,https://bank.example,me,pw,\r\n",
         "This file is a Chromium browser export, not a Coffernote export." + use},
        {"Firefox after a byte-order mark",
         "\xEF\xBB\xBF\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\","
         "\"timeCreated\","
         "\"timeLastUsed\",\"timePasswordChanged\"\r\n",
         "This file is a Firefox export, not a Coffernote export." + use},
        {"named columns", "Account, Website ,Notes,User ID,Password\r\nBank,b,n,u,p\r\n",
         "This file is not a Coffernote export: its first line names columns (Account, Website, Notes, User ID, "
         "Password), as the exports of other programs do." +
             use},
        {"an account that names a column or two", "\"Login\",\"\",\"\",\"me\",\"password\"\r\n", ""},
        {"an account named like a known column", "\"name\",\"url\",\"username\",\"pw\",\"n\"\r\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ImportResult r = ParseImport(c.text);
        EXPECT_EQ(r.result.message(), c.error);
        EXPECT_EQ(r.value.accounts.size(), c.error.empty() ? 1u : 0u);
        EXPECT_EQ(r.value.line, 0); // no line is malformed
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Random input: never a crash, never a half result, and whatever is accepted exports and reads back the same.

TEST(AccountExchange, ParseSurvivesRandomBytes)
{
    std::mt19937 rng(20240607);
    const std::string syntax[] = {"\"", ",",   "\r\n",     "\n",           "\r",   " ",    "\t",
                                  "a",  "xyz", "\xC3\xA9", "\xEF\xBB\xBF", "\xE2", "\xFF", std::string(1, '\0')};
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int accepted = 0;
    for (int round = 0; round < 6000; ++round) {
        std::string text;
        const int length = pick(0, 200);
        switch (round % 3) {
        case 0: // any bytes
            for (int i = 0; i < length; ++i)
                text += static_cast<char>(pick(0, 255));
            break;
        case 1: // a soup of the format's own signs
            for (int i = 0; i < length; ++i)
                text += syntax[pick(0, static_cast<int>(std::size(syntax)) - 1)];
            break;
        default: { // a sound export with a few bytes changed, dropped or added
            std::vector<AccountRecord> accounts;
            for (int a = pick(0, 4); a > 0; --a)
                accounts.push_back(MakeAccount(syntax[pick(7, 9)], "", syntax[pick(1, 9)], "u", syntax[pick(2, 9)]));
            text = FormatExport(TableOf(accounts));
            for (int m = pick(0, 3); m > 0 && !text.empty(); --m) {
                const std::size_t at = static_cast<std::size_t>(pick(0, static_cast<int>(text.size()) - 1));
                switch (pick(0, 2)) {
                case 0:
                    text[at] = syntax[pick(0, static_cast<int>(std::size(syntax)) - 1)][0];
                    break;
                case 1:
                    text.erase(at, 1);
                    break;
                default:
                    text.insert(at, syntax[pick(0, static_cast<int>(std::size(syntax)) - 1)]);
                }
            }
        }
        }
        ImportResult r;
        ASSERT_NO_THROW(r = ParseImport(text));
        if (!r.result.isOk()) {
            EXPECT_EQ(outcome(r), "Malformed");
            EXPECT_TRUE(r.value.accounts.empty());
            EXPECT_FALSE(r.result.message().empty());
            EXPECT_GE(r.value.line, 1);
            continue;
        }
        ++accepted;
        EXPECT_TRUE(r.result.message().empty());
        const ImportResult again = ParseImport(FormatExport(TableOf(r.value.accounts)));
        ASSERT_TRUE(again.result.isOk()) << again.result.message();
        EXPECT_EQ(again.value.accounts, r.value.accounts);
    }
    EXPECT_GT(accepted, 100); // the structured half does reach the accepting paths
}

// ---------------------------------------------------------------------------------------------------------------
// Files (writing an export: AccountExchangeFileTest.cpp)

TEST(AccountExchangePermissions, AnImportFileWithoutReadPermissionIsUnreadable)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    TempFolder dir;
    dir.write("secret.csv", "a,b,c,d,e\r\n");
    std::filesystem::permissions(dir.file("secret.csv"), std::filesystem::perms::none);
    ImportResult r;
    r = ReadImportFile(dir.file("secret.csv"));
    EXPECT_FALSE(r.result.isOk());
    EXPECT_EQ(outcome(r), "Unreadable");
    EXPECT_EQ(r.result.message(), "It could not be read: Permission denied.");
}

TEST(AccountExchange, ReadImportFileTellsMissingUnreadableAndMalformedApart)
{
    TempFolder dir;
    ImportResult r = ReadImportFile(dir.file("missing.csv"));
    EXPECT_FALSE(r.result.isOk());
    EXPECT_EQ(outcome(r), "NotFound");
    EXPECT_EQ(r.result.message(), "The file does not exist.");

    std::filesystem::create_directory(dir.file("folder.csv"));
    r = ReadImportFile(dir.file("folder.csv"));
    EXPECT_FALSE(r.result.isOk());
    EXPECT_EQ(outcome(r), "Unreadable");
    EXPECT_EQ(r.result.message(), "It is a folder, not a file.");

    ASSERT_EQ(::mkfifo(dir.file("pipe.csv").c_str(), 0600), 0);
    r = ReadImportFile(dir.file("pipe.csv")); // at once: never opened
    EXPECT_EQ(outcome(r), "Unreadable");
    EXPECT_EQ(r.result.message(), "It is not a regular file (a pipe, a device or a socket).");
    dir.write("large.csv", std::string(101, 'a'));
    SetFileSizeBoundForTests(100); // the bound is 256 MB
    r = ReadImportFile(dir.file("large.csv"));
    EXPECT_FALSE(r.result.isOk());
    SetFileSizeBoundForTests(0);
    EXPECT_EQ(r.result.message(), "It is larger than 100 bytes, the most Coffernote reads.");

    dir.write("bad.csv", "a,b,c,d,e\r\n\"f\r\n");
    r = ReadImportFile(dir.file("bad.csv"));
    EXPECT_FALSE(r.result.isOk());
    EXPECT_EQ(outcome(r), "Malformed");
    EXPECT_EQ(r.value.line, 2);
    EXPECT_TRUE(r.value.accounts.empty());

    dir.write("empty.csv", "");
    r = ReadImportFile(dir.file("empty.csv"));
    EXPECT_TRUE(r.result.isOk());
    EXPECT_TRUE(r.value.accounts.empty());

    // Larger than the first read buffer guess would be if the size were unknown.
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += "\"name" + std::to_string(i) + "\",\"w\",\"n\",\"u\",\"p\"\r\n";
    dir.write("big.csv", big);
    r = ReadImportFile(dir.file("big.csv"));
    ASSERT_TRUE(r.result.isOk()) << r.result.message();
    ASSERT_EQ(r.value.accounts.size(), 20000u);
    EXPECT_EQ(r.value.accounts.back().AccountName, "name19999");
}

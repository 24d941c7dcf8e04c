#include "app/files/ImportFromProgram.h"

#include "FakePlatform.h"
#include "ProgramFolderFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Each program's export, written here from the column names its makers document.
TEST(ImportFromProgram, EachLayoutPutsItsFieldsInTheRightBoxes)
{
    const struct
    {
        const char* source;
        std::string file;
        std::vector<AccountRecord> accounts;
        int otherKinds = 0;
        int emptyRows = 0;
        std::vector<std::string> kept;
        std::vector<std::string> dropped;
    } cases[] = {
        {"Chromium browser export",
         "name,url,username,password,note\n"
         "example.com,https://example.com/login,ann,\"p,w\"\"1\",\n"
         ",https://bob@www.Shop.example:8443/cart,bob,pw2,\"line1\nline2\"\n",
         {MakeAccount("example.com", "https://example.com/login", "", "ann", "p,w\"1"),
          MakeAccount("www.shop.example", "https://bob@www.Shop.example:8443/cart", "line1\nline2", "bob", "pw2")},
         0,
         0,
         {},
         {}},
        {"Firefox export",
         "\xEF\xBB\xBF\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\",\"timeCreated\","
         "\"timeLastUsed\",\"timePasswordChanged\"\r\n"
         "\"https://mail.example\",\"ann@mail.example\",\"s3cret\",,\"https://mail.example\",\"{a1}\","
         "\"1600000000000\",\"1600000000000\",\"1600000000000\"\r\n"
         "\"https://intranet.example\",\"bob\",\"pw\",\"Staff only\",,\"{b2}\",\"1\",\"2\",\"3\"\r\n",
         {MakeAccount("mail.example", "https://mail.example", "", "ann@mail.example", "s3cret"),
          MakeAccount("intranet.example", "https://intranet.example", "httpRealm: Staff only", "bob", "pw")},
         0,
         0,
         {"httpRealm"},
         {"formActionOrigin", "guid", "timeCreated", "timeLastUsed", "timePasswordChanged"}},
        {"KeePassXC export",
         "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\","
         "\"Created\"\n"
         "\"Root/Bank\",\"B\xC3\xA4nk\",\"ann\",\"pw\",\"https://bank.example\",\"two\nlines\",\"otpauth://x\",\"0\","
         "\"2024-01-01T00:00:00Z\",\"2024-01-01T00:00:00Z\"\n"
         "\"Root\",\"\",\"\",\"pw2\",\"\",\"\",\"\",\"0\",\"\",\"\"\n"
         "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"0\",\"\",\"\"\n",
         {MakeAccount("B\xC3\xA4nk", "https://bank.example", "two\nlines\r\nGroup: Root/Bank\r\nTOTP: otpauth://x",
                      "ann", "pw"),
          MakeAccount("Imported 1", "", "Group: Root", "", "pw2")},
         0,
         1,
         {"Group", "TOTP"},
         {"Icon", "Last Modified", "Created"}},
        {"Bitwarden export",
         "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n"
         "Work,1,login,Mail,,\"PIN: 1234\",0,https://mail.example,ann,pw,JBSWY3DP\n"
         ",,note,Secret note,text,,0,,,,\n"
         ",,card,Visa,,,0,,,,\n"
         ",,login,\"  " +
             Accents(60) +
             "\",,,0,https://x.example,u,p,\n"
             ",,login," +
             std::string(49, 'a') + "\xF0\x9F\x94\x91,,,0,,u2,p2,\n",
         {MakeAccount("Mail", "https://mail.example", "folder: Work\r\nfields: PIN: 1234\r\nlogin_totp: JBSWY3DP",
                      "ann", "pw"),
          MakeAccount("Secret note", "", "text"), MakeAccount(Accents(50), "https://x.example", "", "u", "p"),
          MakeAccount(std::string(49, 'a'), "", "", "u2", "p2")},
         1,
         0,
         {"folder", "fields", "login_totp"},
         {"favorite", "reprompt"}},
        {"Comma-separated file",
         "Password, User ID ,Title,Comments,Category,\r\n"
         "pw,ann,Shop,note,Fun,x\r\n"
         "pw2,bob,\"Two\nlines\",,,\r\n"
         "pw3,,,,,\r\n",
         {MakeAccount("Shop", "", "note\r\nCategory: Fun\r\nColumn 6: x", "ann", "pw"),
          MakeAccount("Two lines", "", "", "bob", "pw2"), MakeAccount("Imported 1", "", "", "", "pw3")},
         0,
         0,
         {"Category", "Column 6"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const ForeignResult r = ReadForeignExport(c.file);
        ASSERT_TRUE(r.result.isOk()) << r.result.message();
        EXPECT_EQ(r.value.source, c.source);
        EXPECT_EQ(r.value.accounts, c.accounts);
        EXPECT_EQ(r.value.otherKinds, c.otherKinds);
        EXPECT_EQ(r.value.emptyRows, c.emptyRows);
        EXPECT_EQ(r.value.keptColumns, c.kept);
        EXPECT_EQ(r.value.droppedColumns, c.dropped);
    }
}

TEST(ImportFromProgram, RefusesWhatItCannotReadWithAClearMessage)
{
    const struct
    {
        std::string file;
        std::string message;
    } cases[] = {
        {"", "The file is empty: it names no columns and holds no accounts."},
        {"Site;Login;Secret\r\nx;y;z\r\n",
         "Coffernote does not recognise the columns of this file. Its first line names: Site;Login;Secret.\r\n"
         "Coffernote reads the password exports of Chrome, Edge and the other Chromium browsers, Firefox, KeePassXC "
         "and Bitwarden, and files whose first line names a password column and a name, website or user name "
         "column: name, title or account; url, website or login_uri; username, user, login or user id; password; "
         "notes, note, extra or comments."},
        {"\"x\",\"y\",\"z\",\"q\"\n", // no header: the file's first line is an account
         "Coffernote does not recognise the columns of this file. Its first line names: x, y, z, q.\r\n"
         "Coffernote reads the password exports of Chrome, Edge and the other Chromium browsers, Firefox, KeePassXC "
         "and Bitwarden, and files whose first line names a password column and a name, website or user name "
         "column: name, title or account; url, website or login_uri; username, user, login or user id; password; "
         "notes, note, extra or comments."},
        {"name,url,username,password\nx,https://x.example,u,p\ny,https://y",
         "Line 3: the last row holds 2 of the 4 values the first line names: the file may have been cut short."},
        {"name,url,username,password\nx,https://x.example,u\ny,https://y.example,u,p\n",
         "Line 2: the row holds 3 values, but the first line names 4 columns."},
        {"name,url,username,password\nx,https://x.example,u,p,extra\n",
         "Line 2: the row holds 5 values, but the first line names 4 columns."},
        {"name,url,username,password\nx,https://x.example,u,\"p\n",
         "Line 2: a value starts with a double quote that is never closed: the file ends inside it, so it may have "
         "been cut short."},
    };
    for (const auto& c : cases) {
        const ForeignResult r = ReadForeignExport(c.file);
        EXPECT_EQ(r.result.message(), c.message) << c.file;
        EXPECT_TRUE(r.value.accounts.empty());
    }
}

// A value of 64 KiB is taken whole, in any column; one byte more refuses the file, naming the row's line.
TEST(ImportFromProgram, AValueBeyond64KiBIsRefusedWithItsLine)
{
    static_assert(kMaxImportedValueBytes == 65536);
    const std::string most(65536, 'x'), over(65537, 'x');
    const std::string header = "name,url,username,password,note\r\n";
    const ForeignResult taken = ReadForeignExport(header + "A,,,\"" + most + "\"," + most + "\r\n");
    ASSERT_TRUE(taken.result.isOk()) << taken.result.message();
    EXPECT_EQ(taken.value.accounts.at(0).Password, most);
    EXPECT_EQ(taken.value.accounts.at(0).Notes, most);

    const ForeignResult refused =
        ReadForeignExport(header + "A,,,p,\"two\r\nlines\"\r\nB,https://b.example,me,\"" + over + "\",\r\n");
    EXPECT_EQ(refused.result.message(), "Line 4: the password value holds 65,537 bytes, more than the 65,536 bytes "
                                        "(64 KiB) Coffernote takes in one value. Shorten it or leave that row out, "
                                        "and import the file again.");
    EXPECT_TRUE(refused.value.accounts.empty());
}

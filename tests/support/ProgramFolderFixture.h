#pragma once

// What the main window's tests share, whether they drive the model or the window: a fresh program folder with
// the scripted platform, accounts stored there as an earlier run would have left them, what a later start
// would read back, and the expected button states.
#include "FakePlatform.h"
#include "Outcomes.h"
#include "TempFolder.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "app/model/Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// An account record; RecordNo is set when it is stored.
inline AccountRecord MakeAccount(std::string name, std::string website = {}, std::string notes = {},
                                 std::string userId = {}, std::string password = {})
{
    AccountRecord r;
    r.AccountName = std::move(name);
    r.Website = std::move(website);
    r.Notes = std::move(notes);
    r.UserId = std::move(userId);
    r.Password = std::move(password);
    return r;
}

// "é" n times: 2n bytes, n characters (names longer than the list's 50 characters, cut by characters).
inline std::string Accents(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "\xC3\xA9";
    return s;
}

// The password that "Generate Password" offers in its question, checked against the question's exact shape.
inline std::string OfferedPassword(const std::string& question)
{
    // Checked by hand: <regex> draws GCC's -Wmaybe-uninitialized from inside the library at -O2.
    const std::string head = "Your new password for this account is: \r\n";
    const std::string tail = ".   Keep this password?";
    const bool shaped = question.size() == head.size() + 10 + tail.size() && question.starts_with(head) &&
                        question.ends_with(tail) &&
                        std::all_of(question.begin() + static_cast<std::ptrdiff_t>(head.size()),
                                    question.end() - static_cast<std::ptrdiff_t>(tail.size()),
                                    [](unsigned char c) { return std::isalnum(c) != 0 && c < 0x80; });
    EXPECT_TRUE(shaped) << question;
    return shaped ? question.substr(head.size(), 10) : std::string();
}

// Three accounts for the button-state tables: two with a website, one without.
inline std::vector<AccountRecord> ButtonStateAccounts()
{
    return {MakeAccount("Bank", "http://bank.example"), MakeAccount("Mail", "http://mail.example"),
            MakeAccount("Empty")};
}

// Four accounts for the lookup tests: stored out of order, two names sharing a beginning; websites with
// an upper-case scheme, without the prefix, and none.
inline std::vector<AccountRecord> LookupAccounts()
{
    return {
        MakeAccount("Mail", "https://mail.example.com", "personal", "me@example.com", "m41l"),
        MakeAccount("Bank", "HTTP://bank.example.com", "savings", "jdoe", "s3cret"),
        MakeAccount("Bankers", "", "", "jd", "pw"),
        MakeAccount("zoo", "zoo.example.org", "", "", ""),
    };
}

// Three accounts for the export and import tests: a comma, multi-byte names and values, a line break in a value.
inline std::vector<AccountRecord> ExchangeAccounts()
{
    return {
        MakeAccount("Bank", "https://bank.example", "branch 12", "me", "p,w"),
        MakeAccount("Caf\xC3\xA9 \xE2\x82\xAC", "", "two\r\nlines", "\xE4\xB8\xAD", ""),
        MakeAccount("alpha", "a.example", "", "", "x"),
    };
}

class ProgramFolderFixture : public ::testing::Test
{
protected:
    // rules: the rules of text the session's account list follows.
    explicit ProgramFolderFixture(const TextRules& rules = TextRules::plain()) : session(folder.str(), platform, rules)
    {
    }

    TempFolder folder;
    FakePlatform platform;
    Session session;
    AppState& state = session.state();
    Login& login = session.login();

    static AccountRecord account(const std::string& name, const std::string& website = {},
                                 const std::string& notes = {}, const std::string& userId = {},
                                 const std::string& password = {})
    {
        return MakeAccount(name, website, notes, userId, password);
    }

    // Sets a login and runs the start-up sequence, which leaves the folder as the main window finds it.
    void startWithLogin()
    {
        login.LoginUserName = "owner";
        login.LoginPassword1 = "first secret";
        login.LoginPassword2 = "2468";
        ASSERT_EQ(outcome(session.start()), "Main");
    }

    // Writes the default options file, as the start-up sequence does on a first start.
    void writeDefaultOptions() { ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()).isOk()); }

    // An options file holding exactly this line.
    void writeOptions(const std::string& line) { folder.write(kOptionsFileName, line); }

    // Stores the accounts (in this order, numbered 1, 2, ...) in the account file, with a matching stamp.
    // Writes the default options file first when there is none.
    void storeAccounts(const std::vector<AccountRecord>& accounts)
    {
        if (!folder.exists(kOptionsFileName))
            writeDefaultOptions();
        AccountTable table{MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2)};
        for (const AccountRecord& a : accounts) {
            table.push_back(a);
            table.back().RecordNo = static_cast<std::int16_t>(table.size() - 1);
        }
        const Result saved = SaveAccountFile(state, login, table);
        ASSERT_TRUE(saved.isOk()) << saved.message();
        ASSERT_EQ(folder.exists(kAccountFileName), !accounts.empty());
    }
    void storeNames(const std::vector<std::string>& names)
    {
        std::vector<AccountRecord> accounts;
        for (const std::string& n : names)
            accounts.push_back(account(n));
        storeAccounts(accounts);
    }
    // Empties the program folder, as before a first start, and stores the accounts anew; the scripted
    // platform must have nothing left.
    void restock(const std::vector<AccountRecord>& accounts)
    {
        platform.checkNothingLeft();
        emptyFolder();
        storeAccounts(accounts);
    }
    // Empties the program folder, as before a first start.
    void emptyFolder()
    {
        for (const auto& entry : std::filesystem::directory_iterator(folder.str()))
            std::filesystem::remove_all(entry.path());
    }

    // The account file read back as a later start would read it: the header first.
    AccountTable storedTable()
    {
        AccountTable table;
        OptionsRecord options;
        LockedFile locked;
        if (!folder.exists(kAccountFileName))
            return {MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2)};
        EXPECT_EQ(outcome(LoadAccountFile(state, login, options, table, locked)), "Loaded");
        return table;
    }
    // The account names stored, in table order, without the header.
    std::vector<std::string> storedNames()
    {
        std::vector<std::string> names;
        const AccountTable table = storedTable();
        for (std::size_t i = 1; i < table.size(); ++i)
            names.push_back(table[i].AccountName);
        return names;
    }
    OptionsRecord storedOptions()
    {
        OptionsRecord options;
        EXPECT_TRUE(ReadOptionsFile(folder.str(), options).value);
        return options;
    }

    // The texts of the messages shown so far, and forgetting them.
    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : platform.messages)
            texts.push_back(m.text);
        return texts;
    }
    void forgetMessages() { platform.messages.clear(); }
};

// The five buttons and the mode (true = Drag/Drop).
struct ButtonSnapshot
{
    bool go, add, change, cancel, del, dragDrop;
};

// expected: GO Add Change Cancel Delete Mode; "1"/"0" = on/off, "-" = as before; the mode "D" (Drag/Drop),
// "E" (Edit) or "-".
inline void ExpectButtonState(const char* expected, const ButtonSnapshot& before, const ButtonSnapshot& after)
{
    std::istringstream in(expected);
    const char* names[] = {"GO", "Add", "Change", "Cancel", "Delete", "Mode"};
    const bool ButtonSnapshot::*fields[] = {&ButtonSnapshot::go,     &ButtonSnapshot::add, &ButtonSnapshot::change,
                                            &ButtonSnapshot::cancel, &ButtonSnapshot::del, &ButtonSnapshot::dragDrop};
    for (int i = 0; i < 6; ++i) {
        std::string token;
        in >> token;
        const bool want = token == "-" ? before.*fields[i] : (token == "1" || token == "D");
        EXPECT_EQ(after.*fields[i], want) << names[i] << " (expected " << token << ")";
    }
}

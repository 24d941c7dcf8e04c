// Adding, changing, deleting, cancelling and starting anew, checked on the main window's model and in the files.
#include "AccountBookFixture.h"

namespace {

const char* const kSaved = "Settings have been saved successfully.";
const char* const kNoName = "You must enter an account name in the\r\ndropdown-box before saving this account.  ";
const char* const kDuplicate = "An account with this name already exists.";

class AccountBookEditing : public AccountBookFixture
{
protected:
    void expectRecord(const AccountRecord& r, int no, const char* name, const char* website, const char* notes,
                      const char* user, const char* password)
    {
        EXPECT_EQ(r.RecordNo, no);
        EXPECT_EQ(r.AccountName, name);
        EXPECT_EQ(r.Website, website);
        EXPECT_EQ(r.Notes, notes);
        EXPECT_EQ(r.UserId, user);
        EXPECT_EQ(r.Password, password);
    }
};

} // namespace

TEST_F(AccountBookEditing, AddStoresTheAccountAndShowsIt)
{
    storeNames({"Mail", "Bank"});
    open();
    clearCombo();
    typeInCombo("Shop");
    typeInto(Box::Website, "shop.example.com");
    typeInto(Box::Notes, "loyalty card");
    typeInto(Box::UserId, "customer7");
    typeInto(Box::Password, "pa55");
    EXPECT_EQ(storedOptions().get(OptionsRecord::DragDropMode), "false"); // typing went into Edit mode
    state.IdleTickCount = 4;
    click("Add_Account");

    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kSaved}));
    const AccountTable table = storedTable();
    ASSERT_EQ(table.size(), 4u);
    expectRecord(table[3], 3, "Shop", "shop.example.com", "loyalty card", "customer7", "pa55");
    EXPECT_EQ(book->table(), table);
    EXPECT_EQ(recordLabel(), "3");
    EXPECT_EQ(listed(), (std::vector<std::string>{"Bank", "Mail", "Shop"}));
    EXPECT_EQ(comboText(), "Shop");
    expectButtons("1 0 0 0 1 D");
    EXPECT_EQ(state.IdleTickCount, 0);

    // The new record is on display: Change updates it in place.
    typeInto(Box::Password, "!");
    click("cmdChange");
    EXPECT_EQ(storedTable()[3].Password, "pa55!");
    EXPECT_EQ(storedTable().size(), 4u);
}

TEST_F(AccountBookEditing, AddRefusesMissingReservedAndTakenNames)
{
    struct Case
    {
        const char* name;
        const char* message;
        int style;
        bool addStaysOn;
    };
    const Case cases[] = {
        {"", kNoName, MsgInformation, true},
        {"< Select or type account here >", kNoName, MsgInformation, true},
        {"t1ckb0xr00tm4rkrz", kDuplicate, MsgExclamation, false}, // the header record's name: taken
        {"Bank", kDuplicate, MsgExclamation, false},
    };
    for (bool headerOnly : {true, false}) {
        for (const Case& c : cases) {
            if (headerOnly && std::string(c.name) == "Bank")
                continue;
            SCOPED_TRACE(std::string(c.name) + (headerOnly ? " (no accounts)" : ""));
            book = nullptr;
            emptyFolder();
            if (!headerOnly)
                storeNames({"Bank"});
            open();
            forgetMessages();
            if (*c.name)
                typeExactName(c.name);
            else
                clearCombo();
            typeInto(Box::UserId, "u"); // Add on
            const int idle = state.IdleTickCount = 5;
            click("Add_Account");
            ASSERT_EQ(platform.messages.size(), 1u);
            EXPECT_EQ(platform.messages[0].text, c.message);
            EXPECT_EQ(platform.messages[0].style, c.style);
            EXPECT_EQ(platform.messages[0].caption, "Coffernote");
            EXPECT_EQ(on("Add_Account"), c.addStaysOn);
            EXPECT_FALSE(dragDrop());
            EXPECT_EQ(state.IdleTickCount, idle);
            EXPECT_EQ(storedNames(), headerOnly ? std::vector<std::string>{} : std::vector<std::string>{"Bank"});
        }
    }
}

// The first account, to a table with only the header, and a name taken only in another case.
TEST_F(AccountBookEditing, AddAcceptsEveryNameNotYetTaken)
{
    struct Case
    {
        std::vector<std::string> stored;
        const char* name;
        std::vector<std::string> after;
        const char* label;
    };
    const Case cases[] = {{{}, "First", {"First"}, "1"}, {{"bank"}, "Bank", {"bank", "Bank"}, "2"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        book = nullptr;
        emptyFolder();
        storeNames(c.stored);
        open();
        forgetMessages();
        typeExactName(c.name);
        click("Add_Account");
        EXPECT_EQ(storedNames(), c.after);
        EXPECT_EQ(recordLabel(), c.label);
        EXPECT_EQ(messageTexts(), (std::vector<std::string>{kSaved}));
    }
}

TEST_F(AccountBookEditing, ChangeSavesTheFieldsAndRenames)
{
    storeAccounts({account("Alpha", "http://a.example", "n", "u", "p"), account("Mail"), account("Zulu")});
    open();
    lookUp("Alpha");
    platform.urls.clear();
    typeInto(Box::UserId, "2");
    typeExactName("Yankee");
    state.IdleTickCount = 9;
    click("cmdChange");

    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kSaved}));
    const AccountTable table = storedTable();
    ASSERT_EQ(table.size(), 4u);
    expectRecord(table[1], 1, "Yankee", "http://a.example", "n", "u2", "p");
    // Renamed: the list is rebuilt, sorted, and the combo box shows the new name.
    EXPECT_EQ(listed(), (std::vector<std::string>{"Mail", "Yankee", "Zulu"}));
    EXPECT_EQ(comboText(), "Yankee");
    EXPECT_EQ(recordLabel(), "1");
    expectButtons("1 0 0 0 1 D");
    EXPECT_EQ(state.IdleTickCount, 0);
    EXPECT_TRUE(platform.urls.empty());
}

TEST_F(AccountBookEditing, ChangeAcceptsADuplicateName)
{
    storeNames({"Alpha", "Beta"});
    open();
    lookUp("Beta");
    typeExactName("Alpha");
    click("cmdChange");
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Alpha", "Alpha"}));
    EXPECT_EQ(listed(), (std::vector<std::string>{"Alpha", "Alpha"}));
}

TEST_F(AccountBookEditing, ChangeRefusesWhatItCannotStore)
{
    storeNames({"Alpha"});
    open();

    // Nothing on display.
    clearCombo();
    typeInCombo("Fresh");
    typeInto(Box::UserId, "u");
    click("cmdChange");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"This appears to be a new account. Please \r\n"
                                                        "click 'Add' to add it to the database."}));
    EXPECT_EQ(platform.messages[0].style, MsgInformation);
    EXPECT_FALSE(dragDrop());

    // The header's name and the placeholder are no account names.
    for (const char* reserved : {"t1ckb0xr00tm4rkrz", "< Select or type account here >"}) {
        lookUp("Alpha");
        forgetMessages();
        typeExactName(reserved);
        typeInto(Box::UserId, "u");
        click("cmdChange");
        EXPECT_EQ(messageTexts(), (std::vector<std::string>{kNoName}));
        EXPECT_EQ(storedNames(), (std::vector<std::string>{"Alpha"}));
        EXPECT_EQ(recordLabel(), "1");
    }
}

TEST_F(AccountBookEditing, ChangeWithAnEmptyNameKeepsTheRecord)
{
    storeAccounts({account("Alpha", "", "", "u", "p")});
    open();
    lookUp("Alpha");
    typeInto(Box::Password, "x");
    clearCombo();
    click("cmdChange");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Please enter an account name.  "}));
    EXPECT_EQ(platform.messages[0].style, MsgInformation);
    EXPECT_TRUE(book->takeComboFocusRequest());
    EXPECT_EQ(storedTable()[1].Password, "p");
    EXPECT_TRUE(dragDrop());
    EXPECT_TRUE(on("cmdDelete"));
}

TEST_F(AccountBookEditing, ChangeWithEveryFieldEmptiedActsAsNew)
{
    storeAccounts({account("Alpha", "", "", "u", "p")});
    open();
    lookUp("Alpha");
    for (Box b : {Box::UserId, Box::Password})
        edit(b, book->boxText(b).str().substr(0, book->boxText(b).size() - 1));
    clearCombo();
    click("cmdChange");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(recordLabel().empty());
    EXPECT_EQ(storedTable()[1].Password, "p"); // kept
    EXPECT_TRUE(on("cmdGo"));
    EXPECT_FALSE(on("cmdChange"));
    EXPECT_FALSE(on("cmdDelete"));
}

TEST_F(AccountBookEditing, DeleteMovesTheLaterRecordsUp)
{
    storeAccounts({account("A", "", "na", "ua", "pa"), account("B", "", "nb", "ub", "pb"),
                   account("C", "", "nc", "uc", "pc"), account("D", "", "nd", "ud", "pd")});
    open();
    lookUp("B"); // element 3 of 5
    platform.queueAnswer(Answer::Yes);
    click("cmdDelete");

    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].text, "Delete record?");
    EXPECT_EQ(platform.messages[0].style, MsgQuestion);
    EXPECT_EQ(platform.messages[0].caption, "Coffernote");
    EXPECT_EQ(platform.messages[1].text, kSaved);
    const AccountTable table = storedTable();
    ASSERT_EQ(table.size(), 4u);
    expectRecord(table[1], 1, "A", "", "na", "ua", "pa");
    expectRecord(table[2], 2, "C", "", "nc", "uc", "pc");
    expectRecord(table[3], 3, "D", "", "nd", "ud", "pd");
    EXPECT_EQ(book->table(), table);
    EXPECT_EQ(listed(), (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_TRUE(comboText().empty());
    EXPECT_TRUE(recordLabel().empty());
    for (Box b : {Box::Website, Box::Notes, Box::UserId, Box::Password})
        EXPECT_TRUE(boxText(b).empty()) << b;
    EXPECT_FALSE(dragDrop());
    EXPECT_EQ(storedOptions().get(OptionsRecord::DragDropMode), "false");

    // The last record: nothing moves, the table only shrinks.
    lookUp("D");
    platform.queueAnswer(Answer::Yes);
    click("cmdDelete");
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"A", "C"}));
}

TEST_F(AccountBookEditing, DeletingTheLastAccountRemovesTheAccountFile)
{
    storeNames({"Only"});
    open();
    lookUp("Only");
    platform.queueAnswer(Answer::Yes);
    click("cmdDelete");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Delete record?", kSaved}));
    EXPECT_FALSE(folder.exists("settings.dat"));
    EXPECT_FALSE(folder.exists("settings2.dat"));
    EXPECT_EQ(book->table().size(), 1u);
    EXPECT_EQ(book->table()[0].AccountName, kHeaderMarker);
}

TEST_F(AccountBookEditing, DeleteAnsweredNoKeepsTheRecordOnDisplay)
{
    storeAccounts({account("A", "", "", "u", "p")});
    open();
    lookUp("A");
    const std::string before = folder.read("settings.dat");
    platform.queueAnswer(Answer::No);
    click("cmdDelete");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Delete record?"}));
    EXPECT_EQ(folder.read("settings.dat"), before);
    EXPECT_EQ(recordLabel(), "1");
    EXPECT_EQ(boxText(Box::Password), "p");
    expectButtons("1 0 0 0 0 E");
}

TEST_F(AccountBookEditing, CancelBringsBackTheStoredValues)
{
    storeAccounts({account("Alpha", "http://a.example", "n", "u", "p")});
    open();
    lookUp("Alpha");
    typeInto(Box::Website, "x");
    typeInto(Box::Notes, "x");
    typeInto(Box::UserId, "x");
    typeInto(Box::Password, "x");
    typeInCombo("bet");
    click("cmdCancel");
    EXPECT_EQ(comboText(), "Alpha");
    EXPECT_EQ(boxText(Box::Website), "http://a.example");
    EXPECT_EQ(boxText(Box::Notes), "n");
    EXPECT_EQ(boxText(Box::UserId), "u");
    EXPECT_EQ(boxText(Box::Password), "p");
    EXPECT_EQ(recordLabel(), "1");
    EXPECT_TRUE(dragDrop());
    EXPECT_EQ(storedOptions().get(OptionsRecord::DragDropMode), "true");
    EXPECT_EQ(storedTable()[1].UserId, "u");
}

TEST_F(AccountBookEditing, CancelWithNothingOnDisplayEmptiesTheWindow)
{
    open();
    clearCombo();
    typeInCombo("Draft");
    typeInto(Box::UserId, "someone");
    click("cmdCancel");
    EXPECT_TRUE(comboText().empty());
    EXPECT_TRUE(boxText(Box::UserId).empty());
    EXPECT_TRUE(dragDrop());
    EXPECT_TRUE(on("cmdGo"));
    EXPECT_TRUE(on("cmdDelete"));
    EXPECT_FALSE(on("cmdCancel"));
    EXPECT_FALSE(folder.exists("settings.dat"));
}

TEST_F(AccountBookEditing, NewEmptiesTheWindow)
{
    storeAccounts({account("Alpha", "http://a.example", "n", "u", "p")});
    open();
    lookUp("Alpha");
    state.IdleTickCount = 2;
    book->newAccount();
    EXPECT_TRUE(recordLabel().empty());
    EXPECT_TRUE(comboText().empty());
    for (Box b : {Box::Website, Box::Notes, Box::UserId, Box::Password})
        EXPECT_TRUE(boxText(b).empty()) << b;
    EXPECT_FALSE(dragDrop()); // emptying boxes that held text is a change of them
    EXPECT_EQ(state.IdleTickCount, 0);
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Alpha"}));
}

TEST_F(AccountBookEditing, AFullTableTakesNoMoreAccounts)
{
    // 32,766 records with the header: the most that 16-bit record numbers can count.
    std::vector<AccountRecord> many;
    for (int i = 1; i < 32765; ++i)
        many.push_back(account("acct" + std::to_string(i)));
    storeAccounts(many);
    open();
    clearCombo();
    typeInCombo("Last one");
    click("Add_Account");
    ASSERT_EQ(book->table().size(), 32766u);
    EXPECT_EQ(book->table().back().RecordNo, 32765);

    forgetMessages();
    const std::string before = folder.read("settings.dat");
    clearCombo();
    typeInCombo("One too many");
    typeInto(Box::UserId, "u");
    click("Add_Account");
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"The account list is full: it holds 32765 accounts, the most it can hold.\r\n"
                                        "Delete an account you no longer need before adding another.  "}));
    EXPECT_EQ(platform.messages[0].style, MsgExclamation);
    EXPECT_EQ(book->table().size(), 32766u);
    EXPECT_EQ(folder.read("settings.dat"), before);
    EXPECT_EQ(static_cast<int>(listed().size()), 32765);
    EXPECT_EQ(comboText(), "One too many"); // nothing typed is lost
    EXPECT_EQ(boxText(Box::UserId), "u");
}

// A crafted file (the keys are public) may number its rows as it likes: the buttons act on the account on
// display, and the numbers read back by place.
TEST_F(AccountBookEditing, CraftedRecordNumbersActOnTheAccountOnDisplay)
{
    const auto craft = [this](const std::vector<std::pair<const char*, int>>& rows) {
        if (!folder.exists(kOptionsFileName))
            writeDefaultOptions();
        AccountTable table{MakeHeaderRecord("", "", "")};
        for (const auto& [name, no] : rows) {
            table.push_back(account(name, "", std::string("n-") + name, "u", "p"));
            table.back().RecordNo = static_cast<std::int16_t>(no);
        }
        ASSERT_TRUE(SaveAccountFile(state, login, table).isOk());
    };

    craft({{"Alpha", 3}, {"Bravo", 1}, {"Charlie", 2}});
    open();
    for (std::size_t i = 0; i < book->table().size(); ++i)
        EXPECT_EQ(book->table()[i].RecordNo, static_cast<int>(i));
    lookUp("Alpha");
    EXPECT_EQ(recordLabel(), "1");
    edit(Box::Notes, "changed");
    click("cmdChange");
    lookUp("Bravo");
    EXPECT_EQ(recordLabel(), "2");
    platform.queueAnswer(Answer::Yes);
    click("cmdDelete");
    AccountTable stored = storedTable();
    ASSERT_EQ(stored.size(), 3u);
    expectRecord(stored[1], 1, "Alpha", "", "changed", "u", "p");
    expectRecord(stored[2], 2, "Charlie", "", "n-Charlie", "u", "p");

    for (const int no : {0, 99, -5}) {
        SCOPED_TRACE(no);
        book = nullptr;
        emptyFolder();
        craft({{"Alpha", 1}, {"Bravo", no}, {"Charlie", 3}});
        open();
        lookUp("Bravo");
        EXPECT_EQ(recordLabel(), "2");
        forgetMessages();
        platform.queueAnswer(Answer::Yes);
        click("cmdDelete");
        EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Delete record?", kSaved}));
        EXPECT_EQ(storedNames(), (std::vector<std::string>{"Alpha", "Charlie"}));
    }
}

// A save refused for want of the lock says why: a read-only run names the folder it only reads, any other copy the
// lock another copy may hold.
TEST_F(AccountBookEditing, ARefusedSaveNamesTheReadOnlyFolderOrTheLock)
{
    storeNames({"Mail"});
    open();
    const std::string accounts = folder.read(kAccountFileName);
    platform.holdsLock = false;
    const std::pair<bool, std::string> cases[] = {
        {true, "this copy of Coffernote opened the data files in " + folder.str() + " for reading only"},
        {false, "this copy of Coffernote does not hold the lock on its data folder; another copy may be using it"},
    };
    for (const auto& [readOnly, reason] : cases) {
        platform.readOnly = readOnly;
        platform.messages.clear();
        EXPECT_EQ(outcome(book->SaveToFile()), "Reported");
        EXPECT_EQ(messageTexts(),
                  std::vector<std::string>{
                      "Your accounts could not be saved.\r\nCoffernote could not save the accounts to\r\n" +
                      folder.file(kAccountFileName) + "\r\n(" + reason +
                      ").\r\nThe file on disk was left as it was; the change "
                      "is kept only until the program ends."});
    }
    EXPECT_EQ(folder.read(kAccountFileName), accounts);
}

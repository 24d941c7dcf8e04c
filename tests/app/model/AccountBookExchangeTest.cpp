// File > Export and File > Import on the main window's model: bytes on disk, messages and the table.
#include "ProgramFolderFixture.h"

#include "app/files/AccountExchange.h"
#include "app/model/AccountBook.h"
#include "base/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <random>

namespace {

const char* const kFilter = "Text Files  (*.txt; *.csv)|*.txt; *.csv";
const char* const kQuestion = "Importing a data file will overwrite  \r\nexisting data.  Proceed?  ";
const char* const kSaved = "Settings have been saved successfully.";

class AccountBookExchange : public ProgramFolderFixture
{
protected:
    using Box = AccountBook::Box;

    TempFolder elsewhere; // where the user keeps exchange files
    AccountBook* book = nullptr;

    void SetUp() override { startWithLogin(); }
    // Stores the accounts as the account file and loads the model on them.
    void open(const std::vector<AccountRecord>& accounts)
    {
        storeAccounts(accounts);
        ASSERT_EQ(outcome(session.load()), "Ok");
        session.openMain();
        book = &session.book();
        platform.messages.clear();
    }
    // What the account file holds now, read as the next start would.
    AccountTable stored()
    {
        FakePlatform quiet;
        AppState reader(folder.str(), quiet);
        Login readerLogin;
        LockedFile readerLocked;
        readerLogin.LoginUserName = login.LoginUserName;
        readerLogin.LoginPassword1 = login.LoginPassword1;
        readerLogin.LoginPassword2 = login.LoginPassword2;
        OptionsRecord options;
        AccountTable table;
        const LoadResult r = LoadAccountFile(reader, readerLogin, options, table, readerLocked);
        EXPECT_TRUE(r.result.isOk());
        if (r.value == LoadKind::NoFile)
            table = BuildImportedTable(readerLogin, {});
        return table;
    }
    OptionsRecord optionsOnDisk() const { return ParseOptionsLine(folder.read("config.dat")); }
    const std::vector<std::string>& listed() const { return book->names(); }
    std::string joined() const
    {
        std::string all;
        for (const std::string& name : book->names())
            all += (all.empty() ? "" : "|") + name;
        return all;
    }
    bool on(const std::string& name) const { return name == "cmdGo" ? book->buttons().go : false; }
    void enterEditMode()
    {
        book->toggleMode();
        ASSERT_FALSE(book->dragDrop());
    }
    void importFile(const std::string& path)
    {
        platform.queueAnswer(Answer::Yes);
        platform.queueFile(path);
        ASSERT_FALSE(book->importAccounts().mustEnd());
    }
};

const std::vector<AccountRecord> kAccounts = ExchangeAccounts();

// ---------------------------------------------------------------------------------------------------------------
// Export

TEST_F(AccountBookExchange, ExportWritesEveryAccountAndEndsInDragDropMode)
{
    open(kAccounts);
    enterEditMode();
    state.IdleTickCount = 7;
    const std::string path = elsewhere.file("accounts.csv");
    platform.queueFile(path);
    book->exportAccounts();

    EXPECT_EQ(platform.fileFilters, std::vector<std::string>{kFilter});
    EXPECT_EQ(elsewhere.read("accounts.csv"),
              "\"Bank\",\"https://bank.example\",\"branch 12\",\"me\",\"p,w\"\r\n"
              "\"Caf\xC3\xA9 \xE2\x82\xAC\",\"\",\"two\r\nlines\",\"\xE4\xB8\xAD\",\"\"\r\n"
              "\"alpha\",\"a.example\",\"\",\"\",\"x\"\r\n");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Account information has been exported.");
    EXPECT_EQ(platform.messages[0].style, MsgInformation);
    EXPECT_EQ(platform.messages[0].caption, "Coffernote");
    EXPECT_TRUE(book->dragDrop());
    EXPECT_EQ(optionsOnDisk().get(OptionsRecord::DragDropMode), "true");
    EXPECT_EQ(state.IdleTickCount, 0);
}

TEST_F(AccountBookExchange, ExportOfNoAccountsGivesAnEmptyFileAndReplacesOldContent)
{
    open({});
    elsewhere.write("old.txt", "\"stale\",\"\",\"\",\"\",\"\"\r\n");
    platform.queueFile(elsewhere.file("old.txt"));
    book->exportAccounts();
    EXPECT_TRUE(elsewhere.exists("old.txt"));
    EXPECT_EQ(elsewhere.read("old.txt"), "");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Account information has been exported."});
}

TEST_F(AccountBookExchange, ExportCancelledChangesNothing)
{
    open(kAccounts);
    enterEditMode();
    const std::string options = folder.read("config.dat");
    state.IdleTickCount = 4;
    platform.queueFile("");
    book->exportAccounts();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(folder.read("config.dat"), options);
    EXPECT_EQ(state.IdleTickCount, 4);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.str()));
}

TEST_F(AccountBookExchange, ExportThatCannotBeWrittenIsReportedNotCelebrated)
{
    open(kAccounts);
    enterEditMode();
    const std::string options = folder.read("config.dat");
    const std::string path = elsewhere.file("missing folder") + "/accounts.csv";
    platform.queueFile(path);
    book->exportAccounts();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Account information has not been exported.\r\nThe file " + path +
                                             " could not be written: A new file cannot be made in its folder: No "
                                             "such file or directory.");
    EXPECT_EQ(platform.messages[0].style, MsgExclamation);
    EXPECT_FALSE(std::filesystem::exists(path));
    // Nothing else changes: still in Edit mode, options as they were.
    EXPECT_EQ(folder.read("config.dat"), options);
}

// Only the flush of the file's folder failed: the file is whole and in place, and it is said to be exported.
TEST_F(AccountBookExchange, ExportWhoseFolderCannotBeFlushedIsInPlaceAndSaysSo)
{
    open(kAccounts);
    const std::string path = elsewhere.file("accounts.csv");
    platform.queueFile(path);
    const std::string exportFolder = elsewhere.str();
    SetFileFaultHookForTests(
        [&](FileFault f, const std::string& at) { return f == FileFault::FolderFlush && at == exportFolder; });
    book->exportAccounts();
    SetFileFaultHookForTests({});
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Account information has been exported.\r\nThe folder of the file " + path +
                                             " could not be flushed: Input/output error.\r\nThe file is in place, "
                                             "but it may not survive a power cut.");
    EXPECT_EQ(platform.messages[0].style, MsgExclamation);
    EXPECT_EQ(elsewhere.read("accounts.csv").substr(0, 7), "\"Bank\",");
    EXPECT_TRUE(book->dragDrop());
}

// ---------------------------------------------------------------------------------------------------------------
// Import: the paths that replace the accounts

TEST_F(AccountBookExchange, ImportReplacesEveryAccountKeepingTheLoginSettings)
{
    open(kAccounts);
    elsewhere.write("new.csv", "\"zeta\",\"z.example\",\"n1\",\"u1\",\"p1\"\r\n"
                               "\"Beta\",\"\",\"a, b\",\"\",\"p2\"\r\n"
                               "\"t1ckb0xr00tm4rkrz\",\"\",\"\",\"\",\"\"\r\n"
                               "\"zeta\",\"second\",\"\",\"\",\"\"\r\n");
    book->toggleOnTop(); // off, so the import must switch it on again
    ASSERT_FALSE(book->onTop());
    enterEditMode();
    state.IdleTickCount = 9;
    importFile(elsewhere.file("new.csv"));

    const AccountTable expected = BuildImportedTable(
        login, {MakeAccount("zeta", "z.example", "n1", "u1", "p1"), MakeAccount("Beta", "", "a, b", "", "p2"),
                MakeAccount(kHeaderMarker, "", "", "", ""), MakeAccount("zeta", "second", "", "", "")});
    EXPECT_EQ(book->table(), expected);
    EXPECT_EQ(book->table()[0].Notes, "owner");
    EXPECT_EQ(book->table()[4].RecordNo, 4);
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(joined(), "Beta|zeta|zeta");

    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].text, kQuestion);
    EXPECT_EQ(platform.messages[0].style, MsgQuestion);
    EXPECT_EQ(platform.messages[0].caption, "Coffernote");
    EXPECT_EQ(platform.messages[1].text, kSaved);
    EXPECT_EQ(platform.fileFilters.back(), kFilter);

    EXPECT_TRUE(book->onTop());
    EXPECT_EQ(book->takeTopmostRequest(), std::optional<int>(1)); // the window brings itself to the top band
    EXPECT_EQ(optionsOnDisk().get(OptionsRecord::AlwaysOnTop), "true");
    EXPECT_TRUE(book->dragDrop());
    EXPECT_EQ(optionsOnDisk().get(OptionsRecord::DragDropMode), "true");
    EXPECT_TRUE(book->buttons().go);
    // New ran: nothing on display.
    EXPECT_TRUE(book->recordLabel().empty());
    for (Box b : {Box::Website, Box::Notes, Box::UserId, Box::Password})
        EXPECT_TRUE(book->boxText(b).empty()) << b;
    EXPECT_EQ(state.IdleTickCount, 0);
}

TEST_F(AccountBookExchange, ExportThenImportGivesTheSameAccounts)
{
    std::vector<AccountRecord> accounts = kAccounts;
    accounts.push_back(MakeAccount("dup", " lead", "trail ", ",", "\xF0\x9F\x94\x91"));
    accounts.push_back(MakeAccount("dup", "", "", "", ""));
    open(accounts);
    const AccountTable before = book->table();
    platform.queueFile(elsewhere.file("round.txt"));
    book->exportAccounts();

    platform.messages.clear();
    elsewhere.write("other.txt", "\xEF\xBB\xBF"
                                 "\"x\",\"\",\"\",\"\",\"\"\r\n");
    importFile(elsewhere.file("other.txt")); // something else in between
    ASSERT_EQ(book->table().size(), 2u);

    importFile(elsewhere.file("round.txt"));
    EXPECT_EQ(book->table(), before);
    EXPECT_EQ(stored(), before);
}

TEST_F(AccountBookExchange, ImportOfAnEmptyFileLeavesNoAccountsAndNoAccountFile)
{
    open(kAccounts);
    ASSERT_TRUE(folder.exists("settings.dat"));
    elsewhere.write("empty.csv", "");
    importFile(elsewhere.file("empty.csv"));
    EXPECT_EQ(book->table(), BuildImportedTable(login, {}));
    EXPECT_TRUE(listed().empty());
    EXPECT_FALSE(folder.exists("settings.dat"));
    EXPECT_FALSE(folder.exists("settings2.dat"));
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kQuestion, kSaved}));
}

// ---------------------------------------------------------------------------------------------------------------
// Import: the paths that keep the accounts

TEST_F(AccountBookExchange, ImportAnsweredNoKeepsTheAccounts)
{
    open(kAccounts);
    const std::string file = folder.read("settings.dat");
    enterEditMode();
    platform.queueAnswer(Answer::No);
    EXPECT_FALSE(book->importAccounts().mustEnd());
    EXPECT_TRUE(platform.fileFilters.empty());
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kQuestion});
    EXPECT_EQ(book->table(), BuildImportedTable(login, kAccounts));
    EXPECT_EQ(folder.read("settings.dat"), file);
    EXPECT_EQ(listed().size(), 3u);
    EXPECT_EQ(state.IdleTickCount, 0);
}

TEST_F(AccountBookExchange, ImportCancelledInTheDialogStopsAtOnce)
{
    open(kAccounts);
    enterEditMode();
    const std::string file = folder.read("settings.dat");
    const std::string options = folder.read("config.dat");
    state.IdleTickCount = 3;
    platform.queueAnswer(Answer::Yes);
    platform.queueFile("");
    EXPECT_FALSE(book->importAccounts().mustEnd());
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kQuestion});
    EXPECT_EQ(book->table(), BuildImportedTable(login, kAccounts));
    EXPECT_EQ(folder.read("settings.dat"), file);
    EXPECT_EQ(folder.read("config.dat"), options);
    EXPECT_TRUE(listed().empty()); // refilled by the next change of the accounts
    EXPECT_EQ(state.IdleTickCount, 3);
}

TEST_F(AccountBookExchange, ImportOfAFileThatDoesNotExistSavesTheTableBack)
{
    open(kAccounts);
    book->toggleOnTop();
    importFile(elsewhere.file("typed name.csv"));
    EXPECT_EQ(book->table(), BuildImportedTable(login, kAccounts));
    EXPECT_EQ(stored(), BuildImportedTable(login, kAccounts));
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kQuestion, kSaved}));
    EXPECT_TRUE(book->onTop());
    EXPECT_EQ(optionsOnDisk().get(OptionsRecord::AlwaysOnTop), "true");
    EXPECT_TRUE(book->dragDrop());
}

TEST_F(AccountBookExchange, ImportRefusesAFileItCannotUseAndChangesNothing)
{
    open(kAccounts);
    std::filesystem::create_directory(elsewhere.file("folder.csv"));
    const struct
    {
        const char* name;
        std::string content; // none: the name is a folder
        std::string reason;
    } cases[] = {
        {"short.csv", "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n\"f\",\"g\",\"h\"\r\n",
         "Line 2 holds 3 values, but each line of a Coffernote export holds five: name, website, notes, user ID "
         "and password."},
        {"open.csv", "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n\r\n\"f,g,h,i,j\r\n",
         "Line 3: a value starts with a double quote that is never closed; the file ends inside it."},
        {"quote.csv", "\"a \"b\"\",\"\",\"\",\"\",\"\"\r\n",
         "Line 1: there is text after the closing double quote of a value; values must be separated by commas or "
         "line ends."},
        {"latin1.csv", "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n\"Caf\xE9\",\"\",\"\",\"\",\"\"\r\n",
         "Line 2: the text is not valid UTF-8."},
        {"folder.csv", "", "It is a folder, not a file."},
    };
    const std::string file = folder.read("settings.dat");
    const std::string stamp = optionsOnDisk().get(OptionsRecord::IntegrityStamp);
    ASSERT_FALSE(stamp.empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) != "folder.csv")
            elsewhere.write(c.name, c.content);
        platform.messages.clear();
        book->toggleOnTop(); // off; a refused import does not switch it on
        ASSERT_FALSE(book->onTop());
        enterEditMode();
        importFile(elsewhere.file(c.name));

        ASSERT_EQ(platform.messages.size(), 2u);
        EXPECT_EQ(platform.messages[1].text, "The file " + elsewhere.file(c.name) + " could not be imported.\r\n" +
                                                 c.reason + "\r\nYour accounts have not been changed.");
        EXPECT_EQ(platform.messages[1].style, MsgExclamation);
        EXPECT_EQ(book->table(), BuildImportedTable(login, kAccounts));
        EXPECT_EQ(folder.read("settings.dat"), file);
        EXPECT_EQ(optionsOnDisk().get(OptionsRecord::IntegrityStamp), stamp);
        EXPECT_EQ(joined(), "alpha|Bank|Caf\xC3\xA9 \xE2\x82\xAC");
        EXPECT_FALSE(book->onTop());
        book->toggleOnTop(); // back on for the next case
    }
}

TEST_F(AccountBookExchange, ImportOfMoreAccountsThanATableHoldsIsRefused)
{
    open(kAccounts);
    std::string text;
    for (std::size_t i = 0; i < kMaxRecords; ++i)
        text += "\"n" + std::to_string(i) + "\",\"\",\"\",\"\",\"\"\r\n";
    elsewhere.write("huge.csv", text);
    importFile(elsewhere.file("huge.csv"));
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1].text,
              "The file " + elsewhere.file("huge.csv") +
                  " could not be imported.\r\nThe file holds more than 32765 accounts, more than can be stored; the "
                  "first one that does not fit starts on line 32766.\r\nYour accounts have not been changed.");
    EXPECT_EQ(book->table(), BuildImportedTable(login, kAccounts));
}

TEST_F(AccountBookExchange, ImportWhoseSaveEndsTheProgramRunsNothingAfter)
{
    bool ended = false;
    open(kAccounts);
    enterEditMode();
    // The account file was changed behind the program's back: the save's stamp check asks, the user says No.
    std::string file = folder.read("settings.dat");
    file[0] = file[0] == 'A' ? 'B' : 'A';
    folder.write("settings.dat", file);
    elsewhere.write("new.csv", "a,b,c,d,e\r\n");
    platform.queueAnswer(Answer::Yes);
    platform.queueFile(elsewhere.file("new.csv"));
    platform.queueAnswer(Answer::No);
    ended = book->importAccounts().mustEnd();
    EXPECT_TRUE(ended);
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1].style, MsgQuestion);
    EXPECT_EQ(folder.read("settings.dat"), file);
}

// The idle lock coming while Export or Import waits on the user: the open prompt is cancelled, so nobody at
// the locked program can write the accounts out in clear text or replace them.
TEST_F(AccountBookExchange, RandomFilesNeverDamageTheStoredAccounts)
{
    open(kAccounts);
    std::mt19937 rng(77);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::string signs[] = {"\"", ",", "\r\n", "\n", " ", "a", "\xC3\xA9", "\xFF"};
    AccountTable expected = book->table();
    std::string file = folder.read("settings.dat");
    int accepted = 0;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int i = pick(1, 120); i > 0; --i)
            text += round % 2 ? std::string(1, static_cast<char>(pick(0, 255))) : signs[pick(0, 7)];
        elsewhere.write("random.csv", text);
        platform.messages.clear();
        importFile(elsewhere.file("random.csv"));
        const ImportResult parsed = ParseImport(text);
        if (parsed.result.isOk()) {
            ++accepted;
            expected = BuildImportedTable(login, parsed.value.accounts);
            file = folder.exists("settings.dat") ? folder.read("settings.dat") : "";
            EXPECT_EQ(stored(), expected);
        } else {
            ASSERT_EQ(platform.messages.size(), 2u);
            EXPECT_EQ(platform.messages[1].style, MsgExclamation);
        }
        ASSERT_EQ(book->table(), expected) << "round " << round;
        EXPECT_EQ(folder.exists("settings.dat") ? folder.read("settings.dat") : "", file);
    }
    EXPECT_GT(accepted, 0);
}

} // namespace

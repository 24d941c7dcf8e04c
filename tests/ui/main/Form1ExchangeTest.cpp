// File > Export and File > Import from the main window's menu. (The rules, bytes on disk and messages are
// checked on the model: tests/app/model/AccountBookExchangeTest.cpp.)
#include "MainWindowFixture.h"

#include "app/files/AccountExchange.h"
#include "ui/login/frmLocked.h"
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

namespace {

const char* const kFilter = "Text Files  (*.txt; *.csv)|*.txt; *.csv";
const char* const kQuestion = "Importing a data file will overwrite  \r\nexisting data.  Proceed?  ";

class Form1Exchange : public MainWindowFixture
{
protected:
    TempFolder elsewhere; // where the user keeps exchange files

    void SetUp() override { startWithLogin(); }

    // Stores the accounts as the account file and opens the window on them.
    void open(const std::vector<AccountRecord>& accounts)
    {
        storeAccounts(accounts);
        ASSERT_EQ(outcome(session.load()), "Ok");
        form.reset();
        form =
            std::make_unique<Form1>(session, [this](ExitStatus exit) { platform.endProgram(static_cast<int>(exit)); });
        form->Form_Load();
        platform.messages.clear();
    }

    template <typename T> T* child(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    void enterEditMode()
    {
        action("LoginSelect")->trigger();
        ASSERT_EQ(child<QLabel>("lblMode")->text().toStdString(), " Edit Mode");
    }
};

const std::vector<AccountRecord> kAccounts = ExchangeAccounts();

// ---------------------------------------------------------------------------------------------------------------
// Export

TEST_F(Form1Exchange, ExportWritesEveryAccountAndEndsInDragDropMode)
{
    open(kAccounts);
    enterEditMode();
    platform.queueFile(elsewhere.file("accounts.csv"));
    action("Export")->trigger();

    // The menu item reached the model (its bytes and messages are checked there); the window shows the mode.
    EXPECT_EQ(platform.fileFilters, std::vector<std::string>{kFilter});
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Account information has been exported."});
    EXPECT_TRUE(action("LoginSelect")->isChecked());
    EXPECT_EQ(child<QLabel>("lblMode")->text().toStdString(), " Drag/Drop Mode");
}

TEST_F(Form1Exchange, ImportWhoseSaveEndsTheProgramRunsNothingAfter)
{
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
    action("Import")->trigger();
    // The window hands the model's end on to the program, as an end after a failure, and changes nothing after it.
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(platform.endStatus, 1);
    EXPECT_EQ(child<QLabel>("lblMode")->text().toStdString(), " Edit Mode");
}

TEST_F(Form1Exchange, TheIdleLockCancelsAnExportOrImportLeftOpen)
{
    struct Case
    {
        const char* command;
        const char* prompt; // the prompt open when the lock comes
    };
    const Case cases[] = {{"Export", "save"}, {"Import", kQuestion}, {"Import", "open"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " at " + c.prompt);
        open(kAccounts);
        form->show();
        const std::string file = folder.read("settings.dat");
        if (std::string(c.prompt) == "open")
            platform.queueAnswer(Answer::Yes);
        bool locked = false;
        platform.whilePromptOpen = [&](const std::string& prompt) {
            if (prompt != c.prompt)
                return;
            locked = true;
            state.IdleTickCount = 10;
            form->Timer1_Timer();
        };
        action(c.command)->trigger();
        platform.whilePromptOpen = nullptr;

        EXPECT_TRUE(locked);
        EXPECT_FALSE(form->isVisible());
        ASSERT_NE(form->lockScreen(), nullptr);
        EXPECT_TRUE(form->lockScreen()->isVisible());
        EXPECT_TRUE(std::filesystem::is_empty(elsewhere.str()));
        EXPECT_EQ(form->book().table(), BuildImportedTable(login, kAccounts));
        EXPECT_EQ(folder.read("settings.dat"), file);
        for (const std::string& text : messageTexts())
            EXPECT_EQ(text, kQuestion);
        EXPECT_FALSE(platform.ended());
        platform.checkNothingLeft();
        platform.messages.clear();
        platform.fileFilters.clear();
        form.reset();
    }
}

} // namespace

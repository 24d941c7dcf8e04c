// File > Import from Another Program from the main window's menu. (The rules, the file on disk and the messages
// are checked on the model: tests/app/model/AccountBookImportFromProgramTest.cpp.)
#include "MainWindowFixture.h"

#include "ui/main/Form1.h"

#include <QAction>
#include <QComboBox>
#include <gtest/gtest.h>

TEST_F(MainWindowFixture, ImportFromAnotherProgramAddsTheAccountsToTheList)
{
    storeAccounts({MakeAccount("Bank", "https://bank.example")});
    ASSERT_EQ(outcome(session.load()), "Ok");
    form = std::make_unique<Form1>(session, [this](ExitStatus exit) { platform.endProgram(static_cast<int>(exit)); });
    form->Form_Load();
    platform.messages.clear();

    TempFolder elsewhere;
    elsewhere.write("chrome.csv", "name,url,username,password\n,https://mail.example/in,ann,pw\n");
    platform.queueFile(elsewhere.file("chrome.csv"));
    platform.queueImportChoice(ImportChoice::AddNumbered);
    form->findChild<QAction*>(QStringLiteral("ImportFromProgram"))->trigger();

    ASSERT_EQ(platform.importPreviews.size(), 1u);
    EXPECT_EQ(platform.importPreviews[0].summary, "Chromium browser export: 1 account.");
    auto* combo = form->findChild<QComboBox*>(QStringLiteral("cboSelect"));
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1).toStdString(), "mail.example");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].style, MsgInformation);
}

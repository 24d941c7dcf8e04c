#pragma once

#include "FakePlatform.h"
#include "TempFolder.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "ui/main/Form1.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A main window on a fresh program folder, opened as the program opens it when no login is set. Accounts
// can be stored beforehand, as an earlier run would have left them; the scripted platform answers questions.
class MainWindowFixture : public ::testing::Test
{
protected:
    TempFolder folder;
    FakePlatform platform;
    AppState state{folder.str(), platform};
    std::unique_ptr<Form1> form;

    // An account record; RecordNo is set when it is stored.
    static AccountRecord account(const std::string& name, const std::string& website = {},
                                 const std::string& notes = {}, const std::string& userId = {},
                                 const std::string& password = {})
    {
        AccountRecord r;
        r.AccountName = name;
        r.Website = website;
        r.Notes = notes;
        r.UserId = userId;
        r.Password = password;
        return r;
    }

    // Writes the default options file, as the start-up sequence does on a first start.
    void writeDefaultOptions() { ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()).isOk()); }

    // Stores the accounts (in this order, numbered 1, 2, ...) in the account file, with a matching stamp.
    // Writes the default options file first when there is none.
    void storeAccounts(const std::vector<AccountRecord>& accounts)
    {
        if (!folder.exists(kOptionsFileName))
            writeDefaultOptions();
        AccountTable table{MakeHeaderRecord(state.LoginUserName, state.LoginPassword1, state.LoginPassword2)};
        for (const AccountRecord& a : accounts) {
            table.push_back(a);
            table.back().RecordNo = static_cast<std::int16_t>(table.size() - 1);
        }
        const Result saved = SaveAccountFile(state, table);
        ASSERT_TRUE(saved.isOk()) << saved.message();
    }
    void storeNames(const std::vector<std::string>& names)
    {
        std::vector<AccountRecord> accounts;
        for (const std::string& n : names)
            accounts.push_back(account(n));
        storeAccounts(accounts);
    }

    // Opens the main window on the folder (its load sequence) and shows it. Writes the default options file
    // first when there is none.
    void openWindow()
    {
        if (!folder.exists(kOptionsFileName))
            writeDefaultOptions();
        form = std::make_unique<Form1>(state, [this] { platform.endProgram(); });
        ASSERT_FALSE(form->Form_Load().mustEnd());
        form->show();
    }

    // The account file read back as a later start would read it: the header first.
    AccountTable storedTable()
    {
        AccountTable table;
        OptionsRecord options;
        if (!folder.exists(kAccountFileName))
            return {MakeHeaderRecord(state.LoginUserName, state.LoginPassword1, state.LoginPassword2)};
        const LoadResult loaded = LoadAccountFile(state, options, table);
        EXPECT_TRUE(loaded.result.isOk() && loaded.value == LoadKind::Loaded);
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

    // Controls by object name.
    template <typename T = QWidget> T* find(const char* name)
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    QLineEdit* box(const char* name) { return find<QLineEdit>(name); }
    QAction* menuItem(const char* name) { return find<QAction>(name); }
    QComboBox* combo() { return find<QComboBox>("cboSelect"); }
    QString comboText() { return combo()->currentText(); }
    QString label(const char* name) { return find<QLabel>(name)->text(); }

    // A person at the keyboard and mouse.
    void click(const char* buttonName) { QTest::mouseClick(button(buttonName), Qt::LeftButton); }
    void typeInto(const char* boxName, const QString& text) { QTest::keyClicks(box(boxName), text); }
    // Keys for the combo box go to the combo box itself, which holds the focus and hands them to its line edit.
    void typeInCombo(const QString& text) { QTest::keyClicks(combo(), text); }
    // Selects the whole combo text and deletes it, as a user would.
    void clearCombo()
    {
        QTest::keyClick(combo(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(combo(), Qt::Key_Backspace);
    }
    // Types the name over whatever the combo box shows and presses GO.
    void lookUp(const QString& name)
    {
        clearCombo();
        typeInCombo(name);
        click("cmdGo");
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

#pragma once

#include "FakePlatform.h"
#include "TempFolder.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "app/model/Session.h"
#include "ui/main/Form1.h"
#include "ui/main/LanguageTextRules.h"
#include "ui/main/Program.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A program folder and one run of the program on it. restart() ends the run and begins the next one on the
// same folder, with a fresh session, as a new start of the program would.
class LoginFixture : public ::testing::Test
{
protected:
    TempFolder folder;
    LanguageTextRules textRules;
    std::unique_ptr<FakePlatform> platformPtr = std::make_unique<FakePlatform>();
    std::unique_ptr<Session> sessionPtr = std::make_unique<Session>(folder.str(), *platformPtr, textRules);
    std::unique_ptr<Program> program;
    std::unique_ptr<Form1> main;

    FakePlatform& platform() { return *platformPtr; }
    Session& session() { return *sessionPtr; }
    AppState& state() { return sessionPtr->state(); }
    Login& login() { return sessionPtr->login(); }

    void TearDown() override
    {
        main.reset();
        program.reset();
    }

    void restart()
    {
        main.reset();
        program.reset();
        sessionPtr.reset();
        platformPtr = std::make_unique<FakePlatform>();
        sessionPtr = std::make_unique<Session>(folder.str(), *platformPtr, textRules);
    }

    static AccountRecord account(const std::string& name, const std::string& password = "pw")
    {
        AccountRecord r;
        r.AccountName = name;
        r.Website = "example.org";
        r.Notes = "notes of " + name;
        r.UserId = "user";
        r.Password = password;
        return r;
    }

    // Leaves the folder as an earlier run would: default options and an account file whose header holds
    // the given login, with a matching stamp. The current run's state is not touched.
    void storeEarlierRun(const std::string& user, const std::string& password1, const std::string& password2,
                         const std::vector<AccountRecord>& accounts = {account("Bank")})
    {
        if (!folder.exists(kOptionsFileName)) {
            ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()).isOk());
        }
        FakePlatform quiet;
        AppState earlier(folder.str(), quiet);
        Login earlierLogin;
        earlierLogin.LoginUserName = user;
        earlierLogin.LoginPassword1 = password1;
        earlierLogin.LoginPassword2 = password2;
        AccountTable table{MakeHeaderRecord(user, password1, password2)};
        for (const AccountRecord& a : accounts) {
            table.push_back(a);
            table.back().RecordNo = static_cast<std::int16_t>(table.size() - 1);
        }
        const Result saved = SaveAccountFile(earlier, earlierLogin, table);
        ASSERT_TRUE(saved.isOk()) << saved.message();
    }

    // Opens the main window directly (the session's load, no login), loaded and shown, with the splash's work
    // taken as done.
    void openMain()
    {
        if (!folder.exists(kOptionsFileName)) {
            ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()).isOk());
        }
        ASSERT_TRUE(session().load().isOk());
        main = std::make_unique<Form1>(session(),
                                       [this](ExitStatus exit) { platform().endProgram(static_cast<int>(exit)); });
        main->Form_Load();
        main->show();
        platform().messages.clear();
    }

    // Runs the start-up sequence as the splash's timer does; the first window opens.
    void startProgram()
    {
        program = std::make_unique<Program>(session());
        program->runStartup();
    }

    template <typename T> static T* child(QObject* parent, const char* name)
    {
        T* w = parent->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no child named " << name;
        return w;
    }

    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : platformPtr->messages)
            texts.push_back(m.text);
        return texts;
    }
};

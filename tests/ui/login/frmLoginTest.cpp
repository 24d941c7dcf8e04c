#include "LoginFixture.h"
#include "TwipsCheck.h"

#include "app/model/Startup.h"
#include "ui/login/frmLogin.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

const char* const kInvalid = "Invalid login, please try again!  ";
const char* const kTooMany =
    "You have exceeded the maximum number   \r\nof failed logins. Coffernote will now close.  ";

QString padButtonName(char digit)
{
    if (digit == '0')
        return QStringLiteral("Command9");
    if (digit == '9')
        return QStringLiteral("Command10");
    return QStringLiteral("Command") + QLatin1Char(digit);
}

class LoginDialog : public LoginFixture
{
protected:
    frmLogin* login = nullptr;

    // An earlier run left a login; this run's start-up opens the login dialog.
    void startWithLogin(const std::string& user, const std::string& p1, const std::string& p2)
    {
        storeEarlierRun(user, p1, p2);
        startProgram();
        ASSERT_EQ(program->mainWindow(), nullptr);
        login = program->loginDialog();
        ASSERT_NE(login, nullptr);
        ASSERT_TRUE(login->isVisible());
    }

    QLineEdit* userBox() { return child<QLineEdit>(login, "txtUsername"); }
    QLineEdit* password1Box() { return child<QLineEdit>(login, "txtPassword1"); }
    QPushButton* pad(char digit) { return login->findChild<QPushButton*>(padButtonName(digit)); }

    void type(QLineEdit* box, const std::string& text)
    {
        box->clear();
        QTest::keyClicks(box, QString::fromStdString(text));
    }
    void clickPad(const std::string& digits)
    {
        for (char d : digits)
            QTest::mouseClick(pad(d), Qt::LeftButton);
    }
    void attempt(const std::string& user, const std::string& p1, const std::string& digits)
    {
        type(userBox(), user);
        type(password1Box(), p1);
        clickPad(digits);
        QTest::mouseClick(child<QPushButton>(login, "cmdOK"), Qt::LeftButton);
    }
};

TEST_F(LoginDialog, LayoutCaptionsAndTabOrder)
{
    startWithLogin("Alice", "Secret", "4711");
    EXPECT_EQ(login->windowTitle(), QStringLiteral(" Login"));
    // 4860 x 2115 twips: 324 x 141 pixels at the classic font, more with a larger one.
    EXPECT_GE(login->width(), 324);
    EXPECT_GE(login->height(), 141);
    expectAtTwips(login, {4860, 2115}, userBox(), {1290, 255, 1740, 315});
    EXPECT_EQ(userBox()->maxLength(), 50);
    EXPECT_EQ(password1Box()->maxLength(), 50);
    EXPECT_EQ(password1Box()->echoMode(), QLineEdit::Password);
    QTest::keyClicks(password1Box(), QStringLiteral("abc"));
    EXPECT_EQ(password1Box()->displayText(), QStringLiteral("***"));
    password1Box()->clear();
    auto* frame = child<QGroupBox>(login, "Frame1");
    EXPECT_EQ(frame->title(), QStringLiteral(" Password 2 "));
    EXPECT_TRUE(frame->font().bold());

    QStringList labels;
    for (QLabel* l : login->findChildren<QLabel*>(QStringLiteral("lblLabels"))) {
        labels << l->text();
        EXPECT_TRUE(l->font().bold());
    }
    EXPECT_EQ(labels, (QStringList{QStringLiteral("User Name"), QStringLiteral("Password 1")}));

    // The pad: captions make each digit the button's access key; places in form twips.
    struct Key
    {
        const char* name;
        const char* caption;
        int left, top;
    };
    const Key keys[] = {{"Command1", "&1", 3390, 450},  {"Command2", "&2", 3795, 450},  {"Command3", "&3", 4200, 450},
                        {"Command4", "&4", 3390, 810},  {"Command5", "&5", 3795, 810},  {"Command6", "&6", 4200, 810},
                        {"Command7", "&7", 3390, 1170}, {"Command8", "&8", 3795, 1170}, {"Command10", "&9", 4200, 1170},
                        {"Command9", "&0", 4200, 1530}};
    for (const Key& k : keys) {
        auto* b = child<QPushButton>(login, k.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromLatin1(k.caption)) << k.name;
        expectAtTwips(login, {4860, 2115}, b, {k.left, k.top, 315, 315});
        EXPECT_EQ(b->shortcut(), QKeySequence(QStringLiteral("Alt+") + QLatin1Char(k.caption[1]))) << k.name;
        EXPECT_EQ(b->accessibleName(), QString(QLatin1Char(k.caption[1])));
    }
    auto* ok = child<QPushButton>(login, "cmdOK");
    auto* cancel = child<QPushButton>(login, "cmdCancel");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));

    // Tab order: user name, password 1, the pad 1..8, 9, 0, OK, Cancel.
    QStringList order;
    QWidget* w = userBox();
    for (int i = 0; i < 14; ++i) {
        order << w->objectName();
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty())
            w = w->nextInFocusChain();
    }
    EXPECT_EQ(order.join(u','), QStringLiteral("txtUsername,txtPassword1,Command1,Command2,Command3,Command4,"
                                               "Command5,Command6,Command7,Command8,Command10,Command9,cmdOK,"
                                               "cmdCancel"));
}

TEST_F(LoginDialog, CorrectEntryOpensTheMainWindowAndSetsTheLogin)
{
    startWithLogin("Alice", "Secret", "4711");
    attempt("Alice", "Secret", "4711");
    ASSERT_NE(program->mainWindow(), nullptr);
    EXPECT_TRUE(program->mainWindow()->isVisible());
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(session().login().LoginUserName, "Alice");
    EXPECT_EQ(session().login().LoginPassword1, "Secret");
    EXPECT_EQ(session().login().LoginPassword2, "4711");
    EXPECT_FALSE(platform().ended());
    EXPECT_TRUE(messageTexts().empty());
    // The main window loaded the same file: the account is listed, and no recovery question was asked.
    EXPECT_EQ(program->mainWindow()->book().table().size(), 2u);
    EXPECT_EQ(login->model().numpadEntry(), "");
}

TEST_F(LoginDialog, AFailureKeepsTheBoxesAndSelectsTheUserName)
{
    startWithLogin("Alice", "Secret", "4711");
    for (int failures = 1; failures <= 2; ++failures) {
        platform().messages.clear();
        attempt("alice", "Secret", "4711");
        EXPECT_EQ(login->model().failedLogins(), failures);
        EXPECT_EQ(messageTexts(), std::vector<std::string>{kInvalid});
        EXPECT_EQ(program->mainWindow(), nullptr);
        EXPECT_TRUE(login->isVisible());
        // The pad entry is emptied, both boxes keep their text, and the user name is selected.
        EXPECT_EQ(login->model().numpadEntry(), "");
        EXPECT_EQ(userBox()->text(), QStringLiteral("alice"));
        EXPECT_EQ(password1Box()->text(), QStringLiteral("Secret"));
        EXPECT_EQ(userBox()->selectedText(), userBox()->text());
    }
    EXPECT_FALSE(platform().ended());
}

TEST_F(LoginDialog, TheSeventhFailureEndsTheProgram)
{
    startWithLogin("Alice", "Secret", "4711");
    for (int i = 1; i <= 7; ++i)
        attempt("Alice", "wrong", "4711");
    ASSERT_EQ(platform().messages.size(), 7u);
    EXPECT_EQ(platform().messages[6].text, kTooMany);
    EXPECT_TRUE(platform().ended());
    EXPECT_EQ(platform().endStatus, 1);
    EXPECT_EQ(program->mainWindow(), nullptr);
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(password1Box()->text(), QString()); // forgotten on the way out
}

TEST_F(LoginDialog, OnlyThePadEntersTheSecondPassword)
{
    startWithLogin("", "", "4711");
    // Digits typed into the text boxes never reach the pad entry.
    attempt("4711", "", "");
    EXPECT_EQ(login->model().failedLogins(), 1);
    attempt("", "4711", "");
    EXPECT_EQ(login->model().failedLogins(), 2);
    attempt("", "", "4711");
    EXPECT_NE(program->mainWindow(), nullptr);
}

TEST_F(LoginDialog, EachPadButtonAddsItsDigit)
{
    startWithLogin("Alice", "Secret", "4711");
    clickPad("1234567890");
    EXPECT_EQ(login->model().numpadEntry(), "1234567890");
    EXPECT_EQ(userBox()->text(), QString());
    EXPECT_EQ(password1Box()->text(), QString());
}

TEST_F(LoginDialog, KeyboardOnlyEntryOfThePad)
{
    startWithLogin("Alice", "Secret", "4711");
    login->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(login));

    // The access key: Alt and the digit, from anywhere in the dialog.
    QTest::keyClick(userBox(), Qt::Key_4, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return login->model().numpadEntry() == "4"; }, 2000));
    EXPECT_EQ(userBox()->text(), QString());

    // With a pad button focused, the bare digit presses its button; in a text box it types into the box.
    pad('1')->setFocus();
    QTest::keyClick(pad('1'), Qt::Key_7);
    QTest::keyClick(login->focusWidget(), Qt::Key_1);
    QTest::keyClick(login->focusWidget(), Qt::Key_1, Qt::KeypadModifier);
    EXPECT_EQ(login->model().numpadEntry(), "4711");
    QTest::keyClick(login->focusWidget(), Qt::Key_0);
    QTest::keyClick(login->focusWidget(), Qt::Key_9);
    EXPECT_EQ(login->model().numpadEntry(), "471109");
}

TEST_F(LoginDialog, KeyboardOnlyLoginWithEnter)
{
    startWithLogin("Alice", "Secret", "42");
    type(userBox(), "Alice");
    type(password1Box(), "Secret");
    pad('1')->setFocus();
    QTest::keyClick(pad('1'), Qt::Key_4);
    QTest::keyClick(login->focusWidget(), Qt::Key_2);
    // Enter on the pad means OK, not another digit.
    QTest::keyClick(login->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(login->model().failedLogins(), 0);
    EXPECT_NE(program->mainWindow(), nullptr);
}

TEST_F(LoginDialog, FirstPasswordSelectsItsTextOnFocus)
{
    startWithLogin("Alice", "Secret", "4711");
    type(password1Box(), "abc");
    password1Box()->deselect();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(password1Box(), &focusIn);
    EXPECT_EQ(password1Box()->selectedText(), QStringLiteral("abc"));
}

TEST_F(LoginDialog, CancelEscAndCloseEndTheProgram)
{
    const std::function<void(frmLogin*)> ways[] = {
        [](frmLogin* d) { QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton); },
        [](frmLogin* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](frmLogin* d) { d->close(); },
    };
    for (const auto& leave : ways) {
        restart();
        startWithLogin("Alice", "Secret", "4711");
        type(userBox(), "Alice");
        leave(login);
        EXPECT_EQ(platform().endCount, 1);
        EXPECT_EQ(platform().endStatus, 0); // the user closed it: no failure
        EXPECT_EQ(program->mainWindow(), nullptr);
        EXPECT_FALSE(login->isVisible());
        EXPECT_TRUE(session().login().LoginUserName.empty());
    }
}

TEST_F(LoginDialog, AStartThatMustEndShowsNoWindow)
{
    struct Case
    {
        const char* what;
        bool otherInstance;
        bool damaged;
    };
    for (const Case& c : {Case{"second copy", true, false}, Case{"damaged file, No", false, true}}) {
        SCOPED_TRACE(c.what);
        restart();
        storeEarlierRun("Alice", "Secret", "4711");
        platform().otherInstance = c.otherInstance;
        if (c.damaged) {
            std::string bytes = folder.read(kAccountFileName);
            bytes[0] = bytes[0] == 'A' ? 'B' : 'A';
            folder.write(kAccountFileName, bytes);
            platform().queueAnswer(Answer::No);
        }
        startProgram();
        EXPECT_EQ(platform().endCount, 1);
        EXPECT_EQ(platform().endStatus, 1);
        EXPECT_EQ(program->loginDialog(), nullptr);
        EXPECT_EQ(program->mainWindow(), nullptr);
    }
}

} // namespace

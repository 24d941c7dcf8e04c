#include "LoginFixture.h"
#include "Outcomes.h"
#include "TwipsCheck.h"

#include "app/Startup.h"
#include "ui/login/frmChangeLogin.h"
#include "ui/login/frmLocked.h"
#include "ui/login/frmLogin.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QPointer>
#include <QTest>

namespace {

const char* const kSaved = "Settings have been saved successfully.";
const char* const kNoLogin = "No login will be required to view your accounts.  Continue?  ";
const char* const kMismatch = "The password you entered does not match the confirmed password.";

class LoginSettings : public LoginFixture
{
protected:
    frmChangeLogin* dialog = nullptr;

    // A run that logged in with the given login (or none), its main window open, the settings dialog opened.
    void openSettings(const std::string& user, const std::string& p1, const std::string& p2,
                      const std::vector<AccountRecord>& accounts = {account("Bank")})
    {
        storeEarlierRun(user, p1, p2, accounts);
        state().LoginUserName = user;
        state().LoginPassword1 = p1;
        state().LoginPassword2 = p2;
        openMain();
        main->Login_Click();
        dialog = main->findChild<frmChangeLogin*>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
    }

    QLineEdit* box(const char* name) { return child<QLineEdit>(dialog, name); }
    void set(const char* name, const QString& text)
    {
        box(name)->clear();
        QTest::keyClicks(box(name), text);
    }
    void ok() { QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton); }

    // The next start of the program: which first window the start-up sequence chooses.
    std::string nextStart()
    {
        restart();
        return outcome(RunStartupSequence(state()));
    }
};

TEST_F(LoginSettings, LayoutAndFieldsFilledFromTheLogin)
{
    openSettings("Alice", "Secret", "4711");
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral(" Login Settings"));
    // 3720 x 2625 twips: 248 x 175 pixels at the classic font, more with a larger one.
    EXPECT_GE(dialog->width(), 248);
    EXPECT_GE(dialog->height(), 175);
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(box("txtUsername")->text(), QStringLiteral("Alice"));
    EXPECT_EQ(box("txtPassword1")->text(), QStringLiteral("Secret"));
    EXPECT_EQ(box("txtConfirm")->text(), QStringLiteral("Secret"));
    EXPECT_EQ(box("txtNumpad")->text(), QStringLiteral("4711"));
    EXPECT_EQ(box("txtPassword1")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(box("txtConfirm")->echoMode(), QLineEdit::Password);
    // One "*" for each character, whatever the desktop style's mask character.
    EXPECT_EQ(box("txtPassword1")->displayText(), QStringLiteral("******"));
    EXPECT_EQ(box("txtConfirm")->displayText(), QStringLiteral("******"));
    EXPECT_EQ(box("txtNumpad")->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(box("txtNumpad")->maxLength(), 15);
    EXPECT_EQ(box("txtUsername")->maxLength(), 50);
    expectAtTwips(dialog, {3720, 2625}, box("txtNumpad"), {1770, 1500, 1740, 315});
    QStringList labels;
    for (QLabel* l : dialog->findChildren<QLabel*>(QStringLiteral("lblLabels")))
        labels << l->text();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("User Name"), QStringLiteral("Password"),
                                   QStringLiteral("Confirm Password"), QStringLiteral("Number Pad")}));
    EXPECT_TRUE(child<QPushButton>(dialog, "cmdOK")->isDefault());
    // Put on top whatever the main window's option says.
    ASSERT_FALSE(platform().topmostModes.empty());
    EXPECT_EQ(platform().topmostModes.back(), 1);
}

TEST_F(LoginSettings, IsNumberLetsOnlyDigitsAndBackspaceThrough)
{
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(frmChangeLogin::isNumber(code), code == 8 || (code >= '0' && code <= '9')) << code;
}

TEST_F(LoginSettings, NumberPadFieldTakesOnlyDigits)
{
    openSettings("", "", "");
    QLineEdit* pad = box("txtNumpad");
    QTest::keyClicks(pad, QStringLiteral("a -+.x,"));
    EXPECT_EQ(pad->text(), QString());
    QTest::keyClicks(pad, QStringLiteral("1a2 3"));
    EXPECT_EQ(pad->text(), QStringLiteral("123"));
    QTest::keyClick(pad, Qt::Key_Backspace);
    EXPECT_EQ(pad->text(), QStringLiteral("12"));
    QTest::keyClicks(pad, QStringLiteral("34567890123456"));
    EXPECT_EQ(pad->text(), QStringLiteral("123456789012345")); // a 16th digit cannot be typed
    QTest::keyClick(pad, Qt::Key_Home);
    QTest::keyClick(pad, Qt::Key_Delete);
    EXPECT_EQ(pad->text(), QStringLiteral("23456789012345"));
    // Delete as X11 delivers it, with the text DEL (127), still deletes; it types no character.
    QTest::sendKeyEvent(QTest::Click, pad, Qt::Key_Delete, QString(QChar(127)), Qt::NoModifier);
    EXPECT_EQ(pad->text(), QStringLiteral("3456789012345"));
    // Other control characters are swallowed, as letters are.
    QTest::sendKeyEvent(QTest::Click, pad, Qt::Key_Backspace, QString(QChar(127)), Qt::ControlModifier);
    EXPECT_EQ(pad->text(), QStringLiteral("3456789012345"));
}

TEST_F(LoginSettings, ThePadEntryGrowsInPlaceAndIsOverwrittenWhenTheDialogGoes)
{
    openSettings("Alice", "Secret", "4711");
    QLineEdit* pad = box("txtNumpad");
    const QChar* buffer = pad->text().constData();
    QTest::keyClicks(pad, QStringLiteral("98765432109"));
    ASSERT_EQ(pad->text(), QStringLiteral("471198765432109"));
    EXPECT_EQ(pad->text().constData(), buffer); // no earlier, shorter copy was given up
    // Held here after the box lets go: what the box held must be overwritten, not only dropped.
    const QString padHeld = pad->text();
    const QString passwordHeld = box("txtPassword1")->text();
    dialog->unload();
    EXPECT_EQ(padHeld, QString(15, QChar(0)));
    EXPECT_EQ(passwordHeld, QString(6, QChar(0)));
    EXPECT_EQ(pad->text(), QString());
}

TEST_F(LoginSettings, APasteWithAnythingButDigitsChangesNothing)
{
    openSettings("", "", "5");
    QLineEdit* pad = box("txtNumpad");
    QClipboard* clipboard = QApplication::clipboard();
    pad->setCursorPosition(1);

    struct Case
    {
        const char* clip;
        const char* after;
    };
    const Case cases[] = {{"12a", "5"}, {" 12", "5"}, {"-3", "5"}, {"\t7", "5"}, {"٣", "5"}, {"34", "534"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        clipboard->setText(QString::fromUtf8(c.clip));
        pad->paste();
        EXPECT_EQ(pad->text(), QString::fromLatin1(c.after));
    }

    // By the keyboard, and over a selection: the selection stays when the paste is refused.
    clipboard->setText(QStringLiteral("x9"));
    pad->selectAll();
    QTest::keyClick(pad, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pad->text(), QStringLiteral("534"));
    clipboard->setText(QStringLiteral("77"));
    pad->setCursorPosition(3);
    QTest::keyClick(pad, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pad->text(), QStringLiteral("53477"));

    // A digit paste longer than the field keeps what fits.
    pad->clear();
    clipboard->setText(QStringLiteral("12345678901234567890"));
    pad->paste();
    EXPECT_EQ(pad->text(), QStringLiteral("123456789012345"));

    // Whatever inserts text (a drop, an input method) goes the same way.
    pad->setText(QStringLiteral("123"));
    pad->setCursorPosition(0);
    pad->insert(QStringLiteral("4x"));
    EXPECT_EQ(pad->text(), QStringLiteral("123"));
    EXPECT_EQ(pad->cursorPosition(), 0);
    pad->insert(QStringLiteral("9"));
    EXPECT_EQ(pad->text(), QStringLiteral("9123"));
    pad->setText(QStringLiteral("123456789012345"));

    // After a refused paste the field still edits normally.
    QTest::keyClick(pad, Qt::Key_Backspace);
    EXPECT_EQ(pad->text(), QStringLiteral("12345678901234"));
    clipboard->clear();
}

TEST_F(LoginSettings, AFieldFilledWithOtherCharactersStillRefusesThem)
{
    // A second password that is not all digits (only a changed file holds one) is shown as it is, and what
    // the user adds is still checked.
    openSettings("", "", "ab12");
    QLineEdit* pad = box("txtNumpad");
    EXPECT_EQ(pad->text(), QStringLiteral("ab12"));
    pad->setCursorPosition(4);
    QApplication::clipboard()->setText(QStringLiteral("c"));
    pad->paste();
    QTest::keyClicks(pad, QStringLiteral("d"));
    EXPECT_EQ(pad->text(), QStringLiteral("ab12"));
    QApplication::clipboard()->setText(QStringLiteral("3"));
    pad->paste();
    EXPECT_EQ(pad->text(), QStringLiteral("ab123"));
    QApplication::clipboard()->clear();
}

TEST_F(LoginSettings, OkAtOnceStoresTheSameLoginAgain)
{
    openSettings("Alice", "Secret", "4711");
    const std::string before = folder.read(kAccountFileName);
    state().IdleTickCount = 5;
    ok();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kSaved});
    EXPECT_EQ(platform().messages[0].style, MsgInformation);
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_EQ(state().LoginUserName, "Alice");
    EXPECT_EQ(state().LoginPassword1, "Secret");
    EXPECT_EQ(state().LoginPassword2, "4711");
    EXPECT_EQ(folder.read(kAccountFileName), before); // rewritten byte for byte
    EXPECT_EQ(state().IdleTickCount, 0);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(LoginSettings, ANewLoginIsAskedForAtTheNextStart)
{
    openSettings("", "", "");
    set("txtUsername", QStringLiteral("Carol"));
    set("txtPassword1", QStringLiteral("Pa55 word"));
    set("txtConfirm", QStringLiteral("Pa55 word"));
    set("txtNumpad", QStringLiteral("9021"));
    ok();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kSaved});
    EXPECT_EQ(state().LoginUserName, "Carol");
    EXPECT_EQ(state().LoginPassword1, "Pa55 word");
    EXPECT_EQ(state().LoginPassword2, "9021");

    // The next start opens the login dialog, which takes the new login.
    restart();
    startProgram();
    frmLogin* login = program->loginDialog();
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(program->mainWindow(), nullptr);
    child<QLineEdit>(login, "txtUsername")->setText(QStringLiteral("Carol"));
    child<QLineEdit>(login, "txtPassword1")->setText(QStringLiteral("Pa55 word"));
    for (char d : std::string("90210")) // one digit too many
        login->padDigit(d);
    login->cmdOK_Click();
    EXPECT_EQ(login->failedLogins(), 1);
    platform().messages.clear();
    for (char d : std::string("9021"))
        login->padDigit(d);
    login->cmdOK_Click();
    EXPECT_NE(program->mainWindow(), nullptr);
    EXPECT_EQ(state().LoginPassword2, "9021");
}

TEST_F(LoginSettings, AUserNameAloneIsALogin)
{
    openSettings("", "", "");
    set("txtUsername", QStringLiteral("Dave"));
    ok();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kSaved});
    ASSERT_EQ(nextStart(), "Login");

    startProgram();
    frmLogin* login = program->loginDialog();
    ASSERT_NE(login, nullptr);
    child<QLineEdit>(login, "txtUsername")->setText(QStringLiteral("Dave"));
    login->cmdOK_Click();
    EXPECT_NE(program->mainWindow(), nullptr);
}

TEST_F(LoginSettings, RemovingTheLoginAsksFirst)
{
    openSettings("Alice", "Secret", "4711");
    main->onTopAction()->setChecked(true);
    for (const char* name : {"txtUsername", "txtPassword1", "txtConfirm", "txtNumpad"})
        box(name)->clear();

    // No: nothing happens, the dialog stays as it is.
    platform().queueAnswer(Answer::No);
    ok();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kNoLogin});
    EXPECT_EQ(platform().messages[0].style, MsgQuestion);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(state().LoginUserName, "Alice");

    // Yes: stored, saved, and the main window put back on top as its option says.
    platform().messages.clear();
    platform().topmostModes.clear();
    platform().queueAnswer(Answer::Yes);
    ok();
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kNoLogin, kSaved}));
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_FALSE(state().hasLogin());
    EXPECT_EQ(platform().topmostModes, std::vector<int>{1});
    EXPECT_EQ(nextStart(), "Main");
}

TEST_F(LoginSettings, RemovingWithAConfirmationLeftIsAMismatch)
{
    openSettings("Alice", "Secret", "4711");
    for (const char* name : {"txtUsername", "txtPassword1", "txtNumpad"})
        box(name)->clear();
    const std::string before = folder.read(kAccountFileName);
    platform().queueAnswer(Answer::Yes);
    ok();
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kNoLogin, kMismatch}));
    EXPECT_EQ(platform().messages[1].style, MsgExclamation);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(box("txtConfirm")->text(), QStringLiteral("Secret"));
    EXPECT_EQ(state().LoginPassword1, "Secret");
    EXPECT_EQ(folder.read(kAccountFileName), before);
}

TEST_F(LoginSettings, APasswordThatDiffersFromItsConfirmationIsNotStored)
{
    openSettings("Alice", "Secret", "4711");
    const std::string before = folder.read(kAccountFileName);
    for (const QString& confirm : {QStringLiteral("secret"), QStringLiteral("Secret "), QString()}) {
        platform().messages.clear();
        set("txtPassword1", QStringLiteral("Secret"));
        set("txtConfirm", confirm);
        set("txtUsername", QStringLiteral("Eve"));
        ok();
        EXPECT_EQ(messageTexts(), std::vector<std::string>{kMismatch});
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(box("txtUsername")->text(), QStringLiteral("Eve"));
        EXPECT_EQ(state().LoginUserName, "Alice");
    }
    EXPECT_EQ(folder.read(kAccountFileName), before);
}

TEST_F(LoginSettings, CancelEscAndCloseStoreNothing)
{
    const std::function<void(frmChangeLogin*)> ways[] = {
        [](frmChangeLogin* d) {
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        },
        [](frmChangeLogin* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](frmChangeLogin* d) { d->close(); },
    };
    for (const auto& leave : ways) {
        restart();
        openSettings("Alice", "Secret", "4711");
        const std::string before = folder.read(kAccountFileName);
        set("txtUsername", QStringLiteral("Mallory"));
        set("txtPassword1", QStringLiteral("x"));
        set("txtConfirm", QStringLiteral("x"));
        state().IdleTickCount = 7;
        leave(dialog);
        EXPECT_TRUE(dialog->isHidden());
        EXPECT_TRUE(platform().messages.empty());
        EXPECT_EQ(state().LoginUserName, "Alice");
        EXPECT_EQ(state().LoginPassword1, "Secret");
        EXPECT_EQ(folder.read(kAccountFileName), before);
        EXPECT_EQ(state().IdleTickCount, 0);
        EXPECT_TRUE(main->isVisible());
        EXPECT_FALSE(platform().ended());
    }
}

TEST_F(LoginSettings, WithoutAccountsTheLoginHoldsOnlyForThisRun)
{
    openSettings("", "", "", {});
    set("txtUsername", QStringLiteral("Frank"));
    set("txtNumpad", QStringLiteral("12"));
    ok();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kSaved});
    EXPECT_FALSE(folder.exists(kAccountFileName));
    EXPECT_EQ(state().LoginUserName, "Frank");
    EXPECT_EQ(nextStart(), "Main");
}

} // namespace

namespace {

// The idle lock coming while the dialog waits on one of its prompts: the lock closes the dialog (deleted
// as soon as the prompt's event loop runs again), hides the main window and cancels the prompt. Nothing is
// stored after that, the program survives and the main window stays hidden.
TEST_F(LoginSettings, TheIdleLockWhileAPromptIsOpenStoresNothingMoreAndShowsNothing)
{
    struct Case
    {
        const char* prompt; // the prompt open when the lock comes
        bool removing;
        bool stored; // the settings were stored before that prompt
    };
    const Case cases[] = {
        {kNoLogin, true, false}, {kSaved, false, true}, {kSaved, true, true}, {kMismatch, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.prompt) + (c.removing ? " (removing)" : ""));
        restart();
        openSettings("Alice", "Secret", "4711");
        state().LoginPassword1 = "Secret";
        if (c.removing) {
            for (const char* name : {"txtUsername", "txtPassword1", "txtConfirm", "txtNumpad"})
                box(name)->clear();
        } else {
            set("txtUsername", QStringLiteral("Bob"));
            if (std::string(c.prompt) == kMismatch)
                set("txtConfirm", QStringLiteral("other"));
        }
        if (c.removing && std::string(c.prompt) == kSaved)
            platform().queueAnswer(Answer::Yes); // to the removal question, before the save
        QPointer<frmChangeLogin> watched(dialog);
        bool locked = false;
        platform().whilePromptOpen = [&](const std::string& prompt) {
            if (prompt != c.prompt || locked)
                return;
            locked = true;
            state().IdleTickCount = 10;
            main->Timer1_Timer();
            // The prompt's own event loop runs on and deletes the closed dialog.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(watched.isNull());
        };
        platform().topmostModes.clear();
        ok();
        EXPECT_TRUE(locked);
        EXPECT_FALSE(main->isVisible());
        EXPECT_TRUE(main->lockScreen()->isVisible());
        EXPECT_TRUE(platform().topmostModes.empty());
        EXPECT_EQ(platform().promptDismissals, 1);
        EXPECT_FALSE(platform().ended());
        EXPECT_EQ(state().LoginUserName, c.stored ? (c.removing ? "" : "Bob") : "Alice");
        platform().whilePromptOpen = nullptr;
    }
}

} // namespace

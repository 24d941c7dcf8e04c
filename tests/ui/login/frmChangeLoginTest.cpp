#include "ChangeLoginFixture.h"
#include "Outcomes.h"
#include "TwipsCheck.h"

#include "ui/login/frmChangeLogin.h"
#include "ui/login/frmLocked.h"
#include "ui/login/frmLogin.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QTest>

namespace {

const char* const kSaved = "Settings have been saved successfully.";
const char* const kNoLogin = "No login will be required to view your accounts.  Continue?  ";
const char* const kMismatch = "The password you entered does not match the confirmed password.";

class LoginSettings : public SettingsDialogFixture
{
};

TEST_F(LoginSettings, LayoutAndFieldsFilledFromTheLogin)
{
    openSettings("Alice", "Secret", "4711");
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral(" Login Settings"));
    // 3720 x 3345 twips (the login's rows, the encryption's, then the line that tells of it): 248 x 223 pixels at
    // the classic font, more with a larger one.
    EXPECT_GE(dialog->width(), 248);
    EXPECT_GE(dialog->height(), 223);
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
    expectAtTwips(dialog, {3720, frmChangeLogin::kDialogHeight}, box("txtNumpad"), {1770, 1500, 1740, 315});
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

TEST_F(LoginSettings, OkAtOnceStoresTheSameLoginAgain)
{
    openSettings("Alice", "Secret", "4711");
    const std::string before = folder.read(kAccountFileName);
    state().IdleTickCount = 5;
    ok();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kSaved});
    EXPECT_EQ(platform().messages[0].style, MsgInformation);
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_EQ(session().login().LoginUserName, "Alice");
    EXPECT_EQ(session().login().LoginPassword1, "Secret");
    EXPECT_EQ(session().login().LoginPassword2, "4711");
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
    EXPECT_EQ(session().login().LoginUserName, "Carol");
    EXPECT_EQ(session().login().LoginPassword1, "Pa55 word");
    EXPECT_EQ(session().login().LoginPassword2, "9021");

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
    EXPECT_EQ(login->model().failedLogins(), 1);
    platform().messages.clear();
    for (char d : std::string("9021"))
        login->padDigit(d);
    login->cmdOK_Click();
    EXPECT_NE(program->mainWindow(), nullptr);
    EXPECT_EQ(session().login().LoginPassword2, "9021");
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
    for (const char* name : {"txtUsername", "txtPassword1", "txtConfirm", "txtNumpad"})
        box(name)->clear();

    // No: nothing happens, the dialog stays as it is.
    platform().queueAnswer(Answer::No);
    ok();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kNoLogin});
    EXPECT_EQ(platform().messages[0].style, MsgQuestion);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(session().login().LoginUserName, "Alice");

    // Yes: stored, saved, and the main window put back on top as its option says.
    platform().messages.clear();
    platform().topmostModes.clear();
    platform().queueAnswer(Answer::Yes);
    ok();
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kNoLogin, kSaved}));
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_FALSE(session().login().hasLogin());
    EXPECT_EQ(platform().topmostModes, std::vector<int>{1});
    EXPECT_EQ(nextStart(), "Main");
}

TEST_F(LoginSettings, AMismatchLeavesTheDialogAsTyped)
{
    openSettings("Alice", "Secret", "4711");
    const std::string before = folder.read(kAccountFileName);
    set("txtUsername", QStringLiteral("Eve"));
    set("txtConfirm", QStringLiteral("secret"));
    ok();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kMismatch});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(box("txtUsername")->text(), QStringLiteral("Eve"));
    EXPECT_EQ(box("txtPassword1")->text(), QStringLiteral("Secret"));
    EXPECT_EQ(box("txtConfirm")->text(), QStringLiteral("secret"));
    EXPECT_EQ(session().login().LoginUserName, "Alice");
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
        EXPECT_EQ(session().login().LoginUserName, "Alice");
        EXPECT_EQ(session().login().LoginPassword1, "Secret");
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
    EXPECT_EQ(session().login().LoginUserName, "Frank");
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
        session().login().LoginPassword1 = "Secret";
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
        EXPECT_EQ(session().login().LoginUserName, c.stored ? (c.removing ? "" : "Bob") : "Alice");
        platform().whilePromptOpen = nullptr;
    }
}

} // namespace

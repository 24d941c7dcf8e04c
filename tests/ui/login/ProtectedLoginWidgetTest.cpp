#include "ChangeLoginFixture.h"
#include "Outcomes.h"

#include "cipher/ProtectedFile.h"
#include "ui/login/frmLocked.h"
#include "ui/login/frmLogin.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QTest>

#include <map>
#include <vector>

namespace {

const char* const kSaved = "Settings have been saved successfully.";
const char* const kConsent =
    "The account file will be encrypted with this login.  Without it nobody can open your "
    "accounts, not even from a backup, and a forgotten login cannot be recovered.  Continue?  ";
const char* const kInvalid = "Invalid login, please try again!  ";

class ProtectedLoginWidgets : public SettingsDialogFixture
{
protected:
    QCheckBox* encrypt() { return child<QCheckBox>(dialog, "chkEncrypt"); }
    void attempt(frmLogin* login, const char* user, const char* p1, const char* digits)
    {
        child<QLineEdit>(login, "txtUsername")->setText(QString::fromLatin1(user));
        child<QLineEdit>(login, "txtPassword1")->setText(QString::fromLatin1(p1));
        for (const char* d = digits; *d; ++d)
            login->padDigit(*d);
        QTest::mouseClick(child<QPushButton>(login, "cmdOK"), Qt::LeftButton);
    }
};

} // namespace

// The check box has an access key, Alt+E, that no other control of the dialog shares.
TEST_F(ProtectedLoginWidgets, TheChoiceHasAnAccessKeyOfItsOwn)
{
    openSettings("Alice", "Secret", "4711");
    std::map<QKeySequence, QStringList> keys;
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        keys[QKeySequence::mnemonic(b->text())] << b->objectName();
    for (QLabel* l : dialog->findChildren<QLabel*>())
        keys[QKeySequence::mnemonic(l->text())] << l->text();
    keys.erase(QKeySequence());
    for (const auto& [key, controls] : keys)
        EXPECT_EQ(controls.size(), 1) << key.toString().toStdString() << ": " << controls.join(", ").toStdString();
    EXPECT_EQ(keys[QKeySequence(Qt::ALT | Qt::Key_E)], QStringList{"chkEncrypt"});
}

TEST_F(ProtectedLoginWidgets, TheChoiceEncryptsTheFileAndTheLoginDialogOpensIt)
{
    session().login().kdfDefaults = {kMinKdfMemoryKiB, 1, 1};
    openSettings("Alice", "Secret", "4711");
    ASSERT_NE(encrypt(), nullptr);
    EXPECT_EQ(encrypt()->text(), QStringLiteral("&Encrypt the account file with this login"));
    EXPECT_EQ(encrypt()->accessibleName(), QStringLiteral("Encrypt the account file with this login"));
    EXPECT_FALSE(encrypt()->isChecked());
    // Below the login's controls, last in the tab order.
    EXPECT_GT(encrypt()->y(), child<QPushButton>(dialog, "cmdOK")->geometry().bottom());
    EXPECT_EQ(child<QPushButton>(dialog, "cmdCancel")->nextInFocusChain(), encrypt());

    encrypt()->setChecked(true);
    platform().queueAnswer(Answer::Yes);
    ok();
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kConsent, kSaved}));
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_TRUE(IsProtectedFile(folder.read(kAccountFileName)));

    // The next start: the login dialog, whose key opens the file.
    restart();
    startProgram();
    frmLogin* login = program->loginDialog();
    ASSERT_NE(login, nullptr);
    attempt(login, "Alice", "Secret", "4712");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kInvalid});
    EXPECT_EQ(login->model().failedLogins(), 1);
    EXPECT_EQ(program->mainWindow(), nullptr);
    attempt(login, "Alice", "Secret", "4711");
    ASSERT_NE(program->mainWindow(), nullptr);
    EXPECT_EQ(program->mainWindow()->book().table().size(), 2u);
    EXPECT_EQ(session().login().LoginPassword1, "Secret");
    EXPECT_TRUE(session().login().protection);
}

// The login dialog of a protected file tells so on a line of its own; while OK derives the key the line says that
// the accounts are being opened and the dialog takes no input, until the key is there.
TEST_F(ProtectedLoginWidgets, WhileTheKeyIsDerivedTheLoginDialogSaysSoAndTakesNoInput)
{
    session().login().kdfDefaults = {kMinKdfMemoryKiB, 1, 1};
    openSettings("Alice", "Secret", "4711");
    encrypt()->setChecked(true);
    platform().queueAnswer(Answer::Yes);
    ok();
    restart();
    platform().holdBackgroundWork = true;
    startProgram();
    frmLogin* login = program->loginDialog();
    ASSERT_NE(login, nullptr);
    auto* status = child<QLabel>(login, "lblStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), QStringLiteral("Your account file is encrypted with this login."));
    EXPECT_EQ(status->accessibleName(), status->text());
    EXPECT_GT(status->y(), child<QWidget>(login, "Frame1")->geometry().bottom());
    const std::vector<QWidget*> controls = {child<QWidget>(login, "txtUsername"), child<QWidget>(login, "txtPassword1"),
                                            child<QWidget>(login, "Frame1"), child<QWidget>(login, "cmdOK"),
                                            child<QWidget>(login, "cmdCancel")};

    attempt(login, "Alice", "Secret", "4712");
    EXPECT_EQ(status->text(), QStringLiteral("Opening your accounts..."));
    EXPECT_EQ(status->accessibleName(), status->text());
    for (QWidget* w : controls)
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    QTest::keyClick(login, Qt::Key_Escape); // dropped, as is closing the window
    login->close();
    EXPECT_TRUE(login->isVisible());
    EXPECT_FALSE(platform().ended());
    EXPECT_TRUE(platform().messages.empty());

    platform().finishBackgroundWork();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kInvalid});
    EXPECT_EQ(status->text(), QStringLiteral("Your account file is encrypted with this login."));
    for (QWidget* w : controls)
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();

    // The program ends while the right key is derived: the key comes to nothing.
    attempt(login, "Alice", "Secret", "4711");
    program.reset();
    platform().finishBackgroundWork();
    EXPECT_FALSE(session().loginCheck().loggedIn());
    EXPECT_FALSE(session().login().protection);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kInvalid});
}

// The idle lock closes the login settings while the new key is derived: the key comes to nothing, nothing is stored
// or saved, and the program goes on locked.
TEST_F(ProtectedLoginWidgets, TheIdleLockWhileTheNewKeyIsDerivedStoresNothing)
{
    session().login().kdfDefaults = {kMinKdfMemoryKiB, 1, 1};
    openSettings("Alice", "Secret", "4711");
    const std::string file = folder.read(kAccountFileName);
    platform().holdBackgroundWork = true;
    encrypt()->setChecked(true);
    platform().queueAnswer(Answer::Yes);
    ok();
    auto* status = child<QLabel>(dialog, "lblStatus");
    EXPECT_EQ(status->text(), QStringLiteral("Encrypting your accounts..."));
    EXPECT_GT(status->y(), encrypt()->geometry().bottom());
    for (const char* name : {"txtUsername", "txtNumpad", "chkEncrypt", "cmdOK", "cmdCancel"})
        EXPECT_FALSE(child<QWidget>(dialog, name)->isEnabled()) << name;
    QTest::keyClick(dialog, Qt::Key_Escape); // dropped
    EXPECT_TRUE(dialog->isVisible());

    QPointer<frmChangeLogin> watched(dialog);
    state().IdleTickCount = 10;
    main->Timer1_Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());
    platform().finishBackgroundWork();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kConsent});
    EXPECT_FALSE(session().login().protection);
    EXPECT_EQ(folder.read(kAccountFileName), file);
    EXPECT_TRUE(main->lockScreen()->isVisible());
    EXPECT_FALSE(platform().ended());
}

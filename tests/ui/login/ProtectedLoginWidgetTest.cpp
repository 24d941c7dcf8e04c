#include "ChangeLoginFixture.h"
#include "Outcomes.h"

#include "cipher/ProtectedFile.h"
#include "ui/login/OffThread.h"
#include "ui/login/frmLogin.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include <map>

#include <stdexcept>

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
    state().kdfDefaults = {kMinKdfMemoryKiB, 1, 1};
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
    EXPECT_EQ(state().LoginPassword1, "Secret");
    EXPECT_TRUE(state().protection);
}

TEST_F(ProtectedLoginWidgets, AnExceptionInTheDerivationGivesNoKeyInsteadOfEndingTheProgram)
{
    EXPECT_FALSE(RunOffThread(
        []() -> std::unique_ptr<FileProtection> { throw std::runtime_error("no source of random numbers"); }));
    EXPECT_FALSE(RunOffThread([]() -> std::unique_ptr<FileProtection> { throw std::bad_alloc(); }));
}

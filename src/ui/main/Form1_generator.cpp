// The random password generator.
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"

#include "app/AppState.h"
#include "app/PasswordGenerator.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <QLabel>

namespace {

const char* const kNoTitle = "You must create an account title first.";
const char* const kNoRandom = "No random password could be made: the system's random source failed.  ";

} // namespace

void Form1::passwordGen_Click()
{
    const QString text = comboText();
    if (text.isEmpty() || text == QLatin1String(kPlaceholder)) {
        state_.platform.message(kNoTitle, MsgInformation);
        return;
    }
    PasswordGenerator();
}

void Form1::PasswordGenerator()
{
    if (!::PasswordGenerator::generate(GeneratedPassword)) {
        state_.platform.message(kNoRandom, MsgExclamation);
        return;
    }
    std::string question = "Your new password for this account is: \r\n" + GeneratedPassword + ".   Keep this password?";
    const Answer answer = state_.platform.message(question, MsgQuestion);
    wipe(question);
    if (answer != Answer::Yes)
        return;

    txtPassword->setFieldText(QString::fromStdString(GeneratedPassword));
    // Stored at once: as a change of the account on display, or as a new account.
    if (!lblID->text().isEmpty())
        cmdChange_Click();
    else
        Add_Account_Click();
}

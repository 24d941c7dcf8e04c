// The random password generator.
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"

#include "app/AppState.h"
#include "app/PasswordGenerator.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <QLabel>

#include <cstring>

namespace {

const char* const kNoTitle = "You must create an account title first.";
const char* const kNoRandom = "No random password could be made: the system's random source failed.  ";
const char* const kOffer = "Your new password for this account is: \r\n";
const char* const kKeep = ".   Keep this password?";

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
    // Built in one buffer of the final size: growing it would leave copies of the password behind.
    std::string question;
    question.reserve(std::strlen(kOffer) + GeneratedPassword.size() + std::strlen(kKeep));
    question.append(kOffer).append(GeneratedPassword).append(kKeep);
    const Answer answer = state_.platform.message(question, MsgQuestion);
    wipe(question);
    if (answer != Answer::Yes) {
        wipe(GeneratedPassword);
        return;
    }

    txtPassword->setFieldText(QString::fromUtf8(GeneratedPassword));
    wipe(GeneratedPassword); // the password box holds it now
    // Stored at once: as a change of the account on display, or as a new account.
    if (!lblID->text().isEmpty())
        cmdChange_Click();
    else
        Add_Account_Click();
}

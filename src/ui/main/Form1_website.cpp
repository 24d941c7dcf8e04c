// Opening the account's website and the support page.
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"
#include "ui/main/WebAddress.h"

#include "app/AppState.h"
#include "platform/Platform.h"


namespace {

const char* const kAddPrefix = "'http://' will be added to your URL.  Accept?   ";
const char* const kNotWebAddress = "This is not a web address: ";
const char* const kNoBrowser = "No browser could be started for this web address: ";
const char* const kSupportPage = "http://" COFFERNOTE_SUPPORT_HOST "/support.htm";
constexpr int kShowNormal = 1;

} // namespace

void Form1::cmdCopy1_Click()
{
    openWebsite();
}

bool Form1::openWebsite()
{
    const QString text = txtWebsite->text();
    if (text.isEmpty()) {
        state_.resetIdle();
        return true;
    }
    // Only a plain web address goes to the desktop as it stands: any other text could open a local file or
    // whatever program handles another scheme.
    if (IsWebAddress(text)) {
        RunBrowser(text.toStdString(), kShowNormal);
        state_.resetIdle();
        return true;
    }
    if (state_.platform.message(kAddPrefix, MsgQuestion) != Answer::Yes) {
        state_.resetIdle();
        return true;
    }

    const QString url = QStringLiteral("http://") + text;
    const int p = displayedIndex();
    if (p >= 1) {
        // The prefix is stored at once, whatever happens to other edits in the window.
        AccountTable_[p].Website = url.toStdString();
        if (!SaveToFile())
            return false;
    }
    txtWebsite->setFieldText(url); // a change of the box like any other: Edit mode
    if (IsWebAddress(url))
        RunBrowser(url.toStdString(), kShowNormal);
    else
        state_.platform.message(kNotWebAddress + ShownAddress(url).toStdString(), MsgExclamation);
    state_.resetIdle();
    return true;
}

void Form1::Online_Click()
{
    RunBrowser(kSupportPage, kShowNormal);
}

void Form1::RunBrowser(const std::string& url, int windowStyle)
{
    // The desktop opens the address in a normal window; when it cannot (no browser), the user hears of it.
    (void)windowStyle;
    if (!state_.platform.openUrl(url))
        state_.platform.message(kNoBrowser + ShownAddress(QString::fromStdString(url)).toStdString(), MsgExclamation);
}

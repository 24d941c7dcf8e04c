// Opening the account's website and the support page.
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"

#include "app/AppState.h"
#include "platform/Platform.h"


namespace {

const char* const kAddPrefix = "'http://' will be added to your URL.  Accept?   ";
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
    // "http" in any case, a secure address included, goes to the browser as it stands.
    if (text.left(4).toUpper() == QLatin1String("HTTP")) {
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
    RunBrowser(txtWebsite->text().toStdString(), kShowNormal);
    state_.resetIdle();
    return true;
}

void Form1::Online_Click()
{
    RunBrowser(kSupportPage, kShowNormal);
}

void Form1::RunBrowser(const std::string& url, int windowStyle)
{
    // The desktop opens the address in a normal window; whether a browser came up is not examined.
    (void)windowStyle;
    state_.platform.openUrl(url);
}

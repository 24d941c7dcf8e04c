// Looking an account up by name (the combo box keys and GO) and opening its website.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "platform/Platform.h"

namespace {

const char* const kNotFound = "This account does not exist.  ";
const char* const kAddPrefix = "'http://' will be added to your URL.  Accept?   ";
const char* const kNotWebAddress = "This is not a web address: ";
const char* const kNoBrowser = "No browser could be started for this web address: ";

} // namespace

void AccountBook::cboSelect_KeyDown(bool deleting)
{
    // Deleting must not bring back the completion just removed.
    if (deleting && !comboText_.empty())
        autoCompleteSuppressed_ = true;
    buttons_.go = true;
    resetIdle();
}

void AccountBook::cboSelect_DropDown()
{
    buttons_.go = true;
    resetIdle();
}

void AccountBook::cmdGo_KeyDown(bool shift)
{
    // Shift+Enter or Shift+Space looks the account up without opening its website.
    if (shift)
        skipWebsiteOnGo_ = true;
}

Result AccountBook::cmdGo_Click()
{
    // Exact comparison; with duplicate names the last one in the table wins. The header record carries the
    // login settings and is never shown, whatever the text.
    int found = -1;
    for (int i = 1; i < static_cast<int>(table_.size()); ++i)
        if (table_[static_cast<std::size_t>(i)].AccountName == comboText_)
            found = i;

    if (found < 0) {
        state_.platform.message(kNotFound, MsgInformation);
        New_Click();
        return Result::ok();
    }

    showRecord(found);
    if (skipWebsiteOnGo_) {
        skipWebsiteOnGo_ = false;
    } else if (Result opened = openWebsite(); opened.mustEnd()) {
        return opened;
    }
    setButtons(true, false, false, false, true);
    enterDragDropMode();
    resetIdle();
    return Result::ok();
}

void AccountBook::showRecord(int index)
{
    const AccountRecord& r = table_[static_cast<std::size_t>(index)];
    displayed_ = r.RecordNo;
    if (comboText_ != r.AccountName)
        setComboText(r.AccountName);
    setBox(Website, r.Website, false);
    setBox(Notes, r.Notes.view(), false);
    setBox(UserId, r.UserId.view(), false);
    setBox(Password, r.Password.view(), false);
}

Result AccountBook::openWebsite()
{
    const std::string text = boxes_[Website].str(); // a website is no secret
    // Only a plain web address goes to the desktop as it stands: any other text could open a local file or
    // whatever program handles another scheme.
    if (text.empty() || rules_.isWebAddress(text)) {
        if (!text.empty())
            RunBrowser(text);
        resetIdle();
        return Result::ok();
    }
    if (state_.platform.message(kAddPrefix, MsgQuestion) != Answer::Yes) {
        resetIdle();
        return Result::ok();
    }

    const std::string url = "http://" + text;
    const int p = displayedIndex();
    if (p >= 1) {
        // The prefix is stored at once, whatever happens to other edits in the window.
        table_[static_cast<std::size_t>(p)].Website = url;
        if (Result saved = SaveToFile(); saved.mustEnd())
            return saved;
    }
    setBox(Website, url, true); // a change of the box like any other: Edit mode
    if (rules_.isWebAddress(url))
        RunBrowser(url);
    else
        state_.platform.message(kNotWebAddress + rules_.shownAddress(url), MsgExclamation);
    resetIdle();
    return Result::ok();
}

void AccountBook::RunBrowser(const std::string& url)
{
    // The desktop opens the address in a normal window; when it cannot (no browser), the user hears of it.
    if (!state_.platform.openUrl(url))
        state_.platform.message(kNoBrowser + rules_.shownAddress(url), MsgExclamation);
}

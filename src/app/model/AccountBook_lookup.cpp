// Looking an account up by name (the combo box keys and GO) and opening its website.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "app/files/ExportLayouts.h"
#include "app/model/WebAddressPolicy.h"
#include "platform/Platform.h"

#include <string_view>

namespace {

const char* const kNotFound = "This account does not exist.  ";
const char* const kAddPrefix = "'http://' will be added to your URL.  Accept?   ";
const char* const kNotWebAddress = "This is not a web address: ";
const char* const kNoBrowser = "No browser could be started for this web address: ";

} // namespace

void AccountBook::keyInName(bool deleting)
{
    // Deleting must not bring back the completion just removed.
    if (deleting && !comboText_.empty())
        autoCompleteSuppressed_ = true;
    buttons_.go = true;
    resetIdle();
}

void AccountBook::openNameList()
{
    buttons_.go = true;
    resetIdle();
}

void AccountBook::shiftOnGo(bool shift)
{
    // Shift+Enter or Shift+Space looks the account up without opening its website.
    if (shift)
        skipWebsiteOnGo_ = true;
}

Result AccountBook::lookUp()
{
    // Exact comparison; with duplicate names the last one in the table wins. The header record carries the
    // login settings and is never shown, whatever the text.
    int found = -1;
    for (int i = 1; i < static_cast<int>(table_.size()); ++i)
        if (table_[static_cast<std::size_t>(i)].AccountName == comboText_)
            found = i;

    if (found < 0) {
        state_.platform.message(kNotFound, MsgInformation);
        newAccount();
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
    displayed_ = index; // the row on display, whatever number a file gave it
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
    Result result = Result::ok();
    if (!text.empty())
        result = openAddress(text);
    resetIdle();
    return result;
}

namespace {

// True when text names a scheme of its own: a word and a colon before any "/" ("ftp://x", "mailto:me@x",
// "http://x"). A host and port ("intranet:8080/x") names none. The "http://" prefix would turn such a text into
// a different address ("http://mailto:me@x" opens x), never into the one meant.
bool hasScheme(const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == 0 || colon == std::string::npos || text.find('/') < colon)
        return false;
    const auto letter = [](unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
    if (!letter(static_cast<unsigned char>(text[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!letter(c) && !digit(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    std::size_t end = colon + 1;
    while (end < text.size() && digit(static_cast<unsigned char>(text[end])))
        ++end;
    const bool port = end > colon + 1 && (end == text.size() || text[end] == '/');
    return !port;
}

// True when text begins with a misspelt web scheme: "http" or "https" straight before a "/", ":" or "\\"
// ("http//x", "https:/x"). It is refused rather than offered the prefix: "http://http//x" would open a computer
// named "http", never the address meant, and would be stored so; the user mends the text instead.
bool misspeltScheme(const std::string& text)
{
    const std::string head = LowerAscii(text.substr(0, 6));
    for (const std::string_view scheme : {"https", "http"})
        if (head.starts_with(scheme) && head.size() > scheme.size() &&
            std::string_view("/:\\").find(head[scheme.size()]) != std::string_view::npos)
            return true;
    return false;
}

} // namespace

Result AccountBook::openAddress(const std::string& text)
{
    // The desktop takes the text apart once; the policy judges the parts, and only their normalized form opens.
    AddressDecision decision = DecideWebAddress(state_.platform.parseWebAddress(text));
    if (decision.action == AddressDecision::Refuse) {
        // Any other text with a scheme could open a local file or whatever program handles the scheme.
        if (hasScheme(text) || misspeltScheme(text)) {
            state_.platform.message(kNotWebAddress + rules_.shownAddress(text), MsgExclamation);
            return Result::ok();
        }
        if (state_.platform.message(kAddPrefix, MsgQuestion) != Answer::Yes)
            return Result::ok();

        // Only a web address is stored: a text the prefix cannot mend stays as it was.
        const std::string url = "http://" + text;
        decision = DecideWebAddress(state_.platform.parseWebAddress(url));
        if (decision.action == AddressDecision::Refuse) {
            state_.platform.message(kNotWebAddress + rules_.shownAddress(url), MsgExclamation);
            return Result::ok();
        }
        const int p = displayedIndex();
        if (p >= 1) {
            // The prefix is stored at once, whatever happens to other edits in the window.
            table_[static_cast<std::size_t>(p)].Website = url;
            if (Result saved = SaveToFile(); saved.mustEnd())
                return saved;
        }
        setBox(Website, url, true); // a change of the box like any other: Edit mode
    }
    if (decision.action == AddressDecision::Ask &&
        state_.platform.message(decision.question, MsgQuestionNoDefault) != Answer::Yes)
        return Result::ok();
    RunBrowser(decision.address);
    return Result::ok();
}

void AccountBook::RunBrowser(const std::string& url)
{
    // The desktop opens the address in a normal window; when it cannot (no browser), the user hears of it.
    if (!state_.platform.openUrl(url))
        state_.platform.message(kNoBrowser + rules_.shownAddress(url), MsgExclamation);
}

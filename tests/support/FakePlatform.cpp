#include "FakePlatform.h"

#include "WebAddressParses.h"

#include <gtest/gtest.h>

FakePlatform::~FakePlatform()
{
    checkNothingLeft();
}

void FakePlatform::checkNothingLeft()
{
    if (!answers.empty())
        ADD_FAILURE() << answers.size() << " queued answer(s) were never asked for";
    if (!files.empty())
        ADD_FAILURE() << files.size() << " queued file name(s) were never asked for";
    if (!importChoices.empty())
        ADD_FAILURE() << importChoices.size() << " queued import choice(s) were never asked for";
    if (!logins.empty())
        ADD_FAILURE() << logins.size() << " queued login(s) were never asked for";
    logins.clear();
    if (!versionChoices.empty())
        ADD_FAILURE() << versionChoices.size() << " queued version choice(s) were never asked for";
    answers.clear();
    files.clear();
    importChoices.clear();
    versionChoices.clear();
}

void FakePlatform::runInBackground(std::function<void()> work, std::function<void()> done)
{
    background_.emplace_back(std::move(work), std::move(done));
    if (!holdBackgroundWork)
        finishBackgroundWork();
}

void FakePlatform::finishBackgroundWork()
{
    while (!background_.empty()) {
        auto [work, done] = std::move(background_.front());
        background_.pop_front();
        Platform::runInBackground(std::move(work), std::move(done));
    }
}

bool FakePlatform::promptDismissed(const std::string& prompt)
{
    if (!whilePromptOpen)
        return false;
    const bool outer = dismissedNow_;
    dismissedNow_ = false;
    ++openPrompts_;
    whilePromptOpen(prompt);
    --openPrompts_;
    const bool dismissed = dismissedNow_;
    dismissedNow_ = outer;
    return dismissed;
}

void FakePlatform::dismissPrompts()
{
    ++promptDismissals;
    if (openPrompts_ > 0)
        dismissedNow_ = true;
}

Answer FakePlatform::showMessageBox(const std::string& text, int style, const std::string& caption)
{
    messages.push_back({text, style, caption});
    if (promptDismissed(text))
        return isQuestion(style) ? Answer::No : Answer::Ok;
    if (!isQuestion(style))
        return Answer::Ok;
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return Answer::No;
    }
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

static std::string takeFile(std::deque<std::string>& files, const char* what)
{
    if (files.empty()) {
        ADD_FAILURE() << "unexpected " << what << " dialog";
        return {};
    }
    std::string f = files.front();
    files.pop_front();
    return f;
}

std::string FakePlatform::chooseSaveFile(const std::string& filter)
{
    fileFilters.push_back(filter);
    if (promptDismissed("save"))
        return {};
    return takeFile(files, "save");
}

std::string FakePlatform::chooseOpenFile(const std::string& filter)
{
    fileFilters.push_back(filter);
    if (promptDismissed("open"))
        return {};
    return takeFile(files, "open");
}

ImportChoice FakePlatform::showImportPreview(const ImportPreview& preview)
{
    importPreviews.push_back(preview);
    if (promptDismissed("import preview"))
        return ImportChoice::Cancel;
    if (importChoices.empty()) {
        ADD_FAILURE() << "unexpected import preview";
        return ImportChoice::Cancel;
    }
    const ImportChoice c = importChoices.front();
    importChoices.pop_front();
    return c;
}

bool FakePlatform::showLoginPrompt(const std::string& text, const TakeLogin& take)
{
    loginPrompts.push_back(text);
    if (promptDismissed("login"))
        return false;
    if (logins.empty()) {
        ADD_FAILURE() << "unexpected login prompt";
        return false;
    }
    const auto login = logins.front();
    logins.pop_front();
    if (login[0].empty() && login[1].empty())
        return false;
    take(login[0], login[1], login[2]);
    return true;
}

int FakePlatform::showVersionList(VersionList& versions)
{
    versionRows = versions.rows();
    versionDetails.clear();
    if (promptDismissed("version list"))
        return -1;
    if (versionChoices.empty()) {
        ADD_FAILURE() << "unexpected version list";
        return -1;
    }
    const int row = versionChoices.front();
    versionChoices.pop_front();
    // The dialog shows the details of each row the user passes over on the way to the one chosen.
    for (int r = 0; r <= row; ++r)
        versionDetails.push_back(versions.details(r));
    return row;
}

void FakePlatform::clearClipboard()
{
    ++clipboardClears;
    clipboard.clear();
    clipboardHasText = false;
}

bool FakePlatform::setClipboardText(std::string_view text)
{
    if (clipboardBusy)
        return false;
    clipboard = text;
    clipboardHasText = true;
    return true;
}

bool FakePlatform::openUrl(const std::string& url)
{
    urls.push_back(url);
    return urlOpens;
}

WebAddressParts FakePlatform::parseWebAddress(const std::string& text)
{
    for (const KnownParse& known : KnownWebAddressParses())
        if (text == known.text)
            return known.parts;
    if (std::optional<WebAddressParts> plain = PlainWebAddressParts(text))
        return *plain;
    ADD_FAILURE() << "No parse of \"" << text << "\" is known: add it to WebAddressParses.h, where the desktop's "
                  << "parse checks it";
    return {};
}

bool FakePlatform::setWindowTopmost(int mode, QWidget*)
{
    topmostModes.push_back(mode);
    return mode == 0 || mode == 1;
}

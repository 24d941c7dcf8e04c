// File > Restore an Earlier Version: the accounts as a kept version holds them, saved under the login and the
// form in use now.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/model/VersionRestore.h"
#include "platform/Platform.h"

namespace {

const char* const kNothingChanged = "\r\nNothing has been changed.";

} // namespace

Result AccountBook::restoreVersion(VersionKeyDerive derive, std::function<bool()> stillOpen)
{
    resetIdle();
    auto open = [&] { return !stillOpen || stillOpen(); };
    VersionRestore versions(state_, login_, table_, std::move(derive));
    if (versions.empty()) {
        state_.platform.message("No earlier version of your accounts has been kept yet: one is kept each time a "
                                "change is saved.",
                                MsgInformation);
        return Result::ok();
    }
    const int row = state_.platform.chooseVersion(versions);
    resetIdle();
    if (row < 0 || !open())
        return Result::ok();

    AccountTable chosen;
    const VersionContent content = versions.open(row, chosen, true);
    if (!open()) {
        WipeTable(chosen);
        return Result::ok(); // locked while the key was derived
    }
    const std::string when = versions.when(row);
    if (content != VersionContent::Opened) {
        state_.platform.message("The version of " + when +
                                    (content == VersionContent::OtherLogin
                                         ? " could not be opened: it is encrypted with another login."
                                         : " cannot be read: it is damaged, or not an account file of Coffernote's.") +
                                    kNothingChanged,
                                MsgExclamation);
        return Result::reported();
    }
    const std::size_t count = chosen.size() - 1;
    const std::string question = "Restore your accounts as they were on " + when + " (" +
                                 (count == 1 ? std::string("1 account") : std::to_string(count) + " accounts") +
                                 ")?\r\nThe accounts you have now are kept as an earlier version, so this can be "
                                 "undone in the same way.";
    if (state_.platform.message(question, MsgQuestionNoDefault) != Answer::Yes || !open()) {
        WipeTable(chosen);
        resetIdle();
        return Result::ok();
    }

    // The version's own header (its login) is not taken: the save writes the login in use.
    chosen.front() = MakeHeaderRecord(login_.LoginUserName, login_.LoginPassword1, login_.LoginPassword2);
    for (std::size_t i = 1; i < chosen.size(); ++i)
        chosen[i].RecordNo = static_cast<std::int16_t>(i);
    std::swap(table_, chosen);
    bool inPlace = false;
    const Result saved = SaveAccountFile(state_, login_, table_, inPlace);
    if (saved.mustEnd()) {
        WipeTable(chosen);
        return saved;
    }
    if (!saved.isOk() && !inPlace) {
        std::swap(table_, chosen); // nothing was written: the accounts stay as the file holds them
        WipeTable(chosen);
        if (saved.isFailed())
            state_.platform.message("Your accounts could not be saved.\r\n" + saved.message() +
                                        "\r\nNothing has been restored.",
                                    MsgExclamation);
        resetIdle();
        return Result::reported();
    }
    WipeTable(chosen);
    fillAccountList();
    newAccount();
    if (saved.isFailed())
        state_.platform.message(saved.message(), MsgExclamation);
    else
        state_.platform.message("Your accounts are restored as they were on " + when + ".", MsgInformation);
    resetIdle();
    return saved.isOk() ? Result::ok() : Result::reported();
}

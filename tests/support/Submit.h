#pragma once

#include "app/model/LoginCheck.h"
#include "app/model/LoginSettings.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

// OK on the login check or the login settings, on a desktop that runs background work at once: the outcome they
// finished with. Not finishing fails the test.
template <class Start> Result FinishedWith(Start start)
{
    auto done = std::make_shared<std::optional<Result>>();
    start([done](const Result& r) { *done = r; });
    if (!*done) {
        ADD_FAILURE() << "OK has not finished";
        return Result::ok();
    }
    return **done;
}

inline Result SubmitLogin(LoginCheck& check, const std::string& user, const std::string& password1)
{
    return FinishedWith([&](auto finished) {
        check.submitLogin(SecretString(user), SecretString(password1), {{}, std::move(finished)});
    });
}

inline Result SubmitSettings(LoginSettings& settings, const LoginEntries& entries)
{
    return FinishedWith([&](auto finished) { settings.changeLogin(entries, std::move(finished)); });
}

#pragma once

#include "app/files/AccountExchange.h"
#include "app/files/AccountFile.h"
#include "app/model/Startup.h"
#include "base/Result.h"

#include <string>

// One word for what a core operation came to, so an expectation reads in one line and a failure shows the word.
inline std::string outcome(const Result& r)
{
    switch (r.status()) {
    case Result::Status::Ok:
        return "Ok";
    case Result::Status::Failed:
        return "Failed";
    case Result::Status::Reported:
        return "Reported";
    case Result::Status::EndProgram:
        return "EndProgram";
    }
    return "?";
}

inline std::string outcome(const LoadResult& r)
{
    if (!r.result.isOk())
        return outcome(r.result);
    switch (r.value) {
    case LoadKind::NoFile:
        return "NoFile";
    case LoadKind::Loaded:
        return "Loaded";
    case LoadKind::Recovered:
        return "Recovered";
    case LoadKind::Protected:
        return "Protected";
    }
    return "?";
}

inline std::string outcome(const StartupResult& r)
{
    if (!r.result.isOk())
        return outcome(r.result);
    return r.value == FirstWindow::Login ? "Login" : "Main";
}

// An import: "Ok", or why not: "NotFound", "Malformed" (a line is named) or "Unreadable".
inline std::string outcome(const ImportResult& r)
{
    if (r.result.isOk())
        return "Ok";
    if (r.value.missing)
        return "NotFound";
    return r.value.line > 0 ? "Malformed" : "Unreadable";
}

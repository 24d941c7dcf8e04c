#pragma once

#include "app/files/AccountRecord.h"
#include "app/files/AccountVersions.h"
#include "cipher/ProtectedFile.h"
#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct AppState;
struct Login;

// What a restore would change, by account: an account is known by its name and which of that name it is (the
// second "Bank" is the second "Bank" in table order). Only names: never a password.
struct VersionDifference
{
    std::vector<std::string> added;   // in the version, not now: a restore brings them back
    std::vector<std::string> removed; // now, not in the version
    std::vector<std::string> changed; // in both, with another website, notes, user ID or password
};
VersionDifference CompareAccounts(const AccountTable& now, const AccountTable& version);

// The versions kept of the account file, as the Restore dialog lists them: newest first, when each was written
// (local time) and how many accounts it holds, and for the one selected what a restore would change.
class VersionRestore : public VersionList
{
public:
    // Derives the key of a version sealed under a login (the login in use, or one the user typed, with the
    // version's salt): slow on purpose, so the window runs it off its thread. Null when it cannot.
    using Derive =
        std::function<std::unique_ptr<FileProtection>(const ProtectedHeader&, const SecretString& userName,
                                                      const SecretString& password, const SecretString& digits)>;

    VersionRestore(AppState& state, const Login& login, const AccountTable& now, Derive derive = {});

    bool empty() const { return entries_.empty(); }
    std::vector<std::string> rows() const override;
    std::string details(int row) override;
    // The time of the row, as listed.
    std::string when(int row) const;
    // The version's accounts (header included) into table; derives a login's key when needed. askLogin: a version
    // the login in use does not open asks the user for the login it was saved with.
    VersionContent open(int row, AccountTable& table, bool askLogin = false);

private:
    struct Entry
    {
        KeptVersion file;
        VersionContent content = VersionContent::Unreadable;
        std::size_t accounts = 0;
        std::unique_ptr<FileProtection> key; // derived for this version
    };
    const FileProtection* keyFor(Entry& e, const std::string& bytes);
    std::unique_ptr<FileProtection> derive(const ProtectedHeader& header, const SecretString& userName,
                                           const SecretString& password, const SecretString& digits);

    AppState& state_;
    const Login& login_;
    const AccountTable& now_;
    Derive derive_;
    std::vector<Entry> entries_;
};

// Local date and time as the dialog shows them: "2026-12-08 19:15:32".
std::string LocalTimeText(std::int64_t ms);

#pragma once

#include "app/files/AccountRecord.h"
#include "base/Result.h"

#include <string>
#include <vector>

// Two account tables that went apart from a common one (two computers sharing a data folder) brought back
// together without losing either side's accounts.
//
// An account has no identity beyond its name and place, so it is known by its name and its occurrence: the
// first, second, ... account of that name in table order. With B the common table's account, O ours and T
// theirs under one identity (contents compared: website, notes, user ID, password):
// - changed on one side only: that side's value;
// - added on either side: added; added on both alike: once;
// - deleted on one side, left as it was on the other: deleted;
// - deleted on one side, changed on the other: the changed one is kept;
// - changed on both alike: once; changed on both differently: ours under its name, theirs as a second account
//   named "<name> (from another computer)" (the name cut to fit the 50 characters of the list, and numbered,
//   "(from another computer 2)", when that name is taken).
// Without a common table every account is taken as new on both sides: nothing is deleted, and an identity both
// hold with different contents is kept twice.
// The result takes ours' header record (the caller decides the login) and ours' order; an account only theirs
// holds follows the account before it in theirs that the result holds, or goes to the end when there is none.

// What came from the other side, for the user; names in table order.
struct MergeReport
{
    // A value kept twice: ours under `name`, theirs as `copyName`.
    struct Conflict
    {
        std::string name;
        std::string copyName;
        bool operator==(const Conflict&) const = default;
    };

    std::vector<std::string> added;               // only theirs holds them, new
    std::vector<std::string> changed;             // changed on theirs only, their value taken
    std::vector<std::string> deleted;             // deleted on theirs, left as they were here: gone
    std::vector<Conflict> conflicts;              // changed on both differently: kept twice
    std::vector<std::string> keptDespiteDeletion; // deleted on one side, changed on the other: kept

    bool empty() const
    {
        return added.empty() && changed.empty() && deleted.empty() && conflicts.empty() && keptDespiteDeletion.empty();
    }
};

struct MergedAccounts
{
    AccountTable table; // the header record, then the accounts numbered 1..n
    MergeReport report;
};

// base: the table both sides last shared, or nullptr when none was found. Each table holds its header record
// at index 0, or is empty (no account yet; an empty ours gives the result a header with an empty login, which
// the save replaces with the login settings as always). Fails, with a message for the user and no table, when the
// result would hold more records than a table can (kMaxRecords).
Outcome<MergedAccounts> MergeAccounts(const AccountTable* base, const AccountTable& ours, const AccountTable& theirs);

// What the user is told after a merge, one fact a line (CR LF between lines), at most ten names a line;
// empty when nothing came from the other side.
std::string MergeMessage(const MergeReport& report);

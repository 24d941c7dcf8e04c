#pragma once

#include "app/files/AccountRecord.h"
#include "base/Result.h"

#include <string>
#include <vector>

struct ForeignAccounts;

// Which accounts of another program's export join the table, and under which names.

// What happens to an account whose name already exists, in the table or earlier in the file.
enum class ExistingNames { Skip, AddNumbered };

// How many names of the accounts exist already, in the table or earlier in the file.
int CountExistingNames(const ForeignAccounts& read, const AccountTable& table);

// Those names, each once, in file order.
std::vector<std::string> ExistingNamesOf(const ForeignAccounts& read, const AccountTable& table);

// The accounts to add to the table, in file order: those whose name exists are left out (Skip) or take the first
// free "Name (2)", "Name (3)", ... (AddNumbered). Refused, with a message, when the table would hold more accounts
// than it can; nothing is taken then.
Outcome<std::vector<AccountRecord>> TakeImportedAccounts(ForeignAccounts& read, ExistingNames choice,
                                                         const AccountTable& table);

#include "app/model/ImportPlan.h"

#include "app/files/ImportFromProgram.h"
#include "app/files/Utf8Text.h"

#include <unordered_map>
#include <unordered_set>

namespace {

std::unordered_set<std::string> tableNames(const AccountTable& table, std::size_t extra)
{
    std::unordered_set<std::string> names;
    names.reserve(table.size() + extra);
    for (const AccountRecord& r : table)
        names.insert(r.AccountName);
    return names;
}

} // namespace

int CountExistingNames(const ForeignAccounts& read, const AccountTable& table)
{
    auto names = tableNames(table, read.accounts.size());
    int existing = 0;
    for (const AccountRecord& a : read.accounts)
        if (!names.insert(a.AccountName).second)
            ++existing;
    return existing;
}

std::vector<std::string> ExistingNamesOf(const ForeignAccounts& read, const AccountTable& table)
{
    auto names = tableNames(table, read.accounts.size());
    std::unordered_set<std::string> listed;
    std::vector<std::string> out;
    for (const AccountRecord& a : read.accounts)
        if (!names.insert(a.AccountName).second && listed.insert(a.AccountName).second)
            out.push_back(a.AccountName);
    return out;
}

Outcome<std::vector<AccountRecord>> TakeImportedAccounts(ForeignAccounts& read, ExistingNames choice,
                                                         const AccountTable& table)
{
    Outcome<std::vector<AccountRecord>> out;
    // The limit is checked before any name is numbered: a refused file costs no numbering.
    std::size_t adding = read.accounts.size();
    if (choice == ExistingNames::Skip)
        adding -= static_cast<std::size_t>(CountExistingNames(read, table));
    const std::size_t have = table.empty() ? 0 : table.size() - 1;
    const std::size_t most = kMaxRecords - 1;
    if (have + adding > most) {
        std::string message = "Coffernote keeps at most ";
        message.append(GroupedDigits(most))
            .append(" accounts. You have ")
            .append(GroupedDigits(have))
            .append(", and the file would add ")
            .append(GroupedDigits(adding))
            .append(".");
        out.result = Result::failed(std::move(message));
        return out;
    }

    auto names = tableNames(table, read.accounts.size());
    // The next number to try for each name: many rows of one name are numbered in one pass, not from 2 each time.
    std::unordered_map<std::string, int> nextNumber;
    std::vector<std::size_t> taken;
    std::vector<std::string> newNames;
    taken.reserve(adding);
    newNames.reserve(adding);
    for (std::size_t i = 0; i < read.accounts.size(); ++i) {
        std::string name = read.accounts[i].AccountName;
        if (!names.insert(name).second) {
            if (choice == ExistingNames::Skip)
                continue;
            int& k = nextNumber.try_emplace(name, 2).first->second;
            while (!names.insert(NumberedName(name, k)).second)
                ++k;
            name = NumberedName(name, k++);
        }
        taken.push_back(i);
        newNames.push_back(std::move(name));
    }

    out.value.reserve(taken.size());
    for (std::size_t k = 0; k < taken.size(); ++k) {
        AccountRecord& a = read.accounts[taken[k]];
        a.AccountName = std::move(newNames[k]);
        out.value.push_back(std::move(a));
    }
    return out;
}

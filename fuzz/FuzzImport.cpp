// An import file comes from anywhere.
#include "FuzzTargets.h"

#include "app/AccountExchange.h"

#include <string_view>

int FuzzImport(const std::uint8_t* data, std::size_t size)
{
    const ImportResult r = ParseImport(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!r.ok()) {
        FuzzCheck(r.accounts.empty() && !r.error.empty(), "a refused file carries no account and a reason");
        FuzzCheck(r.status != ImportResult::Malformed || r.line >= 1, "a malformed file names a line");
        return 0;
    }
    FuzzCheck(r.error.empty() && r.accounts.size() < kMaxRecords, "an accepted file fits the table");

    // An export of what was imported imports back the same, where no value holds a double quote.
    AccountTable table(1);
    for (const AccountRecord& a : r.accounts) {
        for (std::string_view v : {std::string_view(a.AccountName), std::string_view(a.Website),
                                   std::string_view(a.Notes), std::string_view(a.UserId), std::string_view(a.Password)})
            if (v.find('"') != std::string_view::npos)
                return 0;
        table.push_back(a);
    }
    const ImportResult back = ParseImport(FormatExport(table));
    FuzzCheck(back.ok() && back.accounts == r.accounts, "export of an import imports back");
    return 0;
}

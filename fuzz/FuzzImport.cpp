// An import file comes from anywhere.
#include "FuzzTargets.h"

#include "app/files/AccountExchange.h"

#include <string>
#include <string_view>

int FuzzImport(const std::uint8_t* data, std::size_t size)
{
    const ImportResult r = ParseImport(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!r.result.isOk()) {
        FuzzCheck(r.value.accounts.empty() && !r.result.message().empty(),
                  "a refused file carries no account and a reason");
        FuzzCheck(r.value.line == 0 || r.result.message().find(std::to_string(r.value.line)) != std::string::npos,
                  "a malformed file names its line");
        return 0;
    }
    FuzzCheck(r.result.message().empty() && r.value.accounts.size() < kMaxRecords, "an accepted file fits the table");

    // An export of what was imported imports back the same, where no value holds a double quote.
    AccountTable table(1);
    for (const AccountRecord& a : r.value.accounts) {
        for (std::string_view v : {std::string_view(a.AccountName), std::string_view(a.Website), a.Notes.view(),
                                   a.UserId.view(), a.Password.view()})
            if (v.find('"') != std::string_view::npos)
                return 0;
        table.push_back(a);
    }
    const ImportResult back = ParseImport(FormatExport(table));
    FuzzCheck(back.result.isOk() && back.value.accounts == r.value.accounts, "export of an import imports back");
    return 0;
}

#include "app/model/ImportPreview.h"

#include "app/files/ImportFromProgram.h"
#include "app/files/ListedNames.h"
#include "app/model/ImportPlan.h"

namespace {

// The first accounts the preview shows.
constexpr std::size_t kPreviewRows = 10;

// "1 row", "2 rows".
std::string counted(int n, const char* one, const char* many)
{
    std::string out = std::to_string(n);
    return out.append(" ").append(n == 1 ? one : many);
}

std::string joined(const std::vector<std::string>& items)
{
    constexpr std::size_t kMost = 30;
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < kMost; ++i)
        out.append(i ? ", " : "").append(items[i]);
    if (items.size() > kMost)
        out.append(", ...");
    return out;
}

} // namespace

ImportPreview MakeImportPreview(const ForeignAccounts& read, const AccountTable& table)
{
    ImportPreview p;
    p.existingNames = CountExistingNames(read, table);
    std::string& s = p.summary;
    s.append(read.source).append(": ").append(counted(static_cast<int>(read.accounts.size()), "account.", "accounts."));
    if (read.otherKinds > 0)
        s.append("\nSkipped: ")
            .append(counted(read.otherKinds, "row", "rows"))
            .append(" of other kinds than logins and secure notes (cards, identities).");
    if (read.emptyRows > 0)
        s.append("\nSkipped: ").append(counted(read.emptyRows, "empty row.", "empty rows."));
    if (!read.keptColumns.empty())
        s.append("\nAdded to the notes as \"Column: value\" lines: ").append(joined(read.keptColumns)).append(".");
    if (!read.droppedColumns.empty())
        s.append("\nNot imported: the columns ").append(joined(read.droppedColumns)).append(".");
    if (read.cutNames > 0)
        s.append("\n")
            .append(counted(read.cutNames, "name was", "names were"))
            .append(" longer than ")
            .append(std::to_string(kImportedNameLength))
            .append(" characters and ")
            .append(read.cutNames == 1 ? "was" : "were")
            .append(" cut.");
    if (p.existingNames > 0)
        s.append("\n")
            .append(counted(p.existingNames,
                            "account has a name that already exists: ", "accounts have names that already exist: "))
            .append(ListedNames(ExistingNamesOf(read, table)))
            .append(".");
    for (std::size_t i = 0; i < read.accounts.size() && i < kPreviewRows; ++i) {
        const AccountRecord& a = read.accounts[i];
        p.firstRows.push_back({a.AccountName, a.Website, a.UserId});
    }
    return p;
}

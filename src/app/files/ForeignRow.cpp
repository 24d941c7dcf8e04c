#include "app/files/ForeignRow.h"

namespace {

// Tested in place: the value may be a password, and a trimmed copy would be left unwiped.
bool blank(std::string_view s)
{
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

} // namespace

ForeignColumns NameColumns(const std::vector<std::string>& header, const ExportLayout& layout)
{
    ForeignColumns columns;
    columns.roles = layout.roles;
    columns.labels.reserve(header.size());
    for (std::size_t c = 0; c < header.size(); ++c) {
        std::string& label = columns.labels.emplace_back(TrimmedBlanks(header[c]));
        if (label.empty())
            label.append("Column ").append(std::to_string(c + 1));
    }
    return columns;
}

RowFate MapForeignRow(const std::vector<std::string>& row, const ForeignColumns& columns, AccountRecord& account,
                      std::string_view& name)
{
    AccountRecord a;
    SecretString kept; // a TOTP seed, a security answer
    bool any = false;
    for (std::size_t c = 0; c < row.size(); ++c) {
        const std::string& v = row[c];
        const ColumnRole role = columns.roles[c];
        if (role != ColumnRole::Dropped && role != ColumnRole::Kind && !blank(v))
            any = true;
        switch (role) {
        case ColumnRole::Name:
            name = v;
            break;
        case ColumnRole::Website:
            a.Website = TrimmedBlanks(v);
            break;
        case ColumnRole::UserId:
            a.UserId = v;
            break;
        case ColumnRole::Password:
            a.Password = v;
            break;
        case ColumnRole::Notes:
            a.Notes = v;
            break;
        case ColumnRole::Kind: {
            // A secure note comes in as an account of its name and notes.
            const std::string kind = LowerAscii(TrimmedBlanks(v));
            if (!kind.empty() && kind != "login" && kind != "note")
                return RowFate::OtherKind;
            break;
        }
        case ColumnRole::Kept:
            if (!v.empty()) {
                if (!kept.empty())
                    kept.append("\r\n");
                kept.append(columns.labels[c]).append(": ").append(v);
            }
            break;
        case ColumnRole::Dropped:
            break;
        }
    }
    if (!any)
        return RowFate::Empty;
    if (!kept.empty()) {
        if (!a.Notes.empty())
            a.Notes.append("\r\n");
        a.Notes.append(kept.view());
    }
    account = std::move(a);
    return RowFate::Account;
}

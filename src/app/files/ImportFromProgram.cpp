#include "app/files/ImportFromProgram.h"

#include "app/files/CsvReader.h"
#include "app/files/Utf8Text.h"
#include "base/AtomicFile.h"
#include "cipher/SecureWipe.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr int kMaxName = kImportedNameLength;
// The first accounts the preview shows.
constexpr std::size_t kPreviewRows = 10;

enum class Role { Name, Website, UserId, Password, Notes, Kind, Kept, Dropped };

struct Column
{
    const char* header; // lower case
    Role role;
};

// A program's export: the columns its first line starts with. Columns after them are read by their names,
// as in a file of named columns; those named in dropped are left out.
struct KnownLayout
{
    const char* source;
    std::vector<Column> columns;
    std::vector<const char*> dropped;
};

const std::vector<KnownLayout>& knownLayouts()
{
    static const std::vector<KnownLayout> layouts = {
        {"Bitwarden export",
         {{"folder", Role::Kept},
          {"favorite", Role::Dropped},
          {"type", Role::Kind},
          {"name", Role::Name},
          {"notes", Role::Notes},
          {"fields", Role::Kept},
          {"reprompt", Role::Dropped},
          {"login_uri", Role::Website},
          {"login_username", Role::UserId},
          {"login_password", Role::Password},
          {"login_totp", Role::Kept}},
         {}},
        {"Firefox export",
         {{"url", Role::Website},
          {"username", Role::UserId},
          {"password", Role::Password},
          {"httprealm", Role::Kept},
          {"formactionorigin", Role::Dropped},
          {"guid", Role::Dropped},
          {"timecreated", Role::Dropped},
          {"timelastused", Role::Dropped},
          {"timepasswordchanged", Role::Dropped}},
         {}},
        {"KeePassXC export",
         {{"group", Role::Kept},
          {"title", Role::Name},
          {"username", Role::UserId},
          {"password", Role::Password},
          {"url", Role::Website},
          {"notes", Role::Notes}},
         {"icon", "last modified", "created"}},
        {"Chromium browser export",
         {{"name", Role::Name}, {"url", Role::Website}, {"username", Role::UserId}, {"password", Role::Password}},
         {}},
    };
    return layouts;
}

// The names a file of named columns may use, with blanks for "_" and "-".
std::optional<Role> synonym(const std::string& name)
{
    static const std::array<std::pair<const char*, Role>, 15> names = {{
        {"name", Role::Name},
        {"title", Role::Name},
        {"account", Role::Name},
        {"url", Role::Website},
        {"website", Role::Website},
        {"login uri", Role::Website},
        {"username", Role::UserId},
        {"user", Role::UserId},
        {"login", Role::UserId},
        {"user id", Role::UserId},
        {"password", Role::Password},
        {"notes", Role::Notes},
        {"note", Role::Notes},
        {"extra", Role::Notes},
        {"comments", Role::Notes},
    }};
    for (const auto& [n, role] : names)
        if (name == n)
            return role;
    return std::nullopt;
}

const char* const kExpected =
    "Coffernote reads the password exports of Chrome, Edge and the other Chromium browsers, Firefox, KeePassXC "
    "and Bitwarden, and files whose first line names a password column and a name, website or user name column: "
    "name, title or account; url, website or login_uri; username, user, login or user id; password; notes, note, "
    "extra or comments.";

std::string trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

// Tested in place: the value may be a password, and a trimmed copy would be left unwiped.
bool blank(std::string_view s)
{
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string synonymKey(std::string s)
{
    for (char& c : s)
        if (c == '_' || c == '-')
            c = ' ';
    return s;
}

std::string counted(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string joined(const std::vector<std::string>& items, std::size_t most = 30)
{
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < most; ++i)
        out += (i ? ", " : "") + items[i];
    if (items.size() > most)
        out += ", ...";
    return out;
}

// The host of a web address: "https://user@www.example.com:8080/x" gives "www.example.com".
std::string hostOf(std::string_view url)
{
    std::string_view s = url;
    if (const auto scheme = s.find("://"); scheme != std::string_view::npos)
        s.remove_prefix(scheme + 3);
    s = s.substr(0, s.find_first_of("/?#"));
    if (const auto at = s.rfind('@'); at != std::string_view::npos)
        s.remove_prefix(at + 1);
    if (const auto colon = s.rfind(':'); colon != std::string_view::npos && s.find(']') == std::string_view::npos)
        s = s.substr(0, colon);
    return lower(trimmed(s));
}

// One line for the list: line breaks and tabs become blanks, blanks around go.
std::string oneLine(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return trimmed(out);
}

struct Layout
{
    std::string source;
    std::vector<Role> roles; // one per column
};

std::optional<Layout> recognise(const std::vector<std::string>& header)
{
    std::vector<std::string> names;
    for (const auto& h : header)
        names.push_back(lower(trimmed(h)));

    auto byName = [&](Layout& layout, std::size_t from, const std::vector<const char*>& dropped) {
        for (std::size_t i = from; i < names.size(); ++i) {
            Role role = Role::Kept;
            if (std::find_if(dropped.begin(), dropped.end(), [&](const char* d) { return names[i] == d; }) !=
                dropped.end())
                role = Role::Dropped;
            else if (auto r = synonym(synonymKey(names[i]));
                     r && std::find(layout.roles.begin(), layout.roles.end(), *r) == layout.roles.end())
                role = *r;
            layout.roles.push_back(role);
        }
    };

    for (const KnownLayout& known : knownLayouts()) {
        if (names.size() < known.columns.size())
            continue;
        bool match = true;
        for (std::size_t i = 0; i < known.columns.size() && match; ++i)
            match = names[i] == known.columns[i].header;
        if (!match)
            continue;
        Layout layout{known.source, {}};
        for (const Column& c : known.columns)
            layout.roles.push_back(c.role);
        byName(layout, known.columns.size(), known.dropped);
        return layout;
    }

    Layout layout{"Comma-separated file", {}};
    byName(layout, 0, {});
    auto has = [&](Role r) { return std::find(layout.roles.begin(), layout.roles.end(), r) != layout.roles.end(); };
    if (has(Role::Password) && (has(Role::Name) || has(Role::Website) || has(Role::UserId)))
        return layout;
    return std::nullopt;
}

ForeignResult failure(std::string message)
{
    return {Result::failed(std::move(message))};
}

ForeignResult readAccounts(std::string_view bytes)
{
    CsvResult csv = ReadCsv(bytes);
    if (!csv.result.isOk())
        return failure(csv.result.message());
    const auto& rows = csv.value.rows;
    if (rows.empty())
        return failure("The file is empty: it names no columns and holds no accounts.");

    const std::vector<std::string>& header = rows[0];
    const std::optional<Layout> layout = recognise(header);
    if (!layout) {
        std::vector<std::string> found;
        for (const auto& h : header)
            found.push_back(trimmed(h));
        return failure("Coffernote does not recognise the columns of this file. Its first line names: " +
                       joined(found) + ".\r\n" + kExpected);
    }

    // How the notes and the preview name each column; one without a name by its place.
    std::vector<std::string> labels;
    for (std::size_t c = 0; c < header.size(); ++c) {
        labels.push_back(trimmed(header[c]));
        if (labels.back().empty())
            labels.back() = "Column " + std::to_string(c + 1);
    }

    ForeignAccounts out;
    out.source = layout->source;
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (layout->roles[c] == Role::Kept)
            out.keptColumns.push_back(labels[c]);
        else if (layout->roles[c] == Role::Dropped)
            out.droppedColumns.push_back(labels[c]);
    }

    const bool endsWithLineEnd = !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
    int unnamed = 0;
    out.accounts.reserve(rows.size() - 1);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& row = rows[r];
        const int line = csv.value.lines[r];
        if (row.size() != header.size()) {
            const std::string where = "Line " + std::to_string(line) + ": ";
            if (r + 1 == rows.size() && !endsWithLineEnd && row.size() < header.size())
                return failure(where + "the last row holds " + std::to_string(row.size()) + " of the " +
                               std::to_string(header.size()) +
                               " values the first line names: the file may have been cut short.");
            return failure(where + "the row holds " + counted(row.size(), "value", "values") +
                           ", but the first line names " + counted(header.size(), "column.", "columns."));
        }
        AccountRecord a;
        std::string name, kept;
        bool any = false, otherKind = false;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string& v = row[c];
            const Role role = layout->roles[c];
            if (role != Role::Dropped && role != Role::Kind && !blank(v))
                any = true;
            switch (role) {
            case Role::Name:
                name = oneLine(v);
                break;
            case Role::Website:
                a.Website = trimmed(v);
                break;
            case Role::UserId:
                a.UserId = v;
                break;
            case Role::Password:
                a.Password = v;
                break;
            case Role::Notes:
                a.Notes = v;
                break;
            case Role::Kind:
                otherKind = !trimmed(v).empty() && lower(trimmed(v)) != "login";
                break;
            case Role::Kept:
                if (!v.empty()) {
                    if (!kept.empty())
                        kept += "\r\n";
                    kept += labels[c] + ": " + v;
                }
                break;
            case Role::Dropped:
                break;
            }
        }
        if (otherKind) {
            ++out.otherKinds;
            wipe(kept);
            continue;
        }
        if (!any) {
            ++out.emptyRows;
            continue;
        }
        if (!kept.empty()) {
            if (!a.Notes.empty())
                a.Notes.append("\r\n");
            a.Notes.append(kept);
            wipe(kept);
        }
        if (name.empty())
            name = oneLine(hostOf(a.Website));
        if (name.empty())
            name = "Imported " + std::to_string(++unnamed);
        a.AccountName = CutToUtf16(name, kMaxName);
        out.accounts.push_back(std::move(a));
    }
    return {Result::ok(), std::move(out)};
}

// "Name (k)" cut so that it fits the list.
std::string numbered(const std::string& name, int k)
{
    const std::string suffix = " (" + std::to_string(k) + ")";
    return CutToUtf16(name, kMaxName - Utf16Length(suffix)) + suffix;
}

std::unordered_set<std::string> tableNames(const AccountTable& table, std::size_t extra)
{
    std::unordered_set<std::string> names;
    names.reserve(table.size() + extra);
    for (const AccountRecord& r : table)
        names.insert(r.AccountName);
    return names;
}

std::string grouped(std::size_t n)
{
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

} // namespace

ForeignResult ReadForeignExport(std::string_view bytes)
{
    try {
        return readAccounts(bytes);
    } catch (const std::bad_alloc&) {
        return failure("It is too large to import.");
    }
}

ForeignResult ReadForeignExportFile(const std::string& path)
{
    Outcome<std::string> read = ReadWholeFile(path);
    if (!read.result.isOk()) {
        // The message already names the file: said as a sentence about it, as the other failures are.
        std::string why = read.result.message();
        const std::pair<const char*, const char*> said[] = {{"cannot read ", "It could not be read: "},
                                                            {"cannot open ", "It could not be opened: "}};
        for (const auto& [verb, sentence] : said) {
            const std::string prefix = verb + path + ": ";
            if (why.rfind(prefix, 0) == 0) {
                why = sentence + why.substr(prefix.size());
                break;
            }
        }
        return failure(why + (why.back() == '.' ? "" : "."));
    }
    ForeignResult parsed = ReadForeignExport(read.value);
    wipe(read.value);
    return parsed;
}

int CountExistingNames(const ForeignAccounts& read, const AccountTable& table)
{
    auto names = tableNames(table, read.accounts.size());
    int existing = 0;
    for (const AccountRecord& a : read.accounts)
        if (!names.insert(a.AccountName).second)
            ++existing;
    return existing;
}

ImportPreview MakeImportPreview(const ForeignAccounts& read, const AccountTable& table)
{
    ImportPreview p;
    p.existingNames = CountExistingNames(read, table);
    p.summary = read.source + ": " + counted(read.accounts.size(), "account.", "accounts.");
    if (read.otherKinds > 0)
        p.summary += "\nSkipped: " + counted(static_cast<std::size_t>(read.otherKinds), "row", "rows") +
                     " of other kinds than logins (notes, cards, identities).";
    if (read.emptyRows > 0)
        p.summary += "\nSkipped: " + counted(static_cast<std::size_t>(read.emptyRows), "empty row.", "empty rows.");
    if (!read.keptColumns.empty())
        p.summary += "\nAdded to the notes as \"Column: value\" lines: " + joined(read.keptColumns) + ".";
    if (!read.droppedColumns.empty())
        p.summary += "\nNot imported: the columns " + joined(read.droppedColumns) + ".";
    if (p.existingNames > 0)
        p.summary +=
            "\n" + counted(static_cast<std::size_t>(p.existingNames), "account has a name that already exists.",
                           "accounts have names that already exist.");
    for (std::size_t i = 0; i < read.accounts.size() && i < kPreviewRows; ++i) {
        const AccountRecord& a = read.accounts[i];
        p.firstRows.push_back({a.AccountName, a.Website, std::string(a.UserId.view())});
    }
    return p;
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
        out.result = Result::failed("Coffernote keeps at most " + grouped(most) + " accounts. You have " +
                                    grouped(have) + ", and the file would add " + grouped(adding) + ".");
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
            while (!names.insert(numbered(name, k)).second)
                ++k;
            name = numbered(name, k++);
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

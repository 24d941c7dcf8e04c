#include "app/files/ImportFromProgram.h"

#include "app/files/CsvReader.h"
#include "app/files/ExportLayouts.h"
#include "app/files/ListedNames.h"
#include "app/files/Utf8Text.h"
#include "base/AtomicFile.h"
#include "cipher/SecureWipe.h"

#include <algorithm>
#include <new>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr int kMaxName = kImportedNameLength;
// The first accounts the preview shows.
constexpr std::size_t kPreviewRows = 10;

const char* const kExpected =
    "Coffernote reads the password exports of Chrome, Edge and the other Chromium browsers, Firefox, KeePassXC "
    "and Bitwarden, and files whose first line names a password column and a name, website or user name column: "
    "name, title or account; url, website or login_uri; username, user, login or user id; password; notes, note, "
    "extra or comments.";

// Tested in place: the value may be a password, and a trimmed copy would be left unwiped.
bool blank(std::string_view s)
{
    return s.find_first_not_of(" \t") == std::string_view::npos;
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
    return LowerAscii(TrimmedBlanks(s));
}

// One line for the list: line breaks and tabs become blanks, blanks around go.
std::string oneLine(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return TrimmedBlanks(out);
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
    const std::optional<ExportLayout> layout = RecogniseExportLayout(header);
    if (!layout) {
        std::vector<std::string> found;
        for (const auto& h : header)
            found.push_back(TrimmedBlanks(h));
        return failure("Coffernote does not recognise the columns of this file. Its first line names: " +
                       joined(found) + ".\r\n" + kExpected);
    }

    // How the notes and the preview name each column; one without a name by its place.
    std::vector<std::string> labels;
    for (std::size_t c = 0; c < header.size(); ++c) {
        labels.push_back(TrimmedBlanks(header[c]));
        if (labels.back().empty())
            labels.back() = "Column " + std::to_string(c + 1);
    }

    ForeignAccounts out;
    out.source = layout->source;
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (layout->roles[c] == ColumnRole::Kept)
            out.keptColumns.push_back(labels[c]);
        else if (layout->roles[c] == ColumnRole::Dropped)
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
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (row[c].size() > kMaxImportedValueBytes)
                return failure("Line " + std::to_string(line) + ": the " + labels[c] + " value holds " +
                               GroupedDigits(row[c].size()) + " bytes, more than the " +
                               GroupedDigits(kMaxImportedValueBytes) +
                               " bytes (64 KiB) Coffernote takes in one value. Shorten it or leave that row out, "
                               "and import the file again.");
        }
        AccountRecord a;
        std::string name, kept;
        bool any = false, otherKind = false;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string& v = row[c];
            const ColumnRole role = layout->roles[c];
            if (role != ColumnRole::Dropped && role != ColumnRole::Kind && !blank(v))
                any = true;
            switch (role) {
            case ColumnRole::Name:
                name = oneLine(v);
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
                otherKind = !kind.empty() && kind != "login" && kind != "note";
                break;
            }
            case ColumnRole::Kept:
                if (!v.empty()) {
                    if (!kept.empty())
                        kept += "\r\n";
                    kept += labels[c] + ": " + v;
                }
                break;
            case ColumnRole::Dropped:
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
        if (Utf16Length(name) > kMaxName)
            ++out.cutNames;
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

ImportPreview MakeImportPreview(const ForeignAccounts& read, const AccountTable& table)
{
    ImportPreview p;
    p.existingNames = CountExistingNames(read, table);
    p.summary = read.source + ": " + counted(read.accounts.size(), "account.", "accounts.");
    if (read.otherKinds > 0)
        p.summary += "\nSkipped: " + counted(static_cast<std::size_t>(read.otherKinds), "row", "rows") +
                     " of other kinds than logins and secure notes (cards, identities).";
    if (read.emptyRows > 0)
        p.summary += "\nSkipped: " + counted(static_cast<std::size_t>(read.emptyRows), "empty row.", "empty rows.");
    if (!read.keptColumns.empty())
        p.summary += "\nAdded to the notes as \"Column: value\" lines: " + joined(read.keptColumns) + ".";
    if (!read.droppedColumns.empty())
        p.summary += "\nNot imported: the columns " + joined(read.droppedColumns) + ".";
    if (read.cutNames > 0)
        p.summary += "\n" + counted(static_cast<std::size_t>(read.cutNames), "name was", "names were") +
                     " longer than " + std::to_string(kMaxName) + " characters and " +
                     (read.cutNames == 1 ? "was" : "were") + " cut.";
    if (p.existingNames > 0)
        p.summary += "\n" +
                     counted(static_cast<std::size_t>(p.existingNames),
                             "account has a name that already exists: ", "accounts have names that already exist: ") +
                     ListedNames(ExistingNamesOf(read, table)) + ".";
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
        out.result = Result::failed("Coffernote keeps at most " + GroupedDigits(most) + " accounts. You have " +
                                    GroupedDigits(have) + ", and the file would add " + GroupedDigits(adding) + ".");
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

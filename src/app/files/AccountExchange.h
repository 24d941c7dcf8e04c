#pragma once

#include "app/files/AccountRecord.h"
#include "base/Result.h"

#include <string>
#include <string_view>
#include <vector>

struct Login;

// The clear-text exchange format: one line per account, five values in double quotes separated by single
// commas, CR LF after each line. Values are UTF-8 and written unchanged, except that a double quote inside a
// value is written as two (""), so every value reads back as it was.

// The exchanged fields in their order in the file; RecordNo is not exchanged. The fields differ in type (the
// secrets wipe themselves), so field i of r is handed to visit, which returns the same type for all five.
inline constexpr std::size_t kExchangedFieldCount = 5;
template <class Record, class Visit> decltype(auto) VisitExchangedField(Record& r, std::size_t i, Visit&& visit)
{
    switch (i) {
    case 0:
        return visit(r.AccountName);
    case 1:
        return visit(r.Website);
    case 2:
        return visit(r.Notes);
    case 3:
        return visit(r.UserId);
    default:
        return visit(r.Password);
    }
}

// Every account of the table (the header record at index 0 is skipped). A header-only table gives "".
std::string FormatExport(const AccountTable& table);

// Writes FormatExport(table) to a new file readable by its owner only, beside path, flushed to disk, and only
// then puts it in place of path. On failure the message names the file and the reason, and path is as it was:
// an existing file stays whole, a folder, link, device or read-only file is never replaced. inPlace, when given,
// is set when the file is in place, whole, and only its folder could not be flushed (the message says so).
Result WriteExportFile(const std::string& path, const AccountTable& table, bool* inPlace = nullptr);

// What an import file holds. Only a success carries accounts; a failure says what is wrong, as a sentence that
// does not name the file (the caller does), and tells two cases apart: missing (the chosen file does not exist)
// and, for a file that was read but is not a whole number of well-formed accounts, line: where, counted from 1,
// also named in the sentence. Any other failure is a file that exists but could not be read.
struct ImportedAccounts
{
    std::vector<AccountRecord> accounts; // RecordNo left 0; BuildImportedTable numbers them
    bool missing = false;
    int line = 0;
};
using ImportResult = Outcome<ImportedAccounts>;

// Parses the bytes of an import file. The rules:
// - A UTF-8 byte-order mark at the very start is skipped; the rest must be valid UTF-8.
// - Each line holds one account: five values separated by commas, in the order Export writes them. Lines end
//   with CR LF, a lone LF or a lone CR. A line of more or fewer values is refused, naming it: such a file was
//   written by something else, and its values read five at a time would land in the wrong boxes.
// - A first line that names the columns of another program's export (as Import from Another Program recognises
//   them) is refused, naming the program (line 0: the whole file is of another kind).
// - A value that begins with a double quote runs to the next lone double quote, commas and line breaks
//   included; two double quotes inside it stand for one. After its closing quote only a comma, a line end or
//   the end of the file may follow. Blanks and tabs around a quoted value are ignored.
// - Any other value runs, unchanged, to the next comma or line end.
// - A line that is empty or holds only blanks and tabs carries no value: blank lines between accounts and
//   at the end of the file add nothing. An empty value is written as "" or left between two commas.
// - The file must hold a whole number of accounts (an empty file holds none), at most kMaxRecords - 1.
// Never throws on any input.
ImportResult ParseImport(std::string_view bytes);

// Reads the whole file and parses it. A missing file is told apart from one that cannot be read, so the caller
// can treat the two differently.
ImportResult ReadImportFile(const std::string& path);

// The table an import leaves: the header from the current login settings, then the accounts numbered 1..n.
// accounts must hold at most kMaxRecords - 1 entries (ParseImport guarantees it).
AccountTable BuildImportedTable(const Login& login, std::vector<AccountRecord> accounts);

// Why a table an import would leave cannot be stored, as sentences about the file ("Its accounts cannot be
// stored: the account file would be ... bytes, larger than 256 MB, the most Coffernote reads. ..."); empty when
// the account file it makes is one the load reads back. Checked before an import changes anything.
std::string ImportedTableTooLarge(const Login& login, const AccountTable& table);

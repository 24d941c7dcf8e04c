#pragma once

#include "app/files/AccountRecord.h"
#include "app/files/ImportedNames.h"
#include "base/Result.h"

#include <string>
#include <string_view>
#include <vector>

// The password exports of browsers and other password keepers, read into accounts. The file's first line names
// its columns; from them the program that wrote it is recognised: Chrome, Edge and the other Chromium browsers
// (name,url,username,password[,note]), Firefox, KeePassXC and Bitwarden, or any file whose first line names a
// password column and a name, website or user name column, in any order, from a small set of synonyms.

// The most bytes a value of the file may hold: far beyond any password, user name or note. A larger one is a
// damaged or foreign file, whose accounts would make an account file the program cannot read back.
inline constexpr std::size_t kMaxImportedValueBytes = 64 * 1024;

// The accounts of such a file, before they meet the table.
struct ForeignAccounts
{
    std::string source;                      // what wrote the file, as the preview names it: "Firefox export"
    std::vector<AccountRecord> accounts;     // in file order; RecordNo 0
    int otherKinds = 0;                      // rows of other kinds (cards, identities), skipped
    int emptyRows = 0;                       // rows without any value, skipped
    int cutNames = 0;                        // names longer than kImportedNameLength, cut
    std::vector<std::string> keptColumns;    // columns added to the notes as "Column: value" lines
    std::vector<std::string> droppedColumns; // columns not imported
};
using ForeignResult = Outcome<ForeignAccounts>;

// What becomes of a row:
// - the account name: the name or title, else the website's host, else "Imported 1", "Imported 2", ...; blanks
//   around it go, line breaks and tabs become blanks, and it is cut to the 50 characters the list takes;
// - the website, user ID, password and notes as they stand; the values of the other kept columns follow the notes,
//   one "Column: value" line each (CR LF between lines).
// A failure says what is wrong without naming the file: an empty file, columns not recognised (naming those found
// and those expected), a row with more or fewer values than the first line names (a last row cut short says so),
// a value of more than kMaxImportedValueBytes (naming its line), or text that is not well-formed.
ForeignResult ReadForeignExport(std::string_view bytes);

// Reads the file (bounded, as every file the program reads) and then its accounts.
ForeignResult ReadForeignExportFile(const std::string& path);

// A password export from another program comes from anywhere.
#include "FuzzTargets.h"

#include "app/files/CsvReader.h"
#include "app/files/ImportFromProgram.h"
#include "app/files/Utf8Text.h"

#include <string>
#include <string_view>

namespace {

// The rows written back the common way, every value quoted.
std::string Written(const CsvRows& csv)
{
    std::string out;
    for (const auto& row : csv.rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            out += i ? ",\"" : "\"";
            for (char c : row[i])
                out += c == '"' ? std::string("\"\"") : std::string(1, c);
            out += '"';
        }
        out += "\r\n";
    }
    return out;
}

} // namespace

int FuzzCsv(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const CsvResult csv = ReadCsv(bytes);
    if (!csv.result.isOk()) {
        FuzzCheck(csv.value.rows.empty() && csv.result.message().rfind("Line ", 0) == 0,
                  "refused text carries no row and names its line");
    } else {
        FuzzCheck(csv.value.rows.size() == csv.value.lines.size(), "each row knows its line");
        const CsvResult back = ReadCsv(Written(csv.value));
        FuzzCheck(back.result.isOk() && back.value.rows == csv.value.rows, "rows written back read the same");
    }

    const ForeignResult read = ReadForeignExport(bytes);
    if (!read.result.isOk()) {
        FuzzCheck(read.value.accounts.empty() && !read.result.message().empty(),
                  "a refused file carries no account and a reason");
        return 0;
    }
    FuzzCheck(csv.result.isOk(), "only well-formed text gives accounts");
    for (const AccountRecord& a : read.value.accounts) {
        const std::string& name = a.AccountName;
        FuzzCheck(!name.empty() && Utf16Length(name) <= 50 && FirstInvalidUtf8(name) == std::string_view::npos &&
                      name.find_first_of("\r\n\t") == std::string::npos,
                  "every name is one line the list takes, cut between characters");
    }
    return 0;
}

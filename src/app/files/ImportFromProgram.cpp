#include "app/files/ImportFromProgram.h"

#include "app/files/CsvReader.h"
#include "app/files/ExportLayouts.h"
#include "app/files/ForeignRow.h"
#include "app/files/Utf8Text.h"
#include "base/AtomicFile.h"
#include "cipher/SecureWipe.h"

#include <new>
#include <optional>

namespace {

const char* const kExpected =
    "Coffernote reads the password exports of Chrome, Edge and the other Chromium browsers, Firefox, KeePassXC "
    "and Bitwarden, and files whose first line names a password column and a name, website or user name column: "
    "name, title or account; url, website or login_uri; username, user, login or user id; password; notes, note, "
    "extra or comments.";

ForeignResult failure(std::string message)
{
    return {Result::failed(std::move(message))};
}

// "Line 7: " and what is wrong.
ForeignResult lineFailure(int line, std::initializer_list<std::string_view> parts)
{
    std::string message = "Line ";
    message.append(std::to_string(line)).append(": ");
    for (std::string_view part : parts)
        message.append(part);
    return failure(std::move(message));
}

std::string counted(std::size_t n, const char* one, const char* many)
{
    std::string out = std::to_string(n);
    return out.append(" ").append(n == 1 ? one : many);
}

ForeignResult unrecognised(const std::vector<std::string>& header)
{
    std::string message = "Coffernote does not recognise the columns of this file. Its first line names: ";
    constexpr std::size_t kMostNamed = 30;
    for (std::size_t i = 0; i < header.size() && i < kMostNamed; ++i)
        message.append(i ? ", " : "").append(TrimmedBlanks(header[i]));
    if (header.size() > kMostNamed)
        message.append(", ...");
    return failure(message.append(".\r\n").append(kExpected));
}

// A row of another width than the header's: a last row cut short says so.
ForeignResult wrongWidth(int line, std::size_t values, std::size_t columns, bool cutShort)
{
    if (cutShort)
        return lineFailure(line, {"the last row holds ", std::to_string(values), " of the ", std::to_string(columns),
                                  " values the first line names: the file may have been cut short."});
    return lineFailure(line, {"the row holds ", counted(values, "value", "values"), ", but the first line names ",
                              counted(columns, "column.", "columns.")});
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
    if (!layout)
        return unrecognised(header);
    const ForeignColumns columns = NameColumns(header, *layout);

    ForeignAccounts out;
    out.source = layout->source;
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (columns.roles[c] == ColumnRole::Kept)
            out.keptColumns.push_back(columns.labels[c]);
        else if (columns.roles[c] == ColumnRole::Dropped)
            out.droppedColumns.push_back(columns.labels[c]);
    }

    const bool endsWithLineEnd = !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
    int unnamed = 0;
    out.accounts.reserve(rows.size() - 1);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& row = rows[r];
        const int line = csv.value.lines[r];
        if (row.size() != header.size())
            return wrongWidth(line, row.size(), header.size(),
                              r + 1 == rows.size() && !endsWithLineEnd && row.size() < header.size());
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (row[c].size() > kMaxImportedValueBytes)
                return lineFailure(line, {"the ", columns.labels[c], " value holds ", GroupedDigits(row[c].size()),
                                          " bytes, more than the ", GroupedDigits(kMaxImportedValueBytes),
                                          " bytes (64 KiB) Coffernote takes in one value. Shorten it or leave that "
                                          "row out, and import the file again."});
        }
        AccountRecord a;
        std::string_view name;
        const RowFate fate = MapForeignRow(row, columns, a, name);
        if (fate == RowFate::OtherKind) {
            ++out.otherKinds;
            continue;
        }
        if (fate == RowFate::Empty) {
            ++out.emptyRows;
            continue;
        }
        bool cut = false;
        a.AccountName = ImportedName(name, a.Website, unnamed, cut);
        out.cutNames += cut ? 1 : 0;
        out.accounts.push_back(std::move(a));
    }
    return {Result::ok(), std::move(out)};
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
            std::string prefix = verb;
            prefix.append(path).append(": ");
            if (why.rfind(prefix, 0) == 0) {
                why = std::string(sentence).append(why, prefix.size());
                break;
            }
        }
        return failure(why.back() == '.' ? why : why.append("."));
    }
    ForeignResult parsed = ReadForeignExport(read.value);
    wipe(read.value);
    return parsed;
}

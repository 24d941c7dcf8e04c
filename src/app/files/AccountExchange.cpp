#include "app/files/AccountExchange.h"

#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/CsvReader.h"
#include "app/files/ExportLayouts.h"
#include "base/AtomicFile.h"
#include "cipher/SecureWipe.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <new>
#include <system_error>

namespace {

constexpr std::size_t kFieldsPerAccount = 5;
constexpr std::size_t kMaxAccounts = kMaxRecords - 1; // the header takes one record

static_assert(kExchangedFieldCount == kFieldsPerAccount);

std::string Reason(int err)
{
    return err != 0 ? std::string(std::strerror(err)) : std::string("unknown error");
}

std::string valuesText(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " value" : " values");
}

ImportResult Failure(std::string message, int line = 0)
{
    ImportResult r{Result::failed(std::move(message))};
    r.value.line = line;
    return r;
}

ImportResult WrongCount(int line, std::size_t values)
{
    std::string message = "Line ";
    message.append(std::to_string(line))
        .append(" holds ")
        .append(valuesText(values))
        .append(", but each line of a Coffernote export holds five: name, website, notes, user ID and password.");
    return Failure(std::move(message), line);
}

// When the first row names the columns of another program's export (as Import from Another Program recognises
// them), what the file is, as a sentence; else "". A file of named columns counts only when each of its first
// values names a column, so that an account of the user's own is never taken for a header. first is a copy of the
// reader on the first row, so that the import itself reads on from there.
std::string ForeignExport(CsvReader first)
{
    std::vector<std::string> values;
    values.reserve(std::min<std::size_t>(first.width(), 64)); // a grown vector would leave unwiped copies
    bool whole = true;
    while (whole && values.size() < 64 && first.hasValue())
        whole = first.readValue(values.emplace_back());
    std::string said;
    if (const auto layout = whole ? RecogniseExportLayout(values) : std::nullopt) {
        const auto& roles = layout->roles;
        const bool allNamed = std::none_of(roles.begin(), roles.end(), [](ColumnRole r) {
            return r == ColumnRole::Kept || r == ColumnRole::Dropped || r == ColumnRole::Kind;
        });
        std::string names;
        for (const std::string& v : values)
            names.append(names.empty() ? "" : ", ").append(TrimmedBlanks(v));
        const char* const use = " Use File > Import from Another Program to add its accounts.";
        if (layout->namedProgram)
            said.append("This file is a ").append(layout->source).append(", not a Coffernote export.").append(use);
        else if (allNamed)
            said.append("This file is not a Coffernote export: its first line names columns (")
                .append(names)
                .append("), as the exports of other programs do.")
                .append(use);
    }
    for (std::string& v : values)
        wipe(v);
    return said;
}

ImportResult Parse(std::string_view bytes)
{
    CsvReader reader(bytes, CsvDialect::Exchange);
    bool row = reader.nextRow();
    if (row) {
        if (std::string foreign = ForeignExport(reader); !foreign.empty())
            return Failure(std::move(foreign)); // a whole file of another kind, not a malformed line (line 0)
    }
    ImportResult r;
    std::vector<AccountRecord>& accounts = r.value.accounts;
    for (; row; row = reader.nextRow()) {
        if (accounts.size() == kMaxAccounts)
            return Failure("The file holds more than " + std::to_string(kMaxAccounts) +
                               " accounts, more than can be stored; the first one that does not fit starts on line " +
                               std::to_string(reader.line()) + ".",
                           reader.line());
        // Each line holds one account: a sixth value or a line end before the fifth is another file's layout,
        // never read five at a time across lines. The values past the fifth are only counted.
        AccountRecord account;
        std::size_t values = 0;
        for (; reader.hasValue(); ++values) {
            const bool read =
                values < kFieldsPerAccount
                    ? VisitExchangedField(account, values, [&](auto& out) { return reader.readValue(out); })
                    : reader.skipValue();
            if (!read)
                return Failure(reader.result().message(), reader.failedLine());
        }
        if (values != kFieldsPerAccount)
            return WrongCount(reader.line(), values);
        accounts.push_back(std::move(account));
    }
    if (!reader.result().isOk())
        return Failure(reader.result().message(), reader.failedLine());
    return r;
}

} // namespace

ImportResult ParseImport(std::string_view bytes)
{
    try {
        return Parse(bytes);
    } catch (const std::bad_alloc&) {
        return Failure("It is too large to import.");
    }
}

ImportResult ReadImportFile(const std::string& path)
{
    std::error_code ec;
    const auto st = std::filesystem::status(path, ec);
    if (st.type() == std::filesystem::file_type::not_found) {
        ImportResult missing = Failure("The file does not exist.");
        missing.value.missing = true;
        return missing;
    }
    if (std::filesystem::is_directory(st)) {
        return Failure("It is a folder, not a file.");
    }
    // Never opened: a pipe would wait for a writer, and a device may never end.
    if (!std::filesystem::is_regular_file(st)) {
        return Failure("It is not a regular file (a pipe, a device or a socket).");
    }
    if (std::filesystem::file_size(path, ec) > FileSizeBound() && !ec) {
        return Failure("It is larger than " + FileSizeBoundText() + ", the most Coffernote reads.");
    }

    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return Failure("It could not be read: " + Reason(errno) + ".");
    }
    // Read straight into one buffer that grows in large steps, so few stale copies of the clear text are
    // left behind in freed memory; the buffer is wiped once parsed.
    std::string bytes;
    bool readFailed = false;
    int err = 0;
    try {
        const auto size = std::filesystem::file_size(path, ec);
        std::size_t used = 0;
        bytes.resize(ec ? std::size_t{65536} : static_cast<std::size_t>(size) + 1);
        for (;;) {
            errno = 0;
            used += std::fread(bytes.data() + used, 1, bytes.size() - used, f);
            if (used < bytes.size()) {
                if (std::ferror(f)) {
                    readFailed = true;
                    err = errno;
                }
                break;
            }
            std::string bigger(bytes.size() * 2, '\0');
            std::memcpy(bigger.data(), bytes.data(), used);
            wipe(bytes);
            bytes.swap(bigger);
        }
        bytes.resize(used);
    } catch (const std::bad_alloc&) {
        std::fclose(f);
        wipe(bytes);
        return Failure("It is too large to import.");
    }
    std::fclose(f);
    if (readFailed) {
        wipe(bytes);
        return Failure("It could not be read: " + Reason(err) + ".");
    }
    ImportResult parsed = ParseImport(bytes);
    wipe(bytes);
    return parsed;
}

AccountTable BuildImportedTable(const Login& login, std::vector<AccountRecord> accounts)
{
    AccountTable table;
    table.reserve(accounts.size() + 1);
    table.push_back(MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2));
    for (auto& a : accounts) {
        a.RecordNo = static_cast<std::int16_t>(table.size());
        table.push_back(std::move(a));
    }
    return table;
}

std::string ImportedTableTooLarge(const Login& login, const AccountTable& table)
{
    const std::string tooLarge = AccountFileTooLarge(AccountFileLength(login, table));
    if (tooLarge.empty())
        return {};
    return "Its accounts cannot be stored: " + tooLarge +
           ". Shorten the longest notes or passwords in it, or import fewer accounts.";
}

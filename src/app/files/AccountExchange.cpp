#include "app/files/AccountExchange.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/Characters.h"
#include "app/files/ExportLayouts.h"
#include "app/files/Utf8Text.h"
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

// The 1-based line that holds offset: CR LF, a lone LF and a lone CR each end a line.
int LineAt(std::string_view s, std::size_t offset)
{
    int line = 1;
    for (std::size_t i = 0; i < offset && i < s.size(); ++i) {
        if (s[i] == '\n' || (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n')))
            ++line;
    }
    return line;
}

class ImportParser
{
public:
    explicit ImportParser(std::string_view bytes) : s_(bytes) {}

    ImportResult run()
    {
        ImportResult r;
        if (s_.substr(0, 3) == "\xEF\xBB\xBF")
            pos_ = 3;
        if (std::size_t bad = FirstInvalidUtf8(s_.substr(pos_)); bad != std::string_view::npos)
            return fail("Line " + std::to_string(LineAt(s_, pos_ + bad)) + ": the text is not valid UTF-8.",
                        LineAt(s_, pos_ + bad));
        if (std::string foreign = foreignExport(); !foreign.empty())
            return fail(std::move(foreign), 0); // a whole file of another kind, not a malformed line

        AccountRecord current;
        std::size_t field = 0;   // the next field of current
        int accountLine = 1;     // where current starts
        bool afterComma = false; // a comma promises one more value, even at the end of the file
        for (;;) {
            if (!afterComma) {
                skipBlankLines();
                if (pos_ >= s_.size())
                    break;
            }
            if (field == 0) {
                accountLine = line_;
                if (accounts_.size() == kMaxAccounts)
                    return fail("The file holds more than " + std::to_string(kMaxAccounts) +
                                    " accounts, more than can be stored; the first one that does not fit starts "
                                    "on line " +
                                    std::to_string(line_) + ".",
                                line_);
            }
            if (!VisitExchangedField(current, field, [this](auto& out) { return readValue(out); }))
                return std::move(result_);
            if (++field == kFieldsPerAccount) {
                accounts_.push_back(std::move(current));
                current = AccountRecord{};
                field = 0;
            }
            // The separator after the value: each line holds one account, so a sixth value or a line end
            // before the fifth is another file's layout, never read five at a time across lines.
            if (pos_ >= s_.size())
                break;
            if (s_[pos_] == ',') {
                if (field == 0)
                    return tooManyValues(accountLine);
                ++pos_;
                afterComma = true;
            } else {
                if (field != 0)
                    return wrongCount(accountLine, field);
                skipLineEnd();
                afterComma = false;
            }
        }
        if (field != 0)
            return wrongCount(accountLine, field);
        r.value.accounts = std::move(accounts_);
        return r;
    }

private:
    ImportResult wrongCount(int line, std::size_t values)
    {
        return fail("Line " + std::to_string(line) + " holds " + valuesText(values) +
                        ", but each line of a Coffernote export holds five: name, website, notes, user ID and "
                        "password.",
                    line);
    }

    // Counts the rest of the line's values for the message; pos_ is on the comma after the fifth.
    ImportResult tooManyValues(int line)
    {
        std::size_t values = kFieldsPerAccount;
        std::string rest;
        while (pos_ < s_.size() && s_[pos_] == ',') {
            ++pos_;
            if (!readValue(rest)) {
                wipe(rest);
                return std::move(result_);
            }
            ++values;
        }
        wipe(rest);
        return wrongCount(line, values);
    }

    // When the first line names the columns of another program's export (as Import from Another Program
    // recognises them), what the file is, as a sentence; else "". A file of named columns counts only when each
    // of its first values names a column, so that an account of the user's own is never taken for a header.
    std::string foreignExport()
    {
        const std::size_t start = pos_;
        const int startLine = line_;
        std::vector<std::string> first;
        skipBlankLines();
        bool whole = pos_ < s_.size();
        while (whole && first.size() < 64) {
            first.emplace_back();
            whole = readValue(first.back());
            if (pos_ >= s_.size() || s_[pos_] != ',')
                break;
            ++pos_;
        }
        pos_ = start;
        line_ = startLine;
        result_ = ImportResult{};
        std::string said;
        if (const auto layout = whole ? RecogniseExportLayout(first) : std::nullopt) {
            const auto& roles = layout->roles;
            const bool allNamed = std::none_of(roles.begin(), roles.end(), [](ColumnRole r) {
                return r == ColumnRole::Kept || r == ColumnRole::Dropped || r == ColumnRole::Kind;
            });
            std::string names;
            for (const std::string& v : first)
                names += (names.empty() ? "" : ", ") + TrimmedBlanks(v);
            if (layout->namedProgram)
                said = "This file is a " + layout->source +
                       ", not a Coffernote export. Use File > Import from Another Program to add its accounts.";
            else if (allNamed)
                said = "This file is not a Coffernote export: its first line names columns (" + names +
                       "), as the exports of other programs do. Use File > Import from Another Program to add "
                       "its accounts.";
        }
        for (std::string& v : first)
            wipe(v);
        return said;
    }

    bool atLineEnd() const { return pos_ < s_.size() && (s_[pos_] == '\r' || s_[pos_] == '\n'); }

    void skipLineEnd()
    {
        if (s_[pos_] == '\r' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n')
            ++pos_;
        ++pos_;
        ++line_;
    }

    // Lines that are empty or hold only blanks and tabs carry no value.
    void skipBlankLines()
    {
        for (;;) {
            std::size_t p = pos_;
            while (p < s_.size() && isBlank(s_[p]))
                ++p;
            if (p >= s_.size()) {
                pos_ = p;
                return;
            }
            if (s_[p] != '\r' && s_[p] != '\n')
                return;
            pos_ = p;
            skipLineEnd();
        }
    }

    // Reads one value and leaves pos_ on its separator (a comma, a line end or the end of the file).
    template <class Text> bool readValue(Text& out)
    {
        std::size_t p = pos_;
        while (p < s_.size() && isBlank(s_[p]))
            ++p;
        if (p < s_.size() && s_[p] == '"') {
            const int openLine = line_;
            // Two double quotes inside the value stand for one; a lone one closes it.
            out.clear();
            std::size_t from = p + 1;
            std::size_t close;
            for (;;) {
                close = s_.find('"', from);
                if (close == std::string_view::npos) {
                    setFailure("Line " + std::to_string(openLine) +
                                   ": a value starts with a double quote that is never closed; the file ends "
                                   "inside it.",
                               openLine);
                    return false;
                }
                if (close + 1 >= s_.size() || s_[close + 1] != '"')
                    break;
                out.append(s_.substr(from, close + 1 - from));
                from = close + 2;
            }
            out.append(s_.substr(from, close - from));
            line_ += LineAt(std::string_view(out.data(), out.size()), out.size()) - 1; // line breaks inside the value
            pos_ = close + 1;
            while (pos_ < s_.size() && isBlank(s_[pos_]))
                ++pos_;
            if (pos_ < s_.size() && s_[pos_] != ',' && !atLineEnd()) {
                setFailure("Line " + std::to_string(line_) +
                               ": there is text after the closing double quote of a value; values must be separated "
                               "by commas or line ends.",
                           line_);
                return false;
            }
            return true;
        }
        std::size_t end = pos_;
        while (end < s_.size() && s_[end] != ',' && s_[end] != '\r' && s_[end] != '\n')
            ++end;
        out.assign(s_.substr(pos_, end - pos_));
        pos_ = end;
        return true;
    }

    // Records the failure for run() to return; readValue reports it by returning false.
    void setFailure(std::string message, int line)
    {
        result_ = ImportResult{Result::failed(std::move(message))};
        result_.value.line = line;
    }
    ImportResult fail(std::string message, int line)
    {
        setFailure(std::move(message), line);
        return result_;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::vector<AccountRecord> accounts_;
    ImportResult result_;
};

ImportResult Failure(std::string message)
{
    return {Result::failed(std::move(message))};
}

} // namespace

ImportResult ParseImport(std::string_view bytes)
{
    try {
        return ImportParser(bytes).run();
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

AccountTable BuildImportedTable(const AppState& state, std::vector<AccountRecord> accounts)
{
    AccountTable table;
    table.reserve(accounts.size() + 1);
    table.push_back(MakeHeaderRecord(state.LoginUserName, state.LoginPassword1, state.LoginPassword2));
    for (auto& a : accounts) {
        a.RecordNo = static_cast<std::int16_t>(table.size());
        table.push_back(std::move(a));
    }
    return table;
}

std::string ImportedTableTooLarge(const AppState& state, const AccountTable& table)
{
    const std::string tooLarge = AccountFileTooLarge(AccountFileLength(state, table));
    if (tooLarge.empty())
        return {};
    return "Its accounts cannot be stored: " + tooLarge +
           ". Shorten the longest notes or passwords in it, or import fewer accounts.";
}

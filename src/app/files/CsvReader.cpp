#include "app/files/CsvReader.h"

#include "app/files/Characters.h"
#include "app/files/Utf8Text.h"

namespace {

// What each dialect says of a malformed value; the exchange file's messages are older and stay as they were.
struct Faults
{
    const char* neverClosed;
    const char* textAfterQuote;
};
constexpr Faults kCommonFaults = {
    "a value starts with a double quote that is never closed: the file ends inside it, so it may have been cut "
    "short.",
    "there is text after the closing double quote of a value; values must be separated by commas."};
constexpr Faults kExchangeFaults = {
    "a value starts with a double quote that is never closed; the file ends inside it.",
    "there is text after the closing double quote of a value; values must be separated by commas or line ends."};

} // namespace

CsvReader::CsvReader(std::string_view bytes, CsvDialect dialect) : s_(bytes), dialect_(dialect) {}

bool CsvReader::nextRow()
{
    if (!checked_) {
        checked_ = true;
        if (s_.substr(0, 3) == "\xEF\xBB\xBF")
            pos_ = 3;
        if (const std::size_t bad = FirstInvalidUtf8(s_.substr(pos_)); bad != std::string_view::npos) {
            countLineEnds(s_.substr(pos_, bad));
            fail("the text is not valid UTF-8.", line_);
            return false;
        }
    }
    Span rest;
    while (more_)
        if (!scanValue(rest))
            return false;
    if (!result_.isOk() || !skipEmptyLines())
        return false;
    rowLine_ = line_;
    width_ = valuesOnLine();
    more_ = true;
    return true;
}

bool CsvReader::atLineEnd() const
{
    return pos_ < s_.size() && (s_[pos_] == '\r' || s_[pos_] == '\n');
}

void CsvReader::skipLineEnd()
{
    if (s_[pos_] == '\r' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n')
        ++pos_;
    ++pos_;
    ++line_;
}

// CR LF, a lone LF and a lone CR each end a line.
void CsvReader::countLineEnds(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line_;
}

// Past the lines that carry no row; false at the end of the text.
bool CsvReader::skipEmptyLines()
{
    for (;;) {
        std::size_t p = pos_;
        while (dialect_ == CsvDialect::Exchange && p < s_.size() && isBlank(s_[p]))
            ++p;
        if (p >= s_.size()) {
            pos_ = p;
            return false;
        }
        if (s_[p] != '\r' && s_[p] != '\n')
            return true;
        pos_ = p;
        skipLineEnd();
    }
}

// The values of the line at pos_: its commas outside quotes, plus one. A quote never closed ends the count;
// scanValue then reports it. Up to a fault the count follows the same rules as scanValue, so a row never holds
// more values than counted.
std::size_t CsvReader::valuesOnLine() const
{
    std::size_t values = 1;
    bool valueStart = true;
    for (std::size_t i = pos_; i < s_.size() && s_[i] != '\r' && s_[i] != '\n'; ++i) {
        const char c = s_[i];
        if (c == ',') {
            ++values;
            valueStart = true;
        } else if (c == '"' && valueStart) {
            for (i = s_.find('"', i + 1); i != std::string_view::npos && i + 1 < s_.size() && s_[i + 1] == '"';)
                i = s_.find('"', i + 2);
            if (i == std::string_view::npos)
                break;
            valueStart = false;
        } else if (dialect_ != CsvDialect::Exchange || !isBlank(c)) {
            valueStart = false;
        }
    }
    return values;
}

// Finds the next value of the row and moves past its separator.
bool CsvReader::scanValue(Span& value)
{
    const Faults& faults = dialect_ == CsvDialect::Exchange ? kExchangeFaults : kCommonFaults;
    const bool skipBlanks = dialect_ == CsvDialect::Exchange;
    std::size_t p = pos_;
    while (skipBlanks && p < s_.size() && isBlank(s_[p]))
        ++p;
    if (p < s_.size() && s_[p] == '"') {
        const std::size_t from = p + 1;
        std::size_t close = from;
        std::size_t doubled = 0;
        for (;; ++doubled) {
            close = s_.find('"', close);
            if (close == std::string_view::npos) {
                fail(faults.neverClosed, line_);
                return false;
            }
            if (close + 1 >= s_.size() || s_[close + 1] != '"')
                break;
            close += 2;
        }
        value.raw = s_.substr(from, close - from);
        value.quoted = true;
        value.size = value.raw.size() - doubled;
        countLineEnds(value.raw);
        pos_ = close + 1;
        while (skipBlanks && pos_ < s_.size() && isBlank(s_[pos_]))
            ++pos_;
        if (pos_ < s_.size() && s_[pos_] != ',' && !atLineEnd()) {
            fail(faults.textAfterQuote, line_);
            return false;
        }
    } else {
        std::size_t end = pos_;
        while (end < s_.size() && s_[end] != ',' && s_[end] != '\r' && s_[end] != '\n')
            ++end;
        value.raw = s_.substr(pos_, end - pos_);
        value.quoted = false;
        value.size = value.raw.size();
        pos_ = end;
    }
    more_ = pos_ < s_.size() && s_[pos_] == ',';
    if (more_)
        ++pos_;
    else if (pos_ < s_.size())
        skipLineEnd();
    return true;
}

void CsvReader::fail(const std::string& what, int line)
{
    more_ = false;
    failedLine_ = line;
    std::string message = "Line ";
    message.append(std::to_string(line)).append(": ").append(what);
    result_ = Result::failed(std::move(message));
}

CsvResult ReadCsv(std::string_view bytes)
{
    return ReadCsvRows<std::string>(bytes, CsvDialect::Common);
}

#pragma once

#include "base/Result.h"
#include "cipher/SecureWipe.h"

#include <new>
#include <string>
#include <string_view>
#include <vector>

// The two kinds of comma-separated text the program reads. The rules they share:
// - A UTF-8 byte-order mark at the very start is skipped; the rest must be valid UTF-8.
// - Values are separated by commas; rows end with CR LF, a lone LF or a lone CR. Empty lines carry no row.
// - A value that begins with a double quote runs to the next lone double quote, commas and line breaks included;
//   two double quotes inside it stand for one. After the closing quote only a comma or a line end may follow.
// - Any other value runs, unchanged, to the next comma or line end.
// A failure names the line and says what is wrong (a file that ends inside a quoted value was cut short).
enum class CsvDialect {
    // As other programs write it (RFC 4180).
    Common,
    // The program's own exchange file, read as leniently as it always was: blanks and tabs around a quoted value
    // are ignored, and so are lines that hold only blanks and tabs. Its messages are its own.
    Exchange,
};

// Reads such text row by row and value by value, so that each value can go straight where it belongs (a secret
// into a SecretString) and the first fault in the file is the one reported. Never throws but std::bad_alloc.
class CsvReader
{
public:
    CsvReader(std::string_view bytes, CsvDialect dialect);

    // Moves to the next row, past the lines that carry none (and past what is left of the current row): false at
    // the end of the text or on a failure. The first call checks that the text is UTF-8.
    bool nextRow();
    // The line the row starts on, counted from 1.
    int line() const { return rowLine_; }
    // How many values the row holds, counted before any is read, so that storage for them is taken once.
    std::size_t width() const { return width_; }
    // Whether the row has a value left to read.
    bool hasValue() const { return more_; }
    // Reads the row's next value into out (a std::string or a SecretString), in storage of its size taken once:
    // a value grown by appends would leave unwiped copies of a secret behind. False on a failure.
    template <class Text> bool readValue(Text& out);
    // Moves past the row's next value without copying it anywhere. False on a failure.
    bool skipValue()
    {
        Span unread;
        return scanValue(unread);
    }

    // Ok until a failure; then its message: "Line 3: ...".
    const Result& result() const { return result_; }
    // The line a failure names.
    int failedLine() const { return failedLine_; }

private:
    // A value as it stands in the text: quoted ones still hold their doubled quotes.
    struct Span
    {
        std::string_view raw;
        bool quoted = false;
        std::size_t size = 0; // of the value read
    };
    bool scanValue(Span& value);
    bool atLineEnd() const;
    void skipLineEnd();
    void countLineEnds(std::string_view text);
    bool skipEmptyLines();
    std::size_t valuesOnLine() const;
    void fail(const std::string& what, int line);

    std::string_view s_;
    CsvDialect dialect_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int rowLine_ = 0;
    std::size_t width_ = 0;
    bool more_ = false;
    bool checked_ = false;
    Result result_;
    int failedLine_ = 0;
};

template <class Text> bool CsvReader::readValue(Text& out)
{
    Span v;
    if (!scanValue(v))
        return false;
    if (!out.empty()) {
        wipeBytes(out.data(), out.size());
        out.clear();
    }
    out.reserve(v.size);
    if (!v.quoted) {
        out.append(v.raw);
        return true;
    }
    for (std::string_view rest = v.raw;;) {
        const std::size_t quote = rest.find('"');
        out.append(rest.substr(0, quote));
        if (quote == std::string_view::npos)
            break;
        out.push_back('"'); // of two
        rest.remove_prefix(quote + 2);
    }
    return true;
}

// Overwrites a value before its memory goes.
template <class Text> void wipeCsvValue(Text& s)
{
    if (s.capacity() > 0)
        wipeBytes(s.data(), s.capacity());
    s.clear();
}

// All rows of such text; the first is a header where the file has one. The texts may hold passwords, so they are
// wiped when the rows go. Text is a string type (the tests give one whose allocator checks what it gets back).
template <class Text> struct BasicCsvRows
{
    std::vector<std::vector<Text>> rows;
    std::vector<int> lines; // the line each row starts on, counted from 1

    BasicCsvRows() = default;
    BasicCsvRows(BasicCsvRows&&) noexcept = default;
    BasicCsvRows& operator=(BasicCsvRows&&) noexcept = default;
    BasicCsvRows(const BasicCsvRows&) = delete;
    BasicCsvRows& operator=(const BasicCsvRows&) = delete;
    ~BasicCsvRows() { wipeAll(); }

    void wipeAll()
    {
        for (auto& row : rows)
            for (auto& value : row)
                wipeCsvValue(value);
        rows.clear();
        lines.clear();
    }
};

// Reads every row. Each row is as wide as its line from the start: a growing row would move short values (kept
// inside the string) to new storage and leave the old copies unwiped. A failure leaves no row, every value read
// before it wiped.
template <class Text>
Outcome<BasicCsvRows<Text>> ReadCsvRows(std::string_view bytes, CsvDialect dialect = CsvDialect::Common)
{
    Outcome<BasicCsvRows<Text>> out;
    try {
        CsvReader reader(bytes, dialect);
        while (reader.nextRow()) {
            out.value.lines.push_back(reader.line());
            auto& row = out.value.rows.emplace_back();
            row.reserve(reader.width());
            while (reader.hasValue() && reader.readValue(row.emplace_back())) {
            }
        }
        out.result = reader.result();
    } catch (const std::bad_alloc&) {
        out.result = Result::failed("It is too large to import.");
    }
    if (!out.result.isOk())
        out.value.wipeAll();
    return out;
}

using CsvRows = BasicCsvRows<std::string>;
using CsvResult = Outcome<CsvRows>;

// The rows of a file as other programs write it.
CsvResult ReadCsv(std::string_view bytes);

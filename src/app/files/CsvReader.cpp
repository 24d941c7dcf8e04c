#include "app/files/CsvReader.h"

#include "app/files/Utf8Text.h"
#include "cipher/SecureWipe.h"

#include <algorithm>
#include <new>

CsvRows::~CsvRows()
{
    for (auto& row : rows)
        for (auto& value : row)
            wipe(value);
}

namespace {

class CsvParser
{
public:
    explicit CsvParser(std::string_view bytes) : s_(bytes) {}

    CsvResult run()
    {
        if (s_.substr(0, 3) == "\xEF\xBB\xBF")
            pos_ = 3;
        if (const std::size_t bad = FirstInvalidUtf8(s_.substr(pos_)); bad != std::string_view::npos) {
            line_ = 1;
            for (std::size_t i = pos_; i < pos_ + bad; ++i)
                countLineEnd(i);
            fail("the text is not valid UTF-8.");
            return std::move(out_);
        }
        while (pos_ < s_.size()) {
            if (atLineEnd()) { // an empty line
                skipLineEnd();
                continue;
            }
            out_.value.lines.push_back(line_);
            auto& row = out_.value.rows.emplace_back();
            // As wide as the line, counted first: a growing row would move short values (kept inside the
            // string) to new storage and leave the old copies unwiped, and a header's width reserved for every
            // row would cost its width on each one.
            row.reserve(valuesOnLine());
            for (;;) {
                std::string& value = row.emplace_back();
                if (!readValue(value))
                    return std::move(out_);
                if (pos_ >= s_.size())
                    break;
                if (s_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                skipLineEnd();
                break;
            }
        }
        return std::move(out_);
    }

private:
    bool atLineEnd() const { return pos_ < s_.size() && (s_[pos_] == '\r' || s_[pos_] == '\n'); }

    // The values of the line at pos_: its commas outside quotes, plus one. A quote never closed ends the count;
    // readValue then reports it.
    std::size_t valuesOnLine() const
    {
        std::size_t values = 1;
        for (std::size_t i = pos_; i < s_.size() && s_[i] != '\r' && s_[i] != '\n'; ++i) {
            if (s_[i] == ',') {
                ++values;
            } else if (s_[i] == '"' && (i == pos_ || s_[i - 1] == ',')) {
                for (i = s_.find('"', i + 1); i != std::string_view::npos && i + 1 < s_.size() && s_[i + 1] == '"';)
                    i = s_.find('"', i + 2);
                if (i == std::string_view::npos)
                    break;
            }
        }
        return values;
    }

    // Counts a line end at i (CR LF counts once, at its LF).
    void countLineEnd(std::size_t i)
    {
        if (s_[i] == '\n' || (s_[i] == '\r' && (i + 1 >= s_.size() || s_[i + 1] != '\n')))
            ++line_;
    }

    void skipLineEnd()
    {
        if (s_[pos_] == '\r' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n')
            ++pos_;
        ++pos_;
        ++line_;
    }

    // Reads one value and leaves pos_ on what follows it: a comma, a line end or the end of the text.
    bool readValue(std::string& out)
    {
        if (pos_ < s_.size() && s_[pos_] == '"') {
            const int openLine = line_;
            // The closing quote first, so the value is copied once into storage of its size: a value grown by
            // appends would leave unwiped copies of a secret behind.
            const std::size_t from = pos_ + 1;
            std::size_t end = from;
            for (;;) {
                const std::size_t close = s_.find('"', end);
                if (close == std::string_view::npos) {
                    line_ = openLine;
                    fail("a value starts with a double quote that is never closed: the file ends inside it, so "
                         "it may have been cut short.");
                    return false;
                }
                if (close + 1 < s_.size() && s_[close + 1] == '"') {
                    end = close + 2;
                    continue;
                }
                end = close;
                break;
            }
            for (std::size_t i = from; i < end; ++i)
                countLineEnd(i);
            out.reserve(end - from);
            for (std::size_t i = from; i < end;) {
                const std::size_t quote = std::min(s_.find('"', i), end);
                out.append(s_.substr(i, quote - i));
                if (quote == end)
                    break;
                out.push_back('"'); // of two
                i = quote + 2;
            }
            pos_ = end + 1;
            if (pos_ < s_.size() && s_[pos_] != ',' && !atLineEnd()) {
                fail("there is text after the closing double quote of a value; values must be separated by "
                     "commas.");
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

    // The rows read so far go, wiped first (an assignment frees them without the destructor that wipes); run()
    // returns the failure.
    void fail(const std::string& what)
    {
        for (auto& row : out_.value.rows)
            for (auto& value : row)
                wipe(value);
        out_ = CsvResult{Result::failed("Line " + std::to_string(line_) + ": " + what)};
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
    CsvResult out_;
};

} // namespace

CsvResult ReadCsv(std::string_view bytes)
{
    try {
        return CsvParser(bytes).run();
    } catch (const std::bad_alloc&) {
        return {Result::failed("It is too large to import.")};
    }
}

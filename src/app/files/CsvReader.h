#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>
#include <vector>

// The rows of a comma-separated file as other programs write it: the first row is its header. The texts may hold
// passwords, so they are wiped when the rows go.
struct CsvRows
{
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines; // the line each row starts on, counted from 1

    CsvRows() = default;
    CsvRows(CsvRows&&) noexcept = default;
    CsvRows& operator=(CsvRows&&) noexcept = default;
    CsvRows(const CsvRows&) = delete;
    CsvRows& operator=(const CsvRows&) = delete;
    ~CsvRows();
};
using CsvResult = Outcome<CsvRows>;

// Reads comma-separated text the common way (RFC 4180):
// - A UTF-8 byte-order mark at the very start is skipped; the rest must be valid UTF-8.
// - Values are separated by commas; rows end with CR LF, a lone LF or a lone CR. Empty lines carry no row.
// - A value that begins with a double quote runs to the next lone double quote, commas and line breaks included;
//   two double quotes inside it stand for one. After the closing quote only a comma or a line end may follow.
// - Any other value runs, unchanged, to the next comma or line end.
// A failure names the line and says what is wrong (a file that ends inside a quoted value was cut short). Never
// throws on any input.
CsvResult ReadCsv(std::string_view bytes);

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a column of another program's password export holds.
enum class ColumnRole { Name, Website, UserId, Password, Notes, Kind, Kept, Dropped };

struct ExportLayout
{
    std::string source;            // what wrote the file, as messages name it: "KeePassXC export"
    bool namedProgram = false;     // a program's own layout; else a file of named columns ("Comma-separated file")
    std::vector<ColumnRole> roles; // one per column of the first line
};

// The layout a file's first line names: a known program's export (Chrome, Edge and the other Chromium browsers,
// Firefox, KeePassXC, Bitwarden: the first columns that program writes, in its order; columns after them are read
// by their names), else a file of named columns that names a password and a name, website or user name column
// from a small set of synonyms. None when the line names neither.
std::optional<ExportLayout> RecogniseExportLayout(const std::vector<std::string>& firstLine);

// s without the blanks and tabs around it.
std::string TrimmedBlanks(std::string_view s);
// s with its ASCII letters in lower case.
std::string LowerAscii(std::string s);

#pragma once

#include "app/files/AccountRecord.h"
#include "app/files/ExportLayouts.h"

#include <string>
#include <string_view>
#include <vector>

// What a row of another program's export becomes, column by column.

// The columns of a recognised export: the role of each, and how the notes and the preview name it (one without a
// name by its place: "Column 3").
struct ForeignColumns
{
    std::vector<ColumnRole> roles;
    std::vector<std::string> labels;
};
ForeignColumns NameColumns(const std::vector<std::string>& header, const ExportLayout& layout);

enum class RowFate { Account, OtherKind, Empty };

// Maps a row as wide as the columns. An account takes the website (blanks around it gone), the user ID, password
// and notes as they stand, and the values of the kept columns after the notes, one "Column: value" line each (CR
// LF between lines); name is the value of its name column, as it stands. A row of another kind than a login or a
// secure note (a card, an identity), or one without any value in the columns imported, leaves account as it was.
RowFate MapForeignRow(const std::vector<std::string>& row, const ForeignColumns& columns, AccountRecord& account,
                      std::string_view& name);

#pragma once

#include <string>
#include <string_view>

// The names imported accounts take in the list.

// The longest account name the list takes, in UTF-16 units (as the combo box counts); longer names are cut.
inline constexpr int kImportedNameLength = 50;

// The host of a web address: "https://user@www.example.com:8080/x" gives "www.example.com".
std::string HostOf(std::string_view url);

// One line for the list: line breaks and tabs become blanks, blanks around go.
std::string OneLine(std::string_view s);

// The name of an imported account: its own name (one line), else its website's host, else "Imported 1",
// "Imported 2", ... (unnamed counts those); cut to kImportedNameLength. cut tells whether it was longer.
std::string ImportedName(std::string_view name, std::string_view website, int& unnamed, bool& cut);

// "Name (k)", the name cut so that the whole fits the list.
std::string NumberedName(const std::string& name, int k);

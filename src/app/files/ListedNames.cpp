#include "app/files/ListedNames.h"

#include "app/files/Utf8Text.h"

std::string ListedNames(const std::vector<std::string>& names, std::size_t most)
{
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < most; ++i)
        out += (i > 0 ? ", " : "") + names[i];
    if (names.size() > most)
        out += " and " + GroupedDigits(names.size() - most) + " more";
    return out;
}

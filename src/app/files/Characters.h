#pragma once

// The blanks every text format of the program skips around its values: a space or a tab.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

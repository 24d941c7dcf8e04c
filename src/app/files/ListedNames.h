#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Names as messages list them: "A, B, C", or the first ten and "and 4 more", so that a long list keeps the
// message readable.
inline constexpr std::size_t kMostNamesListed = 10;
std::string ListedNames(const std::vector<std::string>& names, std::size_t most = kMostNamesListed);

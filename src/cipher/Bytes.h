#pragma once

#include <vector>

using Bytes = std::vector<unsigned char>;

#pragma once

// The result type lives at the bottom of the layers, where the cipher can use it too.
#include "base/Result.h"

#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

void FuzzCheck(bool holds, const char* promise)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

#pragma once

#include <cstdio>
#include <cstdlib>

// Ends the run when an invariant of the target does not hold, so the fuzzer
// keeps the input that broke it.
inline void check(bool holds, const char *invariant)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", invariant);
        std::abort();
    }
}

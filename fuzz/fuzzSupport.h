#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant names itself and its line, then ends the run so that the fuzzer keeps the
// input as a finding.
#define require(condition)                                                                                             \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "invariant broken: %s (%s line %d)\n", #condition, __FILE__, __LINE__);               \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

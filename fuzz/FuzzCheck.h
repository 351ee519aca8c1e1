#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the fuzzer with the broken invariant and the input's values; libFuzzer
// then saves the input as a finding.
#define FUZZ_CHECK(condition, ...)                                          \
    do {                                                                    \
        if (!(condition)) {                                                 \
            std::fprintf(stderr, "broken invariant: %s\n  ", #condition); \
            std::fprintf(stderr, __VA_ARGS__);                              \
            std::fprintf(stderr, "\n");                                     \
            std::abort();                                                   \
        }                                                                   \
    } while (false)

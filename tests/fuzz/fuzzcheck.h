#pragma once

#include <cstdio>
#include <cstdlib>

// A promise of the parser under fuzzing that an input broke: says which and where, then aborts,
// which libFuzzer reports as a crash and keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: promise broken: %s\n", __FILE__, __LINE__, #condition);                       \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

#pragma once
// The checks of the fuzz targets: a broken invariant names itself on stderr and stops the run
// with a trap, which libFuzzer reports as a crash and keeps the input of.

#include <cstdio>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

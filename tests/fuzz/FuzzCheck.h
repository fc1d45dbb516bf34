// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <cstdlib>

// Findings must stop the fuzzer in release builds too, so no assert().
inline void FuzzCheck(bool condition, const char* file, int line)
{
    if (!condition) {
        std::fprintf(stderr, "%s:%d: check failed\n", file, line);
        std::abort();
    }
}
#define FUZZ_CHECK(condition) FuzzCheck(condition, __FILE__, __LINE__)

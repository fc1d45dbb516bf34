// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/SeriesRules.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// Findings must stop the fuzzer in release builds too, so no assert().
inline void FuzzCheck(bool condition, const char* file, int line)
{
    if (!condition) {
        std::fprintf(stderr, "%s:%d: check failed\n", file, line);
        std::abort();
    }
}
#define FUZZ_CHECK(condition) FuzzCheck(condition, __FILE__, __LINE__)

// A small file's reader and writer, as the rules and players files have them: any bytes are
// either refused at a line with a reason, or read into a value that the writer writes, alone
// and over the file it replaces, to a file that reads back to the same value and, written again,
// to the same bytes.
template <class Value>
void CheckRoundTrip(std::string_view bytes, bool (*parse)(std::string_view, Value&, CRulesRefusal&),
                    std::string (*write)(const Value&, std::string_view))
{
    Value value;
    CRulesRefusal refusal;
    if (!parse(bytes, value, refusal)) {
        FUZZ_CHECK(refusal.m_lineNo >= 1 && !refusal.m_message.empty());
        FUZZ_CHECK(refusal.m_line.find('\n') == std::string::npos);
        return;
    }
    for (const std::string_view previous : {std::string_view(), bytes}) {
        const std::string written = write(value, previous);
        Value reread;
        FUZZ_CHECK(parse(written, reread, refusal));
        FUZZ_CHECK(reread == value);
        FUZZ_CHECK(write(reread, written) == written);
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Text.h"

#include <gtest/gtest.h>

TEST(Text, CleansInPlace)
{
    const auto toHtm = [](std::string& path) { ChangeExtension(path, ".htm"); };
    const struct { void (*change)(std::string&); std::string in, out; } cases[] = {
        {NormalizeName, "Omg\xE5ng-1", "Omg\xE5ng 1"},
        {NormalizeName, "Omg\xE5ng - 1", "Omg\xE5ng  1"}, // one pass: n blanks give ceil(n/2)
        {NormalizeName, "  Final_omg\xE5ng  ", "Final omg\xE5ng"},
        {NormalizeName, "a\t\tb", "a\t\tb"},
        {TrimSpaces, " \t\n\v\f\rAnna Berg\r\n \t", "Anna Berg"},
        {TrimSpaces, "\xA0" "Anna\xA0", "\xA0" "Anna\xA0"}, // bytes >= 0x80 are never whitespace
        {TrimSpaces, std::string("\0a\0", 3), std::string("\0a\0", 3)},
        {TrimSpaces, " \t ", ""},
        {toHtm, "/home/u/v\xE5r.txt", "/home/u/v\xE5r.htm"},
        {toHtm, "/home/u/turnering.2006/lista", "/home/u/turnering.2006/lista.htm"}, // never cut in a folder
        {toHtm, "/home/u/lista.old.txt", "/home/u/lista.old.htm"},
        {toHtm, "lista", "lista.htm"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        c.change(text);
        EXPECT_EQ(text, c.out) << '"' << c.in << '"';
    }
}

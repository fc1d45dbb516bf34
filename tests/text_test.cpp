#include "Text.h"

#include <gtest/gtest.h>

TEST(Text, CleansInPlace)
{
    const auto toHtm = [](std::string& path) { ChangeExtension(path, ".htm"); };
    const struct { void (*change)(std::string&); std::string in, out; } cases[] = {
        {NormalizeName, "Omg\xE5ng-1", "Omg\xE5ng 1"},
        {NormalizeName, "A--B", "A B"},
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

TEST(Text, IsInteger)
{
    const struct { const char* text; int value; } cases[] = { // value -1: refused, with value 0
        {"0", 0}, {"007", 7}, {"2147483647", 2147483647}, {"0000000000002147483647", 2147483647},
        // Beyond 32 bits the value would wrap into negative points that no reader accepts again.
        {"2147483648", -1}, {"4294967296", -1}, {"99999999999999999999999", -1},
        {"", -1}, {"+3", -1}, {"-3", -1}, {"3a", -1}, {" 3", -1}, {"\xB3", -1},
    };
    for (const auto& c : cases) {
        int value = -1;
        EXPECT_EQ(IsInteger(c.text, value), c.value >= 0) << c.text;
        EXPECT_EQ(value, c.value < 0 ? 0 : c.value) << c.text;
    }
}

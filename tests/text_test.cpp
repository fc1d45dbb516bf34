#include "Text.h"

#include <gtest/gtest.h>

namespace {

struct Change
{
    std::string in;
    std::string out;
};

TEST(Text, NormalizeName)
{
    const Change cases[] = {
        {"Omg\xE5ng-1", "Omg\xE5ng 1"},
        {"A--B", "A B"},
        {"Omg\xE5ng - 1", "Omg\xE5ng  1"},
        {"  Final_omg\xE5ng  ", "Final omg\xE5ng"},
        {"", ""},
        {"-_-", ""},
        {"a  b", "a b"},
        {"a   b", "a  b"},
        {"a    b", "a  b"},
        {"a     b", "a   b"},
        {"a\t\tb", "a\t\tb"}, // only blanks pair up
    };
    for (const Change& c : cases) {
        std::string name = c.in;
        NormalizeName(name);
        EXPECT_EQ(name, c.out) << '"' << c.in << '"';
    }
}

TEST(Text, TrimSpaces)
{
    const Change cases[] = {
        {" \t\n\v\f\rAnna Berg\r\n \t", "Anna Berg"},
        {"\xA0" "Anna\xA0", "\xA0" "Anna\xA0"}, // bytes >= 0x80 are never whitespace
        {"   ", ""},
        {"", ""},
        {std::string("\0a\0", 3), std::string("\0a\0", 3)},
    };
    for (const Change& c : cases) {
        std::string text = c.in;
        TrimSpaces(text);
        EXPECT_EQ(text, c.out) << '"' << c.in << '"';
    }
}

TEST(Text, IsInteger)
{
    const struct
    {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"0", true, 0},
        {"007", true, 7},
        {"25", true, 25},
        {"2147483647", true, 2147483647},
        {"0000000000002147483647", true, 2147483647},
        // Beyond 32 bits it would wrap into negative points that no reader accepts again.
        {"2147483648", false, 0},
        {"4294967296", false, 0},
        {"4294967299", false, 0},
        {"99999999999999999999999", false, 0},
        {"", false, 0},
        {"+3", false, 0},
        {"-3", false, 0},
        {"3a", false, 0},
        {"3.5", false, 0},
        {"3 4", false, 0},
        {" 3", false, 0},
        {"tre", false, 0},
        {"\xB3", false, 0}, // superscript three
    };
    for (const auto& c : cases) {
        int value = -1;
        EXPECT_EQ(IsInteger(c.text, value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(Text, ChangeExtension)
{
    const Change cases[] = {
        {"/home/u/v\xE5r.txt", "/home/u/v\xE5r.htm"},
        {"/home/u/turnering.2006/lista", "/home/u/turnering.2006/lista.htm"},
        {"/home/u/turnering.2006/lista.txt", "/home/u/turnering.2006/lista.htm"},
        {"/home/u/lista.old.txt", "/home/u/lista.old.htm"},
        {"lista", "lista.htm"},
        {"lista.txt", "lista.htm"},
        {"./lista", "./lista.htm"},
    };
    for (const Change& c : cases) {
        std::string path = c.in;
        ChangeExtension(path, ".htm");
        EXPECT_EQ(path, c.out);
    }
    EXPECT_EQ(BackupEnding(2005, 12, 6, 14, 30, 5), "_051206_143005.bak");
    EXPECT_EQ(BackupEnding(2000, 1, 2, 3, 4, 5), "_000102_030405.bak");
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "StringOutput.h"
#include "model/Messages.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

// What the reader keeps, and what the error box shows: the line prefix and the message.
TEST(Reader, GrammarAndMessages)
{
    const std::string expected = msg::kExpectedResultLine, notInteger = msg::kPointsNotInteger;
    std::string every = "<"; // every byte but the line feed and the two token separators
    for (int b = 0; b < 256; ++b) {
        if (b != '\n' && b != ' ' && b != '\t')
            every.push_back(static_cast<char>(b));
    }
    every += ">";
    const struct { std::string text, tournament, shown; } cases[] = {
        {"V\xE5rturneringen\n\nOmg\xE5ng 1\nAnna Berg   12\nKalle        7\n\nOmg\xE5ng 2\nKalle  9",
         "V\xE5rturneringen|Omg\xE5ng 1:Anna Berg=12,Kalle=7|Omg\xE5ng 2:Kalle=9", ""},
        {"Cup_1\r\n", "Cup_1", ""},
        {"Cup\n\nR\nAnna  Berg 5\nBo\t\tEk 3\n", "Cup|R:Anna Berg=5,Bo Ek=3", ""}, // each name cleaned alone
        // Long names and padding, read eight bytes at a time: a blank pair or a tab at any byte.
        {"Cup\n\nR\nAbcdefgh \t               9\nKarl-Johan Lind  Berg\t\t 12\nAnna-Karin Lund\tEk  3\n"
         "Bengt Eriksson Nyberg 4\n",
         "Cup|R:Abcdefgh=9,Karl-Johan Lind Berg=12,Anna-Karin Lund Ek=3,Bengt Eriksson Nyberg=4", ""},
        {"Cupcupcup\n\nR\nKarl-Joh\tLindberg 5\n", "Cupcupcup|R:Karl-Joh Lindberg=5", ""}, // no blanks before it
        {"Cup\n\nR\nA 1" + std::string(40, ' ') + "\nAbcdefghijkl 5\n", "Cup|R:A=1,Abcdefghijkl=5", ""},
        {"Cup\nR1\nA 1\n", "Cup|R1:A=1", ""},
        {"Cup\n \t\n\nR1\nA 1\n\t\n \nR2\n\n\n", "Cup|R1:A=1|R2:", ""},
        {"Cup\n\nR1\nA 1\n\nAnna 5\n", "Cup|R1:A=1|Anna 5:", ""},
        {"Cup\n\nOmg\xE5ng_1\nAnna_Berg 5\n", "Cup|Omg\xE5ng 1:Anna_Berg=5", ""},
        {"Cup\n\nR\nAnna    Berg\t 5\nLag 2 7\n", "Cup|R:Anna Berg=5,Lag 2=7", ""},
        {"Cup\n\nR\nAnna Berg\r@\r\t 5\n", "Cup|R:Anna Berg\r@\r=5", ""}, // found by the fuzzer: CR is no separator
        {"Cup\n\nR\nA 1\nB 2\nA 3\na 4\n", "Cup|R:A=3,B=2,a=4", ""},
        {"Cup\n\nR\nA 007\nB 2147483647\nC 0000000000002147483647\n", "Cup|R:A=7,B=2147483647,C=2147483647", ""},
        {"Cup\r\rR\rA 1\r", "Cup\r\rR\rA 1", ""},
        {"C\0p\n\nR\0\nA\0a 1\n"s, "C\0p|R\0:A\0a=1"s, ""},
        {"Cup\n\nR\n" + every + " 1\n", "Cup|R:" + every + "=1", ""},
        {"", "", msg::kEmptyTitleLine},
        {"\xEF\xBB\xBF \t\r\nR\n", "", "Rad 1 : \"\"\n"s + msg::kEmptyTitleLine},
        {"\xEF\xBB\xBF", "", "Rad 1 : \"\"\n"s + msg::kEmptyTitleLine},
        {"Cup\n\nR\nA 1\nKalle\n", "Cup", "Rad 5 : \"Kalle\"\n" + expected},
        {"Cup\n\nR\n\t Anna\t-5 \r\n", "Cup", "Rad 4 : \"Anna -5\"\n" + notInteger},
        {"Cup\n\nR\nA \0"s, "Cup", "Rad 4 : \"A \0\"\n"s + notInteger},
        // Beyond 32 bits the points would wrap into negative ones that no reader accepts again.
        {"Cup\n\nR\nA 2147483648\n", "Cup", "Rad 4 : \"A 2147483648\"\n" + notInteger},
        {"Cup\n\nR\nA 99999999999999999999999\n", "Cup", "Rad 4 : \"A 99999999999999999999999\"\n" + notInteger},
        {"Cup\n\nR\nA +5\n", "Cup", "Rad 4 : \"A +5\"\n" + notInteger},
        {"Cup\n\nR\nA 5\nB 5,5\n", "Cup", "Rad 5 : \"B 5,5\"\n" + notInteger},
        {"Cup\n\nR\nA 5\nB \xB3\n", "Cup", "Rad 5 : \"B \xB3\"\n" + notInteger},
        {"Cup\n\nR1\nA 1\n\nR2\nB 2\n\nR3\nC x\n", "Cup|R1:A=1|R2:B=2", "Rad 10 : \"C x\"\n" + notInteger},
    };
    for (const auto& c : cases) {
        std::string shown;
        const CTournament t = Parsed(c.text, &shown);
        EXPECT_EQ(shown, c.shown) << c.text.substr(0, 40);
        EXPECT_EQ(Describe(t), c.tournament) << c.text.substr(0, 40);
    }
}

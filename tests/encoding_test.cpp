// SPDX-License-Identifier: GPL-3.0-or-later
#include "StringOutput.h"
#include "model/Encoding.h"
#include "model/Reader.h"
#include "model/TournamentEncoding.h"

#include <gtest/gtest.h>

TEST(Encoding, Detects)
{
    const struct { const char* what; std::string bytes; TextEncoding encoding; bool mark; } cases[] = {
        {"byte-order mark", "\xEF\xBB\xBFKlubbkamp\r\n", TextEncoding::Utf8, true},
        {"mark before bytes that are not UTF-8", "\xEF\xBB\xBFV\xE5r", TextEncoding::Windows1252, false},
        {"valid UTF-8 with \xC3\xA5", "V\xC3\xA5rturneringen\r\n", TextEncoding::Utf8, false},
        {"Windows-1252 \xE5", "V\xE5rturneringen\r\n", TextEncoding::Windows1252, false},
        {"sequence cut at the end", "Anna \xC3", TextEncoding::Windows1252, false},
        {"overlong", "\xC0\xAF", TextEncoding::Windows1252, false},
        {"surrogate", "\xED\xA0\x80", TextEncoding::Windows1252, false},
        {"ASCII", "Klubbkamp\r\n\r\nOmgang 1\r\nAnna 10\r\n", TextEncoding::Windows1252, false},
    };
    for (const auto& c : cases) {
        CTournament t;
        std::string line, message;
        int lineNo = 0;
        ParseTournament(c.bytes, t, line, lineNo, message);
        EXPECT_EQ(t.m_encoding, c.encoding) << c.what;
        EXPECT_EQ(t.m_byteOrderMark, c.mark) << c.what;
    }
}

TEST(Encoding, Converts)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::u16string text = ToUtf16(all, TextEncoding::Windows1252);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(text.substr(0x80, 2), u"\u20AC\u0081"); // the undefined 0x81 keeps its C1 control
    EXPECT_EQ(text[0xE5], u'\u00E5');
    EXPECT_EQ(FromUtf16(text, TextEncoding::Windows1252), all);
    EXPECT_EQ(ToUtf16(ToUtf8(all, TextEncoding::Windows1252), TextEncoding::Utf8), text);

    EXPECT_EQ(FromUtf16(u"\u00C5sa \u0141\u4E2D\xD800", TextEncoding::Windows1252), "\xC5sa ???");
    // What a Windows-1252 file can take as typed; anything else would be stored changed.
    EXPECT_TRUE(FitsEncoding(text, TextEncoding::Windows1252));
    for (const std::u16string_view typed : {u"\u0080", u"\u0141", u"\u4E2D", u"\xD800"})
        EXPECT_FALSE(FitsEncoding(typed, TextEncoding::Windows1252)) << int(typed[0]);
    EXPECT_EQ(FromUtf16(u"\u00E5\U0001F600\xD800", TextEncoding::Utf8), "\xC3\xA5\xF0\x9F\x98\x80?");
    EXPECT_EQ(ToUtf16("\xC3\xA5\xF0\x9F\x98\x80\xFF", TextEncoding::Utf8), u"\u00E5\U0001F600\uFFFD");
}

// A tournament that becomes UTF-8 has its title, round names and player names converted, each
// player keeping its id; one in UTF-8 already stays as it is.
TEST(Encoding, TournamentBecomesUtf8)
{
    for (const std::string file : {"V\xE5r\n\nOmg\xE5ng 1\n\xC5sa 3\nBo 1\n", "V\xC3\xA5r\n\nOmg\xC3\xA5ng 1\n\xC3\x85sa 3\nBo 1\n"}) {
        CTournament t = Parsed(file);
        ConvertToUtf8(t, true);
        EXPECT_EQ(Describe(t) + std::to_string(t.m_players.Size()), "V\xC3\xA5r|Omg\xC3\xA5ng 1:\xC3\x85sa=3,Bo=1" "2");
        EXPECT_TRUE(t.m_encoding == TextEncoding::Utf8 && t.m_byteOrderMark == (file[1] == '\xE5')) << file;
    }
}

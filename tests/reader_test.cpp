#include "Messages.h"
#include "Reader.h"

#include <gtest/gtest.h>

namespace {

// "title|round:name=points,name=points|round:" for comparing whole tournaments.
std::string Describe(const CTournament& t)
{
    std::string out = t.m_title;
    for (const CRound& round : t.m_rounds) {
        out += "|" + round.m_name + ":";
        for (std::size_t i = 0; i < round.m_results.size(); ++i)
            out += (i ? "," : "") + round.m_results[i].m_name + "=" + std::to_string(round.m_results[i].m_points);
    }
    return out;
}

struct Parsed
{
    bool ok;
    std::string shown; // what the error box shows: line prefix and message
    std::string tournament;
};

Parsed Parse(std::string_view text)
{
    CTournament t;
    std::string line, message;
    int lineNo = 0;
    const bool ok = ParseTournament(text, t, line, lineNo, message);
    return {ok, ok ? "" : LinePrefix(lineNo, line) + message, Describe(t)};
}

const std::string kExpected = msg::kExpectedResultLine;
const std::string kNotInteger = msg::kPointsNotInteger;
const std::string kEmptyTitle = msg::kEmptyTitleLine;

// --- Grammar ---

struct GrammarCase
{
    const char* what;
    std::string text;
    Parsed expected;
};

TEST(Reader, Grammar)
{
    const GrammarCase cases[] = {
        {"the Part's example", "V\xE5rturneringen\n\nOmg\xE5ng 1\nAnna Berg   12\nKalle        7\n\nOmg\xE5ng 2\nKalle  9",
         {true, "", "V\xE5rturneringen|Omg\xE5ng 1:Anna Berg=12,Kalle=7|Omg\xE5ng 2:Kalle=9"}},
        {"title only", "Cup\r\n", {true, "", "Cup"}},
        {"round right after the title", "Cup\nR1\nA 1\n", {true, "", "Cup|R1:A=1"}},
        {"blank and tab lines between and after", "Cup\n \t\n\nR1\nA 1\n\t\n \nR2\n\n\n", {true, "", "Cup|R1:A=1|R2:"}},
        {"round without results at the end", "Cup\n\nR1", {true, "", "Cup|R1:"}},
        {"result after an empty line starts a round", "Cup\n\nR1\nA 1\n\nAnna 5\n", {true, "", "Cup|R1:A=1|Anna 5:"}},
        {"round name normalised, player name not", "Cup\n\nOmg\xE5ng_1\nAnna_Berg 5\n",
         {true, "", "Cup|Omg\xE5ng 1:Anna_Berg=5"}},
        {"blanks and tabs inside a name", "Cup\n\nR\nAnna    Berg\t 5\n", {true, "", "Cup|R:Anna Berg=5"}},
        {"digits in a name", "Cup\n\nR\nLag 2 7\n", {true, "", "Cup|R:Lag 2=7"}},
        {"leading zeros", "Cup\n\nR\nAnna 007\n", {true, "", "Cup|R:Anna=7"}},
        {"player twice: later points at the earlier place", "Cup\n\nR\nA 1\nB 2\nA 3\n", {true, "", "Cup|R:A=3,B=2"}},
        {"case counts", "Cup\n\nR\nAnna 1\nanna 2\n", {true, "", "Cup|R:Anna=1,anna=2"}},
        {"largest points", "Cup\n\nR\nA 2147483647\n", {true, "", "Cup|R:A=2147483647"}},
        {"empty file", "", {false, kEmptyTitle, ""}},
        {"blank title line", "   \nR\n", {false, "Rad 1 : \"\"\n" + kEmptyTitle, ""}},
        {"single token", "Cup\n\nR\nA 1\nKalle\n", {false, "Rad 5 : \"Kalle\"\n" + kExpected, "Cup"}},
        {"points alone", "Cup\n\nR\n5\n", {false, "Rad 4 : \"5\"\n" + kExpected, "Cup"}},
        {"negative", "Cup\n\nR\nAnna -5\n", {false, "Rad 4 : \"Anna -5\"\n" + kNotInteger, "Cup"}},
        {"plus sign", "Cup\n\nR\nAnna +5\n", {false, "Rad 4 : \"Anna +5\"\n" + kNotInteger, "Cup"}},
        {"suffix", "Cup\n\nR\nAnna 5p\n", {false, "Rad 4 : \"Anna 5p\"\n" + kNotInteger, "Cup"}},
        {"decimal comma", "Cup\n\nR\nAnna 5,5\n", {false, "Rad 4 : \"Anna 5,5\"\n" + kNotInteger, "Cup"}},
        {"beyond 32 bits", "Cup\n\nR\nAnna 2147483648\n", {false, "Rad 4 : \"Anna 2147483648\"\n" + kNotInteger, "Cup"}},
        {"prefix shows the line tabs-to-blanks and trimmed", "Cup\n\nR\n\t Anna\t5x \r\n",
         {false, "Rad 4 : \"Anna 5x\"\n" + kNotInteger, "Cup"}},
        {"error on line 10 keeps the complete rounds, drops the one in progress",
         "Cup\n\nR1\nA 1\n\nR2\nB 2\n\nR3\nC x\n", {false, "Rad 10 : \"C x\"\n" + kNotInteger, "Cup|R1:A=1|R2:B=2"}},
    };
    for (const GrammarCase& c : cases) {
        const Parsed got = Parse(c.text);
        EXPECT_EQ(got.ok, c.expected.ok) << c.what;
        EXPECT_EQ(got.shown, c.expected.shown) << c.what;
        EXPECT_EQ(got.tournament, c.expected.tournament) << c.what;
    }
}

TEST(Reader, ByteOrderMarkDroppedAndKept)
{
    CTournament t;
    std::string line, message;
    int lineNo = 7;
    ASSERT_TRUE(ParseTournament("\xEF\xBB\xBF" "Cup\n\nR\nG\xC3\xB6ran 3\n", t, line, lineNo, message));
    EXPECT_EQ(t.m_title, "Cup");
    EXPECT_TRUE(t.m_byteOrderMark);
    EXPECT_EQ(t.m_encoding, TextEncoding::Utf8);
    EXPECT_EQ(Parse("\xEF\xBB\xBF\r\n").shown, "Rad 1 : \"\"\n" + kEmptyTitle);
}

// --- Hostile input: the normal behaviour or the normal message, never a crash ---

TEST(Reader, CarriageReturnsOnlyMakeOneLine)
{
    // Without LF there is one line; its inner CRs are not trimmed away.
    const Parsed got = Parse("Cup\r\rR\rA 1\r");
    EXPECT_TRUE(got.ok);
    EXPECT_EQ(got.tournament, "Cup\r\rR\rA 1");
}

TEST(Reader, NulBytesAreOrdinaryBytes)
{
    using namespace std::string_literals;
    EXPECT_EQ(Parse("C\0p\n\nR\0\nA\0a 1\n"s).tournament, "C\0p|R\0:A\0a=1"s);
    EXPECT_EQ(Parse("Cup\n\nR\nA \0"s).shown, "Rad 4 : \"A \0\"\n"s + kNotInteger);
}

TEST(Reader, TenMegabyteLine)
{
    const std::string name(10 * 1024 * 1024, 'x');
    const Parsed got = Parse("Cup\n\nR\n" + name + " 4\n");
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.tournament, "Cup|R:" + name + "=4");
    EXPECT_EQ(Parse("Cup\n\nR\n" + name + "\n").shown, "Rad 4 : \"" + name + "\"\n" + kExpected);
}

TEST(Reader, EveryByteValueInNames)
{
    // Bytes that are not line ends, blanks or whitespace stay in the name as they are.
    std::string name;
    for (int b = 0; b < 256; ++b) {
        if (b != '\n' && b != ' ' && b != '\t' && !(b >= 0x0B && b <= 0x0D))
            name.push_back(static_cast<char>(b));
    }
    const Parsed got = Parse("Cup\n\nR\n" + name + " 1\n");
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.tournament, "Cup|R:" + name + "=1");
    // Whitespace other than blank and tab inside a line splits nothing: it stays in the token.
    EXPECT_EQ(Parse("Cup\n\nR\nA\vB\f 2\n").tournament, "Cup|R:A\vB\f=2");
}

TEST(Reader, BinaryGarbage)
{
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(state >> 16));
    }
    const Parsed got = Parse(bytes);
    if (!got.ok) {
        EXPECT_TRUE(got.shown.ends_with(kExpected) || got.shown.ends_with(kNotInteger) ||
                    got.shown.ends_with(kEmptyTitle));
    }
}

} // namespace

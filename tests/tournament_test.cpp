#include "Encoding.h"
#include "Reader.h"
#include "StringOutput.h"
#include "Tournament.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Lines = std::vector<std::string>;

CRound Round(const std::string& name, const std::vector<CResult>& results)
{
    CRound round;
    round.m_name = name;
    for (const CResult& r : results)
        round.AddResult(r);
    return round;
}

int Width(const CTournament& t)
{
    std::size_t width = 0;
    for (const CRound& round : t.m_rounds)
        for (const CResult& r : round.m_results)
            width = std::max(width, TextLength(r.m_name, t.m_encoding));
    return static_cast<int>(width);
}

Lines Written(const CTournament& t)
{
    CStringOutput out;
    t.Write(out, Width(t));
    return out.m_lines;
}

TEST(Tournament, AddResultReplacesInPlaceByExactName)
{
    const CRound round = Round("R", {{"Anna", 3}, {"Bo", 1}, {"Anna", 5}, {"anna", 2}, {"Anna ", 4}});
    ASSERT_EQ(round.m_results.size(), 4u);
    EXPECT_EQ(round.m_results[0].m_name, "Anna");
    EXPECT_EQ(round.m_results[0].m_points, 5);
    EXPECT_EQ(round.m_results[2].m_name, "anna");
    EXPECT_EQ(round.m_results[3].m_name, "Anna ");
    EXPECT_EQ(round.m_bestPoints, 0);
}

// --- Writer ---

TEST(Tournament, WritesTheFileFormat)
{
    CTournament t;
    t.m_title = "V\xE5rturneringen";
    t.AddRound(Round("Omg\xE5ng 1", {{"Anna Berg", 12}, {"Kalle", 7}}));
    t.AddRound(Round("Omg\xE5ng 2", {{"Kalle", 9}}));
    EXPECT_EQ(Written(t), (Lines{"V\xE5rturneringen", "", "Omg\xE5ng 1", "Anna Berg 12", "Kalle      7", "",
                                 "Omg\xE5ng 2", "Kalle      9"}));

    t.AddRound(Round("Tom", {}));
    t.AddRound(Round("Stor", {{"Anna Berg", 123}, {"Bo", 0}, {"Cecilia", 2147483647}}));
    EXPECT_EQ(Written(t), (Lines{"V\xE5rturneringen", "", "Omg\xE5ng 1", "Anna Berg 12", "Kalle      7", "",
                                 "Omg\xE5ng 2", "Kalle      9", "", "Tom", "", "Stor", "Anna Berg 123",
                                 "Bo         0", "Cecilia   2147483647"}));

    CTournament titleOnly;
    titleOnly.m_title = "Cup";
    EXPECT_EQ(Written(titleOnly), Lines{"Cup"});

    // A name longer than the width is never cut; a negative value keeps its sign ("%2d").
    CStringOutput out;
    CResult("Anna Berg", -3).Write(out, 4);
    CResult("Bo", 5).Write(out, 0);
    EXPECT_EQ(out.m_lines, (Lines{"Anna Berg -3", "Bo  5"}));
}

TEST(Tournament, Utf8PadsByCharacters)
{
    CTournament t;
    t.m_title = "Cup";
    t.m_encoding = TextEncoding::Utf8;
    t.AddRound(Round("R", {{"G\xC3\xB6ran", 3}, {"Anna", 10}, {"\xC3\x85sa \xC3\x96" "berg", 1}}));
    EXPECT_EQ(Written(t), (Lines{"Cup", "", "R", "G\xC3\xB6ran      3", "Anna      10", "\xC3\x85sa \xC3\x96" "berg  1"}));
}

TEST(Tournament, ByteOrderMarkWrittenBack)
{
    CTournament t;
    t.m_title = "Cup";
    t.m_encoding = TextEncoding::Utf8;
    t.m_byteOrderMark = true;
    EXPECT_EQ(Written(t), Lines{"\xEF\xBB\xBF" "Cup"});
}

// --- Round trip through the reader ---

struct TripCase
{
    const char* what;
    std::string file;
    std::string rewritten; // what the writer gives for the file that was read
};

TEST(Tournament, RoundTrip)
{
    const TripCase cases[] = {
        {"worked example", "Klubbkamp\r\n\r\nOmg\xE5ng 1\r\nAnna 10\r\nBo 7\r\nCecilia 10\r\n\r\nOmg\xE5ng 2\r\nBo 8\r\nAnna 5\r\n",
         "Klubbkamp\r\n\r\nOmg\xE5ng 1\r\nAnna    10\r\nBo       7\r\nCecilia 10\r\n\r\nOmg\xE5ng 2\r\nBo       8\r\nAnna     5\r\n"},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" "Cup\n\nR\nG\xC3\xB6ran 3\nAnna 10\n",
         "\xEF\xBB\xBF" "Cup\r\n\r\nR\r\nG\xC3\xB6ran  3\r\nAnna  10\r\n"},
        {"UTF-8 without a mark", "Cup\n\nR\n\xC3\x85sa 3\nAnna 10\n", "Cup\r\n\r\nR\r\n\xC3\x85sa   3\r\nAnna 10\r\n"},
        {"empty round and title only", "Cup\n\nTom\n", "Cup\r\n\r\nTom\r\n"},
    };
    for (const TripCase& c : cases) {
        CTournament first;
        std::string line, message;
        int lineNo = 0;
        ASSERT_TRUE(ParseTournament(c.file, first, line, lineNo, message)) << c.what;
        CStringOutput out;
        first.Write(out, Width(first));
        EXPECT_EQ(out.Text(), c.rewritten) << c.what;

        // The written text reads back into the same tournament and is written the same again.
        CTournament second;
        ASSERT_TRUE(ParseTournament(out.Text(), second, line, lineNo, message)) << c.what;
        CStringOutput again;
        second.Write(again, Width(second));
        EXPECT_EQ(again.Text(), out.Text()) << c.what;
        EXPECT_EQ(second.m_encoding, first.m_encoding) << c.what;
    }
}

} // namespace

#include "Reader.h"
#include "StringOutput.h"

#include <gtest/gtest.h>

TEST(Tournament, AddResultReplacesByExactName)
{
    CRound round;
    for (const CResult& r : {CResult("Anna", 3), CResult("Bo", 1), CResult("Anna", 5), CResult("anna", 2)})
        round.AddResult(r);
    std::string got;
    for (const CResult& r : round.m_results)
        got += r.m_name + "=" + std::to_string(r.m_points) + " ";
    EXPECT_EQ(got, "Anna=5 Bo=1 anna=2 ");
}

// The name padded to `width` characters, a blank, the points as "%2d".
TEST(Tournament, ResultLine)
{
    const struct { CResult result; int width; TextEncoding encoding; std::string line; } cases[] = {
        {{"Kalle", 7}, 9, TextEncoding::Windows1252, "Kalle      7"},
        {{"Anna Berg", 123}, 9, TextEncoding::Windows1252, "Anna Berg 123"},
        {{"Anna Berg", -3}, 4, TextEncoding::Windows1252, "Anna Berg -3"}, // never cut
        {{"O\x92Neil", 0}, 7, TextEncoding::Windows1252, "O\x92Neil   0"},  // bytes, whatever their value
        {{"\xC3\x85sa", 7}, 5, TextEncoding::Utf8, "\xC3\x85sa    7"},      // code points
    };
    for (const auto& c : cases) {
        CStringOutput out;
        c.result.Write(out, c.width, c.encoding);
        EXPECT_EQ(out.m_text, c.line + "\r\n");
    }
}

// A saved file reads back into the same tournament, which saves to the same text again.
TEST(Tournament, SavedFileReadsBack)
{
    const struct { std::string file; int width; std::string saved; } cases[] = {
        {"Klubbkamp\r\n\r\nOmg\xE5ng 1\r\nAnna 10\r\nBo 7\r\nCecilia 10\r\n\r\nOmg\xE5ng 2\r\nBo 8\r\nAnna 5\r\n", 7,
         "Klubbkamp\r\n\r\nOmg\xE5ng 1\r\nAnna    10\r\nBo       7\r\nCecilia 10\r\n\r\nOmg\xE5ng 2\r\nBo       8\r\n"
         "Anna     5\r\n"},
        {"\xEF\xBB\xBF" "Cup\n\nR\nG\xC3\xB6ran 3\n\xC3\x85sa 7\nAnna 10\n", 5,
         "\xEF\xBB\xBF" "Cup\r\n\r\nR\r\nG\xC3\xB6ran  3\r\n\xC3\x85sa    7\r\nAnna  10\r\n"},
        {"Cup\n\nTom\n", 0, "Cup\r\n\r\nTom\r\n"},
        // Found by the fuzzer. An empty round name written as an empty line ended the round,
        // and its first result came back as a round name.
        {"Cup\n\n---\nAnna 5\nBo 6\n", 4, "Cup\r\n\r\n-\r\nAnna  5\r\nBo    6\r\n"},
        // A title beginning with the mark's bytes was read back as the mark.
        {" \xEF\xBB\xBF" "Cup\n\nR\nAnna 5\n", 4, " \xEF\xBB\xBF" "Cup\r\n\r\nR\r\nAnna  5\r\n"},
    };
    for (const auto& c : cases) {
        CTournament first, second;
        std::string line, message;
        int lineNo = 0;
        ASSERT_TRUE(ParseTournament(c.file, first, line, lineNo, message)) << c.file;
        CStringOutput out, again;
        first.Write(out, c.width);
        EXPECT_EQ(out.m_text, c.saved);
        ASSERT_TRUE(ParseTournament(out.m_text, second, line, lineNo, message)) << c.saved;
        second.Write(again, c.width);
        EXPECT_EQ(again.m_text, out.m_text);
        EXPECT_EQ(second.m_encoding, first.m_encoding) << c.file;
    }
}

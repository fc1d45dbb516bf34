// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Difference.h"
#include "model/Reader.h"
#include "model/RoundDelta.h"

#include <gtest/gtest.h>

#include <random>

namespace {

CTournament Parsed(const std::string& file)
{
    CTournament tournament;
    std::string line, message;
    int lineNo = 0;
    EXPECT_TRUE(ParseTournament(file, tournament, line, lineNo, message)) << file;
    return tournament;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += (all.empty() ? "" : "|") + line;
    return all;
}

const std::string kFour = "Cup\n\nR1\nAnna 1\n\nR2\nBo 2\n\nR3\nCilla 3\n\nR4\nDan 4\n";

} // namespace

// Every kind of line, rounds matched so that one inserted, removed or renamed round is just
// that, and tournaments that read the same (blanks, line ends, encoding) as equal.
TEST(Difference, LinesForEachKindOfChange)
{
    const struct { std::string before, after, lines; } cases[] = {
        {"Cup\n", "Cup\n", ""},
        {"Cup\r\n\r\nR1\r\nAnna   5\r\n", "  Cup\n\nR1\nAnna 5", ""},
        {"V\xE5r\n\nR\xE5\n\xC5sa 5\n", "\xEF\xBB\xBFV\xC3\xA5r\n\nR\xC3\xA5\n\xC3\x85sa 5\n", ""},
        {"A\n", "B\n", "Titeln: \"A\" \xE2\x86\x92 \"B\""},
        {"Cup\n", "Cup\n\nFinal\nAnna 2\nBo 3\n", "Ny omg\xC3\xA5ng \"Final\" (2 resultat)"},
        {kFour, "Cup\n\nR1\nAnna 1\n\nR3\nCilla 3\n\nR4\nDan 4\n", "Borttagen omg\xC3\xA5ng \"R2\" (1 resultat)"},
        {kFour, "Cup\n\nR1\nAnna 1\n\nR2\nBo 2\n\nX\nEva 5\nBo 1\n\nR3\nCilla 3\n\nR4\nDan 4\n",
         "Ny omg\xC3\xA5ng \"X\" (2 resultat)"},
        {kFour, "Cup\n\nR1\nAnna 1\n\nR3\nCilla 3\n\nR4\nDan 4\n\nR5\nEva 5\n",
         "Borttagen omg\xC3\xA5ng \"R2\" (1 resultat)|Ny omg\xC3\xA5ng \"R5\" (1 resultat)"},
        {kFour, "Cup\n\nR1\nAnna 1\n\nKvart\nBo 2\n\nR3\nCilla 3\n\nR4\nDan 4\n", "\"R2\" heter nu \"Kvart\""},
        {"Cup\n\nR1\nAnna 1\nBo 2\nCilla 3\n", "Cup\n\nFinal\nAnna 1\nBo 2\nCilla 4\n",
         "\"R1\" heter nu \"Final\"|\"Final\": Cilla 3 \xE2\x86\x92 4"},
        {"Cup\n\nR1\nAnna 1\nBo 2\n", "Cup\n\nFinal\nAnna 1\nBo 3\n",
         "Borttagen omg\xC3\xA5ng \"R1\" (2 resultat)|Ny omg\xC3\xA5ng \"Final\" (2 resultat)"},
        {"Cup\n\nR2\nAnna Berg 12\nBo Ek 7\n", "Cup\n\nR2\nAnna Berg 21\nCilla 5\n",
         "\"R2\": Anna Berg 12 \xE2\x86\x92 21|\"R2\": borttagen Bo Ek 7|\"R2\": ny Cilla 5"},
        {"Cup\n", "Ny\n\nR1\nAnna 1\n", "Titeln: \"Cup\" \xE2\x86\x92 \"Ny\"|Ny omg\xC3\xA5ng \"R1\" (1 resultat)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Joined(Differences(Parsed(c.before), Parsed(c.after))), c.lines) << c.before << "\n->\n" << c.after;    // A title as typed in the window, blanks and all, is saved trimmed.
    CTournament typed = Parsed("Cup\n");
    typed.m_title = " Cup\t";
    EXPECT_EQ(Joined(Differences(Parsed("Cup\n"), typed)), "");
}

TEST(Difference, SummaryInOneLine)
{
    const struct { std::string before, after, summary; } cases[] = {
        {kFour, kFour, "inga \xC3\xA4ndringar"},
        {"Cup\n\nR2\nAnna Berg 12\n\nR5\nBo 1\n", "Cup\n\nR2\nAnna Berg 21\n\nR5\nBo 1\nCilla 2\nDan 3\n",
         "Anna Berg 12 \xE2\x86\x92 21 i R2; 2 nya resultat i R5"},
        {"Cup\n\nR\nA 1\nB 2\nC 3\n", "Cup\n\nR\nA 2\nC 4\nD 1\n", "ny D 1 i R; 2 \xC3\xA4ndrade resultat i R; borttagen B 2 i R"},
        {"A\n", "B\n\nR1\nX 1\n\nR2\nX 1\n\nR3\nX 1\n",
         "Titeln: \"A\" \xE2\x86\x92 \"B\"; Ny omg\xC3\xA5ng \"R1\" (1 resultat); Ny omg\xC3\xA5ng \"R2\" (1 resultat); och 1 till"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DifferenceSummary(Parsed(c.before), Parsed(c.after)), c.summary) << c.after;
}

// Random editor sessions (points changed in place, results removed, appended, the name) and a
// shuffle: the delta turns each round into the other and back.
TEST(RoundDelta, RedoAndUndoGiveBothRounds)
{
    std::mt19937 random(7);
    for (int session = 0; session < 300; ++session) {
        CRound before;
        before.m_name = "R";
        const int size = static_cast<int>(random() % 12);
        for (int i = 0; i < size; ++i)
            before.m_results.emplace_back(static_cast<PlayerId>(i), i);
        CRound after = before;
        for (int step = static_cast<int>(random() % 6); step-- > 0;) {
            const std::size_t n = after.m_results.size();
            switch (random() % 4) {
            case 0:
                if (n > 0)
                    after.m_results[random() % n].m_points += 1;
                break;
            case 1:
                if (n > 0)
                    after.m_results.erase(after.m_results.begin() + static_cast<std::ptrdiff_t>(random() % n));
                break;
            case 2:
                after.AddResult(CResult(static_cast<PlayerId>(random() % 20), 9));
                break;
            default:
                after.m_name += "x";
            }
        }
        if (session % 10 == 0)
            std::shuffle(after.m_results.begin(), after.m_results.end(), random);
        const CRoundDelta delta(before, after);
        EXPECT_EQ(delta.Empty(), before.m_name == after.m_name && before.m_results == after.m_results);
        CRound round = before;
        delta.Redo(round);
        ASSERT_EQ(round.m_results, after.m_results) << session;
        EXPECT_EQ(round.m_name, after.m_name);
        delta.Undo(round);
        ASSERT_EQ(round.m_results, before.m_results) << session;
        EXPECT_EQ(round.m_name, before.m_name);
    }
}

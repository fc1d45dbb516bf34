#include "Reader.h"
#include "Standings.h"

#include <gtest/gtest.h>

#include <random>

TEST(Standings, RowsInOrderOfFirstAppearance)
{
    CTournament t;
    std::string line, message;
    int lineNo = 0;
    ASSERT_TRUE(ParseTournament("Cup\n\nR0\nAnna 10\nBo 2147483647\nCecilia 10\n\nR1\nBo 2147483647\nanna 5\nDavid 0\n\n"
                                "R2\nAnna 3\n\nR3",
                                t, line, lineNo, message));
    CStandings s;
    const auto rows = [&] {
        std::string out; // name:points in each round=total/rounds played
        for (const CPlayerRow& row : s.m_rows) {
            out += row.m_name;
            for (std::size_t k = 0; k < row.m_roundPoints.size(); ++k)
                out += (k ? "," : ":") + std::to_string(row.m_roundPoints[k]);
            out += "=" + std::to_string(row.m_total) + "/" + std::to_string(row.m_roundsPlayed) + " ";
        }
        return out;
    };
    t.AddToStandings(s);
    EXPECT_EQ(rows(), "Anna:10,0,3=13/2 Bo:2147483647,2147483647=4294967294/2 Cecilia:10=10/1 anna:0,5=5/1 "
                      "David:0,0=0/1 ");
    EXPECT_EQ(s.LongestNameLength(), 7);

    // A rebuild gives each round its best score anew.
    t.m_rounds[1].m_results[0].m_points = 4;
    s.Clear();
    EXPECT_TRUE(s.m_rows.empty() && s.m_ranking.empty() && s.LongestNameLength() == 0);
    t.AddToStandings(s);
    EXPECT_EQ(rows(), "Anna:10,0,3=13/2 Bo:2147483647,4=2147483651/2 Cecilia:10=10/1 anna:0,5=5/1 David:0,0=0/1 ");
    EXPECT_EQ(t.m_rounds[1].m_bestPoints, 5);

    s.AddResult(0, "\xC3\x85sa \xC3\x96" "berg", 1);
    EXPECT_EQ(s.LongestNameLength(TextEncoding::Utf8), 9);
    EXPECT_EQ(s.LongestNameLength(TextEncoding::Windows1252), 11);
}

// The same as the rule as written: each row in turn goes before the first row of a lower total.
TEST(Standings, RankingIsTheInsertionRule)
{
    std::mt19937 random(20060402);
    for (int trial = 0; trial < 200; ++trial) {
        CStandings s;
        const unsigned players = 1 + static_cast<unsigned>(trial) % 40, most = trial % 3 ? 25 : 2; // 2: many ties
        for (int round = 0; round < 1 + trial % 7; ++round) {
            for (unsigned p = 0; p < players; ++p)
                s.AddResult(round, "P" + std::to_string(random() % players), static_cast<int>(random() % (most + 1)));
        }
        std::vector<int> expected;
        for (int a = 0; a < static_cast<int>(s.m_rows.size()); ++a) {
            auto at = expected.begin();
            while (at != expected.end() && s.m_rows[static_cast<std::size_t>(a)].m_total <=
                                               s.m_rows[static_cast<std::size_t>(*at)].m_total)
                ++at;
            expected.insert(at, a);
        }
        s.BuildRanking();
        ASSERT_EQ(s.m_ranking, expected) << "trial " << trial;
    }
}

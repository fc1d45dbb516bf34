#include "Standings.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

TEST(Standings, AddPoints)
{
    const struct
    {
        std::vector<std::pair<int, int>> added; // (roundIndex, points)
        std::vector<int> roundPoints;
        std::int64_t total;
        int played;
    } cases[] = {
        {{}, {}, 0, 0},
        {{{0, 5}}, {5}, 5, 1},
        {{{0, 4}, {2, 6}}, {4, 0, 6}, 10, 2},
        {{{2, 6}}, {0, 0, 6}, 6, 1},
        {{{0, 0}, {1, 3}}, {0, 3}, 3, 2}, // a result of 0 counts as played
    };
    for (const auto& c : cases) {
        CPlayerRow row("Anna");
        for (auto [round, points] : c.added)
            row.AddPoints(round, points);
        EXPECT_EQ(row.m_roundPoints, c.roundPoints);
        EXPECT_EQ(row.m_total, c.total);
        EXPECT_EQ(row.m_roundsPlayed, c.played);
    }
}

CTournament ThreeRounds()
{
    CTournament t;
    t.m_title = "Cup";
    CRound r0, r1, r2;
    r0.m_results = {{"Anna", 10}, {"Bo", 7}, {"Cecilia", 10}};
    r1.m_results = {{"Bo", 8}, {"anna", 5}, {"David", 0}};
    r2.m_results = {{"Anna", 3}};
    t.m_rounds = {r0, r1, r2, CRound()};
    return t;
}

TEST(Standings, RowsInOrderOfFirstAppearance)
{
    CTournament t = ThreeRounds();
    CStandings s;
    t.AddToStandings(s);
    ASSERT_EQ(s.m_rows.size(), 5u);
    const char* names[] = {"Anna", "Bo", "Cecilia", "anna", "David"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(s.m_rows[i].m_name, names[i]);
    EXPECT_EQ(s.m_rows[0].m_roundPoints, (std::vector<int>{10, 0, 3}));
    EXPECT_EQ(s.m_rows[2].m_roundPoints, std::vector<int>{10});
    EXPECT_EQ(s.m_rows[4].m_roundsPlayed, 1);
    EXPECT_EQ(t.m_rounds[0].m_bestPoints, 10);
    EXPECT_EQ(t.m_rounds[1].m_bestPoints, 8);
    EXPECT_EQ(t.m_rounds[3].m_bestPoints, 0);
    EXPECT_EQ(s.LongestNameLength(), 7);

    // A rebuild after a change gives the same rows again, and the new best score.
    t.m_rounds[1].m_results[0].m_points = 4;
    s.Clear();
    EXPECT_TRUE(s.m_rows.empty() && s.m_ranking.empty());
    EXPECT_EQ(s.LongestNameLength(), 0);
    t.AddToStandings(s);
    EXPECT_EQ(s.m_rows.size(), 5u);
    EXPECT_EQ(s.m_rows[1].m_total, 11);
    EXPECT_EQ(t.m_rounds[1].m_bestPoints, 5);
}

TEST(Standings, LongestNameLengthCountsUtf8Characters)
{
    CStandings s;
    s.AddResult(0, "\xC3\x85sa \xC3\x96" "berg", 1);
    s.AddResult(0, "Kalle", 1);
    EXPECT_EQ(s.LongestNameLength(TextEncoding::Utf8), 9);
    EXPECT_EQ(s.LongestNameLength(TextEncoding::Windows1252), 11);
}

TEST(Standings, TotalsBeyond32Bits)
{
    CStandings s;
    for (int round = 0; round < 4; ++round) {
        s.AddResult(round, "Anna", INT_MAX);
        s.AddResult(round, "Bo", INT_MAX - 1);
    }
    s.BuildRanking();
    EXPECT_EQ(s.m_rows[0].m_total, 4 * static_cast<std::int64_t>(INT_MAX));
    EXPECT_EQ(s.m_ranking, (std::vector<int>{0, 1}));
    EXPECT_EQ(CPlayerRow::IntToString(s.m_rows[0].m_total), "8589934588");
    EXPECT_EQ(CPlayerRow::IntToString(-3), "-3");
}

// The ranking rule as written: each row in turn goes before the first lower total.
std::vector<int> InsertionRanking(const std::vector<CPlayerRow>& rows)
{
    std::vector<int> ranking;
    for (int a = 0; a < static_cast<int>(rows.size()); ++a) {
        auto at = ranking.begin();
        while (at != ranking.end() && !(rows[static_cast<std::size_t>(a)].m_total > rows[static_cast<std::size_t>(*at)].m_total))
            ++at;
        ranking.insert(at, a);
    }
    return ranking;
}

TEST(Standings, RankingEqualsTheInsertionRule)
{
    CStandings example;
    for (auto [name, total] : {std::pair{"A", 20}, {"B", 30}, {"C", 25}, {"D", 30}})
        example.AddResult(0, name, total);
    example.BuildRanking();
    EXPECT_EQ(example.m_ranking, (std::vector<int>{1, 3, 2, 0}));

    std::mt19937 random(20060402);
    for (int trial = 0; trial < 200; ++trial) {
        CStandings s;
        const int rounds = 1 + trial % 7;
        const int players = 1 + trial % 40;
        const int maxPoints = trial % 3 == 0 ? 2 : 25; // few distinct totals: many ties
        for (int round = 0; round < rounds; ++round) {
            for (int p = 0; p < players; ++p) {
                if (random() % 3 != 0)
                    s.AddResult(round, "P" + std::to_string(random() % static_cast<unsigned>(players)),
                                static_cast<int>(random() % static_cast<unsigned>(maxPoints + 1)));
            }
        }
        s.BuildRanking();
        ASSERT_EQ(s.m_ranking, InsertionRanking(s.m_rows)) << "trial " << trial;
    }
}

} // namespace

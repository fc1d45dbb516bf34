// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/ClubPlayers.h"
#include "model/SeriesRules.h"
#include "model/Tournament.h"
#include "report/Counting.h"
#include "report/Standings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One player's line of the standings, as every output shows it.
struct CStandingsLine
{
    PlayerId m_player = 0;
    // The place: that of the first of the players with an equal total (1, 1, 3); 0 for a
    // player the rules do not place.
    int m_place = 0;
    // False where the place is shared and the line is not the first of it: the page shows none.
    bool m_placeShown = false;
    // The total that counts: with a rule of best rounds, the sum of those alone.
    std::int64_t m_total = 0;
    int m_roundsPlayed = 0;
    // The sum of all rounds, whatever counts.
    std::int64_t m_all = 0;
    // False for a player below the rules' minimum of rounds who can no longer reach it.
    bool m_placed = true;
    // The criterion that put this line below the one above it, where both have the same total
    // and are both placed or both not.
    std::optional<Tiebreak> m_decidedBy;
};

// The standings after the first rounds of a tournament, computed once: the players in ranking
// order (best total first; equal totals in order of first appearance), with their points in
// each round, or none where they have no result. Refers to the tournament, which must outlive
// it unchanged. The lines are made when asked for, from the standings' rows, so a view costs
// little beside the standings.
class CStandingsView
{
public:
    // The standings after the first `rounds` rounds (all of them when there are fewer).
    explicit CStandingsView(const CTournament& tournament, std::size_t rounds = SIZE_MAX);
    // The standings of all rounds as `standings` holds them: AddToStandings of this tournament,
    // kept up to date by the caller, and ranked (BuildRanking). They must outlive the view
    // unchanged.
    CStandingsView(const CTournament& tournament, const CStandings& standings);
    // The same, ranked by the series rules; with none in force exactly as without them.
    // `players`: the club's players file, for the start values of a handicap.
    CStandingsView(const CTournament& tournament, const CSeriesRules& rules, std::size_t rounds = SIZE_MAX,
                   const CClubPlayers* players = nullptr);
    CStandingsView(const CTournament& tournament, const CStandings& standings, const CSeriesRules& rules,
                   const CClubPlayers* players = nullptr);
    // The same, counted by `counting` (of this tournament, under these rules), which the view
    // shares: views of fewer rounds, as the column of change needs, count nothing again.
    CStandingsView(std::shared_ptr<const CCounting> counting, const CSeriesRules& rules, std::size_t rounds = SIZE_MAX);
    CStandingsView(std::shared_ptr<const CCounting> counting, const CStandings& standings, const CSeriesRules& rules);
    CStandingsView(const CStandingsView&) = delete;
    CStandingsView& operator=(const CStandingsView&) = delete;

    const CTournament& Tournament() const { return m_tournament; }
    std::size_t RoundCount() const { return m_roundCount; }
    std::size_t LineCount() const { return m_ruled ? m_ruledRows.size() : m_standings.m_ranking.size(); }
    // Line `line` in ranking order. Cheapest when asked for line after line.
    CStandingsLine Line(std::size_t line) const;
    std::string_view Name(const CStandingsLine& line) const { return m_tournament.PlayerName(line.m_player); }
    // The points of line `line` in round `round`; none when the player has no result there
    // (with places as points, a round held without the player gives the points of its absence).
    std::optional<int> Points(std::size_t line, std::size_t round) const
    {
        const int points = m_points[Row(line) * m_roundCount + round];
        return points == kNoResult ? std::nullopt : std::optional<int>(points);
    }
    // The number the player entered in the round, and its place in the round; none without a
    // result. Under plain points the number entered is the points, and no place is known.
    std::optional<int> Entered(std::size_t line, std::size_t round) const
    {
        const int entered = (m_entered.empty() ? m_points : m_entered)[Row(line) * m_roundCount + round];
        return entered == kNoResult ? std::nullopt : std::optional<int>(entered);
    }
    // The handicap the player's number in the round was counted with; none without a result,
    // without a handicap, or before the player had one (HandicapNotYet).
    std::optional<int> Handicap(std::size_t line, std::size_t round) const
    {
        const int handicap = m_handicaps.empty() ? kNoResult : m_handicaps[Row(line) * m_roundCount + round];
        return handicap == kNoResult ? std::nullopt : std::optional<int>(handicap);
    }
    bool HandicapNotYet(std::size_t line, std::size_t round) const
    {
        return !m_handicaps.empty() && m_handicaps[Row(line) * m_roundCount + round] == kNoResult &&
               Entered(line, round).has_value();
    }
    // How line `line`'s handicap for the round after these was reached; none without a handicap.
    std::optional<CHandicapExplained> NextHandicap(std::size_t line) const;
    std::optional<int> RoundPlace(std::size_t line, std::size_t round) const;
    // Whether the player won the round: its best, shown bold.
    bool RoundWin(std::size_t line, std::size_t round) const { return m_won[Row(line) * m_roundCount + round] != 0; }
    // The points of the round's winners.
    int BestPoints(std::size_t round) const { return m_counting->BestPoints(round); }
    const CCounting& Counted() const { return *m_counting; }
    std::shared_ptr<const CCounting> SharedCounting() const { return m_counting; }
    // The lowest total is ahead.
    bool LowerWins() const { return m_counting->LowerWins(); }

    const CSeriesRules& Rules() const { return m_rules; }
    // Whether the points of line `line` in round `round` do not count (a rule of best rounds).
    bool Dropped(std::size_t line, std::size_t round) const
    {
        return !m_dropped.empty() && m_dropped[Row(line) * m_roundCount + round] != 0;
    }
    // What the criteria look at: round wins (the round's best, above 0), the best single round,
    // and the scores that do not count (highest first where "struket" splits equal totals).
    int Wins(std::size_t line) const;
    int Highest(std::size_t line) const;
    std::span<const int> DroppedScores(std::size_t line) const;

private:
    // Points are never negative (the reader and the editor take digits only), so this value is
    // free to mark a missing result; the table stays half the size of one of optionals.
    static constexpr int kNoResult = INT32_MIN;

    void Fill();
    // Calls `f(cell, round, result)` for each result of the rounds shown that has a row.
    template <class F>
    void ForEachResult(F f) const;
    // Ranks by the rules in force: fills the lines, their rows and what does not count.
    void RankByRules();
    // > 0 when row `a` is ahead of row `b` by `criterion`, < 0 when behind.
    int Compare(std::size_t a, std::size_t b, Tiebreak criterion) const;
    std::size_t Row(std::size_t line) const
    {
        return static_cast<std::size_t>(m_ruled ? m_ruledRows[line] : m_standings.m_ranking[line]);
    }
    std::int64_t Total(std::size_t line) const { return m_standings.m_rows[Row(line)].m_total; }

    const CTournament& m_tournament;
    std::size_t m_roundCount;
    CStandings m_own; // when the view works the standings out itself
    const CStandings& m_standings;
    std::shared_ptr<const CCounting> m_counting;
    // Row by row of the standings, one element per round: the points counted, the round wins,
    // and unless the points are the numbers entered, those numbers and their places.
    std::vector<int> m_points;
    std::vector<std::uint8_t> m_won;
    std::vector<int> m_entered;
    // The places in the rounds, made when first asked for: only the JSON lists them.
    mutable std::vector<int> m_places;
    mutable std::once_flag m_placesOnce;
    // With a handicap: the handicap of each number entered, kNoResult where there was none yet.
    std::vector<int> m_handicaps;
    // The last line asked for and the first line of its place, so that lines asked for in
    // order cost no search.
    mutable std::size_t m_lastLine = SIZE_MAX;
    mutable std::size_t m_lastPlaceLine = 0;

    CSeriesRules m_rules;
    // The rules are in force: asked for every cell of a page, so worked out once.
    bool m_ruled = m_rules.InForce();
    // With rules in force: the lines in ranking order and the row of each.
    std::vector<CStandingsLine> m_ruledLines;
    std::vector<int> m_ruledRows;
    // Per row: the rounds whose points count, where the lowest total wins (more are ahead).
    std::vector<int> m_countedRounds;
    // Per row: round wins and best round; with a rule of best rounds also, row by row of the
    // standings and one element per round, 1 where the points do not count, and the dropped
    // scores of row r from m_droppedStart[r] to m_droppedStart[r + 1]: highest first where
    // "struket" splits equal totals, among those; in no order elsewhere.
    std::vector<int> m_wins, m_highest;
    std::vector<std::uint8_t> m_dropped;
    std::vector<int> m_droppedScores;
    std::vector<std::size_t> m_droppedStart;
};

class CGroupStandings;

// The standings page, each line through `out`; in the tournament's encoding. With `groups` that
// set classes or teams, the overall table (unless left out), each class's and the teams' follow.
void WriteHtmlPage(CLineOutput& out, const CStandingsView& view, const CGroupStandings* groups = nullptr);
// The same page in one string, its lines ended by CR LF as the file holds them.
std::string HtmlPageText(const CStandingsView& view, const CGroupStandings* groups = nullptr);
// Where a line added after the page's heading goes in `page` (as HtmlPageText writes it for a
// tournament titled `title`): after the heading's line, or at the body's start without one.
std::size_t AfterPageHeading(const std::string& page, const std::string& title);

// The standings as a plain-text table with aligned columns, in UTF-8, each line ended by LF.
std::string StandingsText(const CStandingsView& view);
// The standings as CSV (RFC 4180, UTF-8, CR LF): a header row, then one row per player.
// With `groups` that set classes or teams, each player's class and team in two more columns.
std::string StandingsCsv(const CStandingsView& view, char separator = ',', const CGroupStandings* groups = nullptr);
// The same with ';' between fields and a UTF-8 byte-order mark, as spreadsheets set up for a
// decimal comma (a Swedish Excel, LibreOffice) open in columns with every letter right.
std::string StandingsExcelCsv(const CStandingsView& view, const CGroupStandings* groups = nullptr);
// The standings as one JSON object in UTF-8: title, round names and one line per player. With
// `groups` that set classes or teams, each line's "class" and "team", and unless `linesOnly`
// "classes" (each shown class's standings) and "teams" (the team table, when there is one).
std::string StandingsJson(const CStandingsView& view, const CGroupStandings* groups = nullptr, bool linesOnly = false);

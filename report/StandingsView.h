// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"
#include "report/Standings.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One player's line of the standings, as every output shows it.
struct CStandingsLine
{
    PlayerId m_player = 0;
    // The place: that of the first of the players with an equal total (1, 1, 3).
    int m_place = 0;
    // False where the place is shared and the line is not the first of it: the page shows none.
    bool m_placeShown = false;
    std::int64_t m_total = 0;
    int m_roundsPlayed = 0;
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
    CStandingsView(const CStandingsView&) = delete;
    CStandingsView& operator=(const CStandingsView&) = delete;

    const CTournament& Tournament() const { return m_tournament; }
    std::size_t RoundCount() const { return m_roundCount; }
    std::size_t LineCount() const { return m_standings.m_ranking.size(); }
    // Line `line` in ranking order. Cheapest when asked for line after line.
    CStandingsLine Line(std::size_t line) const;
    std::string_view Name(const CStandingsLine& line) const { return m_tournament.PlayerName(line.m_player); }
    // The points of line `line` in round `round`; none when the player has no result there.
    std::optional<int> Points(std::size_t line, std::size_t round) const
    {
        const int points = m_points[Row(line) * m_roundCount + round];
        return points == kNoResult ? std::nullopt : std::optional<int>(points);
    }
    // The highest points of the round, 0 at least.
    int BestPoints(std::size_t round) const { return m_bestPoints[round]; }

private:
    // Points are never negative (the reader and the editor take digits only), so this value is
    // free to mark a missing result; the table stays half the size of one of optionals.
    static constexpr int kNoResult = INT32_MIN;

    void Fill();
    std::size_t Row(std::size_t line) const { return static_cast<std::size_t>(m_standings.m_ranking[line]); }
    std::int64_t Total(std::size_t line) const { return m_standings.m_rows[Row(line)].m_total; }

    const CTournament& m_tournament;
    std::size_t m_roundCount;
    CStandings m_own; // when the view works the standings out itself
    const CStandings& m_standings;
    // Row by row of the standings, one element per round.
    std::vector<int> m_points;
    std::vector<int> m_bestPoints;
    // The last line asked for and the first line of its place, so that lines asked for in
    // order cost no search.
    mutable std::size_t m_lastLine = SIZE_MAX;
    mutable std::size_t m_lastPlaceLine = 0;
};

// The standings page, each line through `out`; in the tournament's encoding.
void WriteHtmlPage(CLineOutput& out, const CStandingsView& view);

// The standings as a plain-text table with aligned columns, in UTF-8, each line ended by LF.
std::string StandingsText(const CStandingsView& view);
// The standings as CSV (RFC 4180, UTF-8, CR LF): a header row, then one row per player.
std::string StandingsCsv(const CStandingsView& view);
// The standings as one JSON object in UTF-8: title, round names and one line per player.
std::string StandingsJson(const CStandingsView& view);

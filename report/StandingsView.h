#pragma once

#include "model/Tournament.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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
// it unchanged.
class CStandingsView
{
public:
    // The standings after the first `rounds` rounds (all of them when there are fewer).
    explicit CStandingsView(const CTournament& tournament, std::size_t rounds = SIZE_MAX);

    const CTournament& Tournament() const { return m_tournament; }
    std::size_t RoundCount() const { return m_roundCount; }
    const std::vector<CStandingsLine>& Lines() const { return m_lines; }
    const std::string& Name(const CStandingsLine& line) const { return m_tournament.PlayerName(line.m_player); }
    // The points of line `line` in round `round`; none when the player has no result there.
    std::optional<int> Points(std::size_t line, std::size_t round) const
    {
        const int points = m_points[m_rowOfLine[line] * m_roundCount + round];
        return points == kNoResult ? std::nullopt : std::optional<int>(points);
    }
    // The highest points of the round, 0 at least.
    int BestPoints(std::size_t round) const { return m_bestPoints[round]; }

private:
    // Points are never negative (the reader and the editor take digits only), so this value is
    // free to mark a missing result; the table stays half the size of one of optionals.
    static constexpr int kNoResult = INT32_MIN;

    const CTournament& m_tournament;
    std::size_t m_roundCount;
    std::vector<CStandingsLine> m_lines;
    // Per line, its row in order of first appearance, where its points stand in m_points.
    std::vector<std::size_t> m_rowOfLine;
    // Row by row, one element per round.
    std::vector<int> m_points;
    std::vector<int> m_bestPoints;
};

// The standings page, each line through `out`; in the tournament's encoding.
void WriteHtmlPage(CLineOutput& out, const CStandingsView& view);

// The standings as a plain-text table with aligned columns, in UTF-8, each line ended by LF.
std::string StandingsText(const CStandingsView& view);
// The standings as CSV (RFC 4180, UTF-8, CR LF): a header row, then one row per player.
std::string StandingsCsv(const CStandingsView& view);
// The standings as one JSON object in UTF-8: title, round names and one line per player.
std::string StandingsJson(const CStandingsView& view);

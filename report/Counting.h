// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/ClubPlayers.h"
#include "model/SeriesRules.h"
#include "model/Tournament.h"
#include "report/Handicap.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

// The one place where the numbers entered become the numbers the tables count. Per result of
// each round, in the round's order: the score that counts (the number entered, with the
// player's handicap where the rules set one), its place in the round and the series points it
// gives; per round the points of its winners.
// Made once from a tournament, or from a class's part of one (then the places and points are
// the class's own), and read by every table and output; none of them counts on its own.
// With plain points (no counting keys, no handicap) it stores nothing per result: the points
// are the numbers entered.
class CCounting
{
public:
    // `players`: the club's players file, whose start values the handicaps take (none without).
    CCounting(const CTournament& tournament, const CSeriesRules& rules, const CClubPlayers* players = nullptr);
    CCounting(const CCounting&) = delete;
    CCounting& operator=(const CCounting&) = delete;

    const CTournament& Tournament() const { return m_tournament; }
    Counting Kind() const { return m_kind; }
    // The lowest total is ahead (strokes, places as points); a round's best is its lowest points.
    bool LowerWins() const { return m_lowerWins; }
    // The points are the numbers entered, and nothing else is known of a result.
    bool Plain() const { return m_start.empty(); }

    // Result `result` of round `round`: its place in the round by the score that counts (1-based,
    // shared by equal scores: 1, 2, 2, 4; 0 with plain points), the points it gives, and whether
    // it wins the round (a first place; with points, the round's highest above 0).
    int Place(std::size_t round, std::size_t result) const { return Plain() ? 0 : Places()[m_start[round] + result]; }
    int Points(std::size_t round, std::size_t result) const
    {
        return Plain() ? Entered(round, result) : m_points[m_start[round] + result];
    }
    bool Won(std::size_t round, std::size_t result) const;
    // With a handicap: the handicaps of every result and each player's for the next round.
    const CHandicapTable* Handicaps() const { return m_handicaps ? &*m_handicaps : nullptr; }
    // The handicap result `result` of round `round` was counted with; none without a handicap
    // or before the player had one ("ingen handikapp ännu").
    std::optional<int> Handicap(std::size_t round, std::size_t result) const
    {
        if (!m_handicaps || m_handicaps->NotYet(round, result))
            return std::nullopt;
        return m_handicaps->Value(round, result);
    }

    // The points of the round's winners: its highest points, or lowest where the lowest wins;
    // 0 for a round without results.
    int BestPoints(std::size_t round) const { return m_best[round]; }

    // Places as points: what a player without a result in a round with results gets, in the
    // standings of the first `rounds` rounds: the number of players in them, plus one. 0 otherwise.
    int AbsentPoints(std::size_t rounds) const;

private:
    int Entered(std::size_t round, std::size_t result) const
    {
        return m_tournament.m_rounds[round].m_results[result].m_points;
    }
    void CountRound(std::size_t round, const CSeriesRules& rules);
    // The points come from the places (placing, places as points), or follow the score.
    bool PlacesGivePoints() const { return m_kind == Counting::Placing || m_kind == Counting::Place; }
    // Every result's place; where the points follow the score, ranked by the points when first
    // asked, since no table needs them (only the JSON lists them).
    const std::vector<int>& Places() const;

    const CTournament& m_tournament;
    Counting m_kind;
    bool m_lowerWins;
    bool m_lowFirst; // a round's lowest score is placed first
    // Where each round's results start in the per-result tables; empty with plain points.
    std::vector<std::size_t> m_start;
    std::vector<int> m_points;
    mutable std::vector<int> m_places;
    mutable std::once_flag m_placesOnce;
    int m_entryPoints = 0; // added to every result's points
    // One round's net scores and order while it is counted, kept for the next round's.
    std::vector<int> m_roundScores;
    std::vector<std::uint64_t> m_roundOrder;
    std::vector<int> m_best;
    std::optional<CHandicapTable> m_handicaps;
    // Places as points: the players with a result in the rounds up to and including each round.
    std::vector<int> m_playersThrough;
};

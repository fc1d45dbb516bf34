// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/SeriesRules.h"
#include "model/Tournament.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The front of the counting: what a player's number in a round becomes before the round is
// placed, such as strokes less a handicap. Asked once for each result, round by round and within
// a round in the round's order; its answer is the score that counts from then on (0 at least).
class CScoreAdjustment
{
public:
    virtual ~CScoreAdjustment() = default;
    virtual int Adjusted(PlayerId player, std::size_t round, int entered) const = 0;
};

// The one place where the numbers entered become the numbers the tables count. Per result of
// each round, in the round's order: the score that counts (the number entered, adjusted), its
// place in the round and the series points it gives; per round the points of its winners.
// Made once from a tournament, or from a class's part of one (then the places and points are
// the class's own), and read by every table and output; none of them counts on its own.
// With plain points (no counting keys, no adjustment) it stores nothing per result: the points
// are the numbers entered.
class CCounting
{
public:
    CCounting(const CTournament& tournament, const CSeriesRules& rules, const CScoreAdjustment* adjustment = nullptr);
    CCounting(const CCounting&) = delete;
    CCounting& operator=(const CCounting&) = delete;

    const CTournament& Tournament() const { return m_tournament; }
    Counting Kind() const { return m_kind; }
    // The lowest total is ahead (strokes, places as points); a round's best is its lowest points.
    bool LowerWins() const { return m_lowerWins; }
    // The points are the numbers entered, and nothing else is known of a result.
    bool Plain() const { return m_start.empty(); }

    // Result `result` of round `round`: the score that counts, its place in the round (1-based,
    // shared by equal scores: 1, 2, 2, 4; 0 with plain points), the points it gives, and whether
    // it wins the round (a first place; with points, the round's highest above 0).
    int Score(std::size_t round, std::size_t result) const
    {
        return Plain() ? Entered(round, result) : m_scores[m_start[round] + result];
    }
    int Place(std::size_t round, std::size_t result) const { return Plain() ? 0 : m_places[m_start[round] + result]; }
    int Points(std::size_t round, std::size_t result) const
    {
        return Plain() ? Entered(round, result) : m_points[m_start[round] + result];
    }
    bool Won(std::size_t round, std::size_t result) const;
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
    void CountRound(std::size_t round, const CSeriesRules& rules, const CScoreAdjustment* adjustment);

    const CTournament& m_tournament;
    Counting m_kind;
    bool m_lowerWins;
    // Where each round's results start in the per-result tables; empty with plain points.
    std::vector<std::size_t> m_start;
    std::vector<int> m_scores, m_places, m_points;
    std::vector<int> m_best;
    // Places as points: the players with a result in the rounds up to and including each round.
    std::vector<int> m_playersThrough;
};

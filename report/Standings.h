// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <cstdint>
#include <string>
#include <vector>

// One player's line in the standings.
class CPlayerRow
{
public:
    explicit CPlayerRow(PlayerId player);

    // Adds the player's points in one round. The points of each round are not kept here: the
    // page and the other outputs take them from the rounds (StandingsView), so a row stays
    // small however many players and rounds a tournament has.
    void AddPoints(int points);

    // The player, named through the tournament (CTournament::PlayerName).
    PlayerId m_player;
    int m_roundsPlayed = 0;
    // 64-bit so that no file can overflow the sum of 32-bit points.
    std::int64_t m_total = 0;
};

// The standings of a tournament: one row per player with a result, in order of first appearance.
class CStandings
{
public:
    void Clear();

    // Adds one result to the player's row, making the row first when the player is new.
    void AddResult(PlayerId player, int points);

    // Fills m_ranking: rows by total, highest first; equal totals keep the order of m_rows.
    void BuildRanking();

    // Room for rows of `players` players without moving them.
    void Reserve(std::size_t players);
    static constexpr std::uint32_t kNoRow = UINT32_MAX;
    // The player's row, or kNoRow.
    std::uint32_t RowOf(PlayerId player) const { return player < m_rowOf.size() ? m_rowOf[player] : kNoRow; }

    std::vector<CPlayerRow> m_rows;
    std::vector<int> m_ranking;

private:
    // Per player id: the player's row, or kNoRow.
    std::vector<std::uint32_t> m_rowOf;
};

// Feeds every round of the tournament into the standings, in order.
void AddToStandings(CStandings& standings, const CTournament& tournament);
// Feeds one round into the standings, after the rounds before it.
void AddToStandings(CStandings& standings, const CRound& round);

// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Standings.h"

#include <algorithm>

CPlayerRow::CPlayerRow(PlayerId player)
    : m_player(player)
{
}

void CPlayerRow::AddPoints(int points)
{
    m_total += points;
    ++m_roundsPlayed;
}

void CStandings::Clear()
{
    m_rows.clear();
    m_ranking.clear();
    m_rowOf.clear();
}

void CStandings::AddResult(PlayerId player, int points)
{
    if (player >= m_rowOf.size())
        m_rowOf.resize(std::size_t{player} + 1, kNoRow);
    std::uint32_t& row = m_rowOf[player];
    if (row == kNoRow) {
        row = static_cast<std::uint32_t>(m_rows.size());
        m_rows.emplace_back(player);
    }
    m_rows[row].AddPoints(points);
}

void CStandings::BuildRanking()
{
    // A stable sort gives what inserting each row before the first lower total gives.
    m_ranking.resize(m_rows.size());
    for (std::size_t i = 0; i < m_ranking.size(); ++i)
        m_ranking[i] = static_cast<int>(i);
    std::stable_sort(m_ranking.begin(), m_ranking.end(), [this](int a, int b) {
        return m_rows[static_cast<std::size_t>(a)].m_total > m_rows[static_cast<std::size_t>(b)].m_total;
    });
}

namespace {

// Room for `size` elements. An empty vector that is too small gets fresh storage after its old
// one is freed, so a rebuilt table never lives beside the storage of the one before.
template <typename T>
void ReserveFresh(std::vector<T>& items, std::size_t size)
{
    if (items.empty() && items.capacity() < size)
        items = std::vector<T>();
    items.reserve(size);
}

} // namespace

void AddToStandings(CStandings& standings, const CRound& round)
{
    for (const CResult& result : round.m_results)
        standings.AddResult(result.m_player, result.m_points);
}

void CStandings::Reserve(std::size_t players)
{
    ReserveFresh(m_rows, players);
    ReserveFresh(m_rowOf, players);
}

void AddToStandings(CStandings& standings, const CTournament& tournament)
{
    standings.Reserve(tournament.m_players.Size());
    for (const CRound& round : tournament.m_rounds)
        AddToStandings(standings, round);
}

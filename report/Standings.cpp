#include "Standings.h"

#include "Encoding.h"

#include <algorithm>
#include <utility>

CPlayerRow::CPlayerRow(std::string name)
    : m_name(std::move(name))
{
}

void CPlayerRow::AddPoints(int roundIndex, int points)
{
    if (roundIndex > 0 && m_roundPoints.size() < static_cast<std::size_t>(roundIndex))
        m_roundPoints.resize(static_cast<std::size_t>(roundIndex), 0);
    m_roundPoints.push_back(points);
    m_total += points;
    ++m_roundsPlayed;
}

std::string CPlayerRow::IntToString(std::int64_t value)
{
    return std::to_string(value);
}

void CStandings::Clear()
{
    m_rows.clear();
    m_ranking.clear();
    m_index.Clear();
}

void CStandings::AddResult(int roundIndex, const std::string& name, int points)
{
    const auto [row, added] = m_index.FindOrAdd(
        name, m_rows.size(), [this](std::size_t i) -> const std::string& { return m_rows[i].m_name; });
    if (added)
        m_rows.emplace_back(name);
    m_rows[row].AddPoints(roundIndex, points);
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

int CStandings::LongestNameLength(TextEncoding encoding) const
{
    std::size_t longest = 0;
    for (const CPlayerRow& row : m_rows)
        longest = std::max(longest, TextLength(row.m_name, encoding));
    return static_cast<int>(std::min<std::size_t>(longest, INT32_MAX));
}

void CRound::AddToStandings(CStandings& standings, int roundIndex)
{
    m_bestPoints = 0;
    for (const CResult& result : m_results) {
        standings.AddResult(roundIndex, result.m_name, result.m_points);
        if (result.m_points > m_bestPoints)
            m_bestPoints = result.m_points;
    }
}

void CTournament::AddToStandings(CStandings& standings)
{
    for (std::size_t i = 0; i < m_rounds.size(); ++i)
        m_rounds[i].AddToStandings(standings, static_cast<int>(i));
}

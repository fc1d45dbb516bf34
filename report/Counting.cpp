// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Counting.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// Points are 32-bit and never negative; a sum that would pass the largest stays at it.
int Saturated(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, INT_MAX));
}

} // namespace

CCounting::CCounting(const CTournament& tournament, const CSeriesRules& rules, const CClubPlayers* players)
    : m_tournament(tournament)
    , m_kind(rules.m_counting)
    , m_lowerWins(rules.LowerTotalWins())
{
    const std::size_t rounds = tournament.m_rounds.size();
    m_best.assign(rounds, 0);
    if (!rules.CountsOtherwise()) {
        for (std::size_t k = 0; k < rounds; ++k) {
            for (const CResult& result : tournament.m_rounds[k].m_results)
                m_best[k] = std::max(m_best[k], result.m_points);
        }
        return;
    }
    if (rules.m_handicap.m_on) {
        m_handicaps.emplace(tournament, rules.m_handicap, HandicapLowerBetter(rules),
                            players ? StartValuesOf(*players, tournament) : std::vector<CStartValue>());
    }
    m_start.resize(rounds + 1, 0);
    for (std::size_t k = 0; k < rounds; ++k)
        m_start[k + 1] = m_start[k] + tournament.m_rounds[k].m_results.size();
    m_entryPoints = rules.m_entryPoints.value_or(0);
    m_places.resize(m_start.back());
    m_points.resize(m_start.back());
    for (std::size_t k = 0; k < rounds; ++k)
        CountRound(k, rules);
    if (m_kind == Counting::Place) {
        std::vector<char> seen(tournament.m_players.Size(), 0);
        int entrants = 0;
        for (const CRound& round : tournament.m_rounds) {
            for (const CResult& result : round.m_results) {
                if (!seen[result.m_player]) {
                    seen[result.m_player] = 1;
                    ++entrants;
                }
            }
            m_playersThrough.push_back(entrants);
        }
    }
}

void CCounting::CountRound(std::size_t round, const CSeriesRules& rules)
{
    const std::vector<CResult>& results = m_tournament.m_rounds[round].m_results;
    const std::size_t first = m_start[round], field = results.size();
    std::vector<int>& scores = m_roundScores;
    scores.resize(field);
    for (std::size_t i = 0; i < field; ++i) {
        const CResult& result = results[i];
        scores[i] = m_handicaps ? NetScore(result.m_points, m_handicaps->Value(round, i), m_handicaps->LowerBetter())
                                : result.m_points;
    }
    // The round's order: by score, lowest or highest first, then by position; a run of equal
    // scores shares the place of its first. Scores are never negative, so score and position
    // sort as one number.
    std::vector<std::uint64_t>& order = m_roundOrder;
    order.resize(field);
    const bool lowFirst = rules.LowerScoreWins();
    for (std::size_t i = 0; i < field; ++i) {
        const auto key = static_cast<std::uint64_t>(lowFirst ? scores[i] : INT_MAX - scores[i]);
        order[i] = key << 32 | i;
    }
    std::sort(order.begin(), order.end());
    const std::int64_t entry = m_entryPoints;
    const std::vector<int>& table = rules.m_placePoints;
    for (std::size_t start = 0; start < field;) {
        std::size_t end = start + 1;
        while (end < field && order[end] >> 32 == order[start] >> 32)
            ++end;
        const int place = static_cast<int>(start + 1);
        for (std::size_t j = start; j < end; ++j) {
            const std::size_t i = order[j] & 0xFFFFFFFFu;
            std::int64_t points = scores[i];
            if (m_kind == Counting::Place)
                points = place;
            else if (m_kind == Counting::Placing && rules.m_pointsForBeaten)
                points = static_cast<std::int64_t>(field - end) + 1;
            else if (m_kind == Counting::Placing)
                points = static_cast<std::size_t>(place) <= table.size() ? table[static_cast<std::size_t>(place) - 1]
                                                                         : rules.m_otherPoints.value_or(0);
            if (m_kind == Counting::Points || m_kind == Counting::Placing)
                points += entry;
            m_places[first + i] = place;
            m_points[first + i] = Saturated(points);
        }
        start = end;
    }
    for (std::size_t i = 0; i < field; ++i) {
        if (m_places[first + i] == 1)
            m_best[round] = m_points[first + i];
    }
}

bool CCounting::Won(std::size_t round, std::size_t result) const
{
    if (Plain()) {
        const int points = Entered(round, result);
        return points > 0 && points == m_best[round];
    }
    const std::size_t at = m_start[round] + result;
    // With points, a round where the best scored nothing has no winner.
    return m_places[at] == 1 && (m_kind != Counting::Points || m_points[at] > m_entryPoints);
}

int CCounting::AbsentPoints(std::size_t rounds) const
{
    if (m_kind != Counting::Place || m_playersThrough.empty() || rounds == 0)
        return 0;
    return m_playersThrough[std::min(rounds, m_playersThrough.size()) - 1] + 1;
}

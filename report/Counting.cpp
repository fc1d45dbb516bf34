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

CCounting::CCounting(const CTournament& tournament, const CSeriesRules& rules, const CScoreAdjustment* adjustment)
    : m_tournament(tournament)
    , m_kind(rules.m_counting)
    , m_lowerWins(rules.LowerTotalWins())
{
    const std::size_t rounds = tournament.m_rounds.size();
    m_best.assign(rounds, 0);
    if (!rules.CountsOtherwise() && !adjustment) {
        for (std::size_t k = 0; k < rounds; ++k) {
            for (const CResult& result : tournament.m_rounds[k].m_results)
                m_best[k] = std::max(m_best[k], result.m_points);
        }
        return;
    }
    m_start.resize(rounds + 1, 0);
    for (std::size_t k = 0; k < rounds; ++k)
        m_start[k + 1] = m_start[k] + tournament.m_rounds[k].m_results.size();
    m_scores.resize(m_start.back());
    m_places.resize(m_start.back());
    m_points.resize(m_start.back());
    for (std::size_t k = 0; k < rounds; ++k)
        CountRound(k, rules, adjustment);
    if (m_kind == Counting::Place) {
        std::vector<char> seen(tournament.m_players.Size(), 0);
        int players = 0;
        for (const CRound& round : tournament.m_rounds) {
            for (const CResult& result : round.m_results) {
                if (!seen[result.m_player]) {
                    seen[result.m_player] = 1;
                    ++players;
                }
            }
            m_playersThrough.push_back(players);
        }
    }
}

void CCounting::CountRound(std::size_t round, const CSeriesRules& rules, const CScoreAdjustment* adjustment)
{
    const std::vector<CResult>& results = m_tournament.m_rounds[round].m_results;
    const std::size_t first = m_start[round], field = results.size();
    int* scores = m_scores.data() + first;
    for (std::size_t i = 0; i < field; ++i) {
        const CResult& result = results[i];
        scores[i] =
            adjustment ? std::max(adjustment->Adjusted(result.m_player, round, result.m_points), 0) : result.m_points;
    }
    // The round's order: by score, lowest or highest first, then by position; a run of equal
    // scores shares the place of its first.
    std::vector<std::pair<int, std::uint32_t>> order(field);
    const bool lowFirst = rules.LowerScoreWins();
    for (std::size_t i = 0; i < field; ++i)
        order[i] = {lowFirst ? scores[i] : -scores[i], static_cast<std::uint32_t>(i)};
    std::sort(order.begin(), order.end());
    const std::int64_t entry = rules.m_entryPoints.value_or(0);
    const std::vector<int>& table = rules.m_placePoints;
    for (std::size_t start = 0; start < field;) {
        std::size_t end = start + 1;
        while (end < field && order[end].first == order[start].first)
            ++end;
        const int place = static_cast<int>(start + 1);
        for (std::size_t j = start; j < end; ++j) {
            const std::size_t i = order[j].second;
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
    return m_places[at] == 1 && (m_kind != Counting::Points || m_scores[at] > 0);
}

int CCounting::AbsentPoints(std::size_t rounds) const
{
    if (m_kind != Counting::Place || m_playersThrough.empty() || rounds == 0)
        return 0;
    return m_playersThrough[std::min(rounds, m_playersThrough.size()) - 1] + 1;
}

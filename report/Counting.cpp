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

// The order of a round's `values` into `order`, each entry its value and position: lowest or
// highest first, equal values in entry order. Values are never negative, so value and position
// sort as one number.
void Order(const int* values, std::size_t field, bool lowFirst, std::vector<std::uint64_t>& order)
{
    order.resize(field);
    for (std::size_t i = 0; i < field; ++i) {
        const auto key = static_cast<std::uint64_t>(lowFirst ? values[i] : INT_MAX - values[i]);
        order[i] = key << 32 | i;
    }
    std::sort(order.begin(), order.end());
}

// Whether the entries at `a` and `b` of an order share their value.
bool Tied(std::uint64_t a, std::uint64_t b)
{
    return a >> 32 == b >> 32;
}

} // namespace

CCounting::CCounting(const CTournament& tournament, const CSeriesRules& rules, const CClubPlayers* players)
    : m_tournament(tournament)
    , m_kind(rules.m_counting)
    , m_lowerWins(rules.LowerTotalWins())
    , m_lowFirst(rules.LowerScoreWins())
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
    if (PlacesGivePoints())
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
    const auto score = [&](std::size_t i) {
        const int entered = results[i].m_points;
        return m_handicaps ? NetScore(entered, m_handicaps->Value(round, i), m_handicaps->LowerBetter()) : entered;
    };
    if (!PlacesGivePoints()) {
        // The points follow the score: the round's best is its highest or lowest points.
        const std::int64_t entry = m_kind == Counting::Points ? m_entryPoints : 0;
        int best = 0;
        for (std::size_t i = 0; i < field; ++i) {
            const int points = Saturated(score(i) + entry);
            m_points[first + i] = points;
            best = i == 0 ? points : m_lowFirst ? std::min(best, points) : std::max(best, points);
        }
        m_best[round] = best;
        return;
    }
    std::vector<int>& scores = m_roundScores;
    scores.resize(field);
    for (std::size_t i = 0; i < field; ++i)
        scores[i] = score(i);
    std::vector<std::uint64_t>& order = m_roundOrder;
    Order(scores.data(), field, m_lowFirst, order);
    const std::int64_t entry = m_entryPoints;
    const std::vector<int>& table = rules.m_placePoints;
    for (std::size_t start = 0; start < field;) {
        std::size_t end = start + 1;
        while (end < field && Tied(order[end], order[start]))
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

const std::vector<int>& CCounting::Places() const
{
    std::call_once(m_placesOnce, [this] {
        if (PlacesGivePoints())
            return;
        // Ranked by the points, which follow the score: a run of equal points shares the place
        // of its first.
        m_places.resize(m_points.size());
        std::vector<std::uint64_t> order;
        for (std::size_t k = 0; k + 1 < m_start.size(); ++k) {
            const std::size_t first = m_start[k], field = m_start[k + 1] - first;
            Order(m_points.data() + first, field, m_lowFirst, order);
            for (std::size_t j = 0; j < field; ++j) {
                const std::size_t at = first + (order[j] & 0xFFFFFFFFu);
                m_places[at] = j > 0 && Tied(order[j], order[j - 1]) ? m_places[first + (order[j - 1] & 0xFFFFFFFFu)]
                                                                     : static_cast<int>(j + 1);
            }
        }
    });
    return m_places;
}

bool CCounting::Won(std::size_t round, std::size_t result) const
{
    if (Plain()) {
        const int points = Entered(round, result);
        return points > 0 && points == m_best[round];
    }
    const std::size_t at = m_start[round] + result;
    // With points, a round where the best scored nothing has no winner.
    const bool first = PlacesGivePoints() ? m_places[at] == 1 : m_points[at] == m_best[round];
    return first && (m_kind != Counting::Points || m_points[at] > m_entryPoints);
}

int CCounting::AbsentPoints(std::size_t rounds) const
{
    if (m_kind != Counting::Place || m_playersThrough.empty() || rounds == 0)
        return 0;
    return m_playersThrough[std::min(rounds, m_playersThrough.size()) - 1] + 1;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The ranking under a series' rules: best rounds, a minimum of rounds, criteria for ties.
#include "report/StandingsView.h"

#include <algorithm>
#include <climits>
#include <compare>
#include <cstdint>
#include <functional>
#include <numeric>

int CStandingsView::Wins(std::size_t line) const
{
    return m_wins[Row(line)];
}

int CStandingsView::Highest(std::size_t line) const
{
    return m_highest[Row(line)];
}

std::span<const int> CStandingsView::DroppedScores(std::size_t line) const
{
    if (m_droppedStart.empty())
        return {};
    const std::size_t row = Row(line);
    return std::span<const int>(m_droppedScores)
        .subspan(m_droppedStart[row], m_droppedStart[row + 1] - m_droppedStart[row]);
}

int CStandingsView::Compare(std::size_t a, std::size_t b, Tiebreak criterion) const
{
    const auto sign = [](auto x, auto y) { return x > y ? 1 : x < y ? -1 : 0; };
    const bool lower = LowerWins();
    switch (criterion) {
    case Tiebreak::Wins:
        return sign(m_wins[a], m_wins[b]);
    case Tiebreak::Highest:
        return lower ? sign(m_highest[b], m_highest[a]) : sign(m_highest[a], m_highest[b]);
    case Tiebreak::Dropped: {
        if (m_droppedStart.empty())
            return 0;
        // From the best score up; a score against none is ahead.
        const std::size_t na = m_droppedStart[a + 1] - m_droppedStart[a],
                          nb = m_droppedStart[b + 1] - m_droppedStart[b];
        for (std::size_t j = 0; j < std::min(na, nb); ++j) {
            const int sa = m_droppedScores[m_droppedStart[a] + j], sb = m_droppedScores[m_droppedStart[b] + j];
            if (sa != sb)
                return lower ? sign(sb, sa) : sign(sa, sb);
        }
        return sign(na, nb);
    }
    case Tiebreak::Latest:
        // No result is behind any: 0 points, or no strokes at all where the lowest wins.
        for (std::size_t k = m_roundCount; k-- > 0;) {
            const int pa = m_points[a * m_roundCount + k], pb = m_points[b * m_roundCount + k];
            if (pa == pb)
                continue;
            if (lower)
                return pa == kNoResult ? -1 : pb == kNoResult ? 1 : sign(pb, pa);
            if (std::max(pa, 0) != std::max(pb, 0))
                return sign(std::max(pa, 0), std::max(pb, 0));
        }
        return 0;
    }
    return 0;
}

void CStandingsView::RankByRules()
{
    const std::vector<CPlayerRow>& rows = m_standings.m_rows;
    const std::size_t n = rows.size(), rounds = m_roundCount;
    const std::int64_t held = static_cast<std::int64_t>(rounds);
    std::vector<std::int64_t> counted(n), all(n);
    std::vector<char> placed(n);
    // Where the lowest total wins, a round's score is looked at as its distance below the
    // largest: the same code then drops the highest and keeps the lowest as the best round.
    const bool lower = LowerWins();
    const auto key = [lower](int points) { return static_cast<std::uint32_t>(lower ? INT32_MAX - points : points); };
    m_wins.assign(n, 0);
    m_highest.assign(n, lower ? INT32_MAX : 0);
    m_countedRounds.assign(n, 0);
    if (m_rules.m_best) {
        m_dropped.assign(n * rounds, 0);
        m_droppedStart.assign(n + 1, 0);
    }
    // Points and round of one row's played rounds in one key each: ordered by points, then by
    // round, so the lowest keys are the scores to drop, the earliest first among equal ones.
    std::vector<std::uint64_t> played;
    const bool byDropped = m_rules.m_best && std::find(m_rules.m_tiebreak.begin(), m_rules.m_tiebreak.end(),
                                                       Tiebreak::Dropped) != m_rules.m_tiebreak.end();
    for (std::size_t r = 0; r < n; ++r) {
        played.clear();
        const int* points = m_points.data() + r * rounds;
        const std::uint8_t* won = m_won.data() + r * rounds;
        // Summed in locals: the row's figures are written once.
        std::int64_t sum = 0;
        int highest = m_highest[r], wins = 0, playedRounds = 0;
        for (std::size_t k = 0; k < rounds; ++k) {
            if (points[k] == kNoResult)
                continue;
            // The keys are wanted only to choose the rounds dropped.
            if (m_rules.m_best)
                played.push_back(std::uint64_t{key(points[k])} << 32 | k);
            ++playedRounds;
            sum += points[k];
            highest = lower ? std::min(highest, points[k]) : std::max(highest, points[k]);
            wins += won[k];
        }
        all[r] = sum;
        m_highest[r] = highest;
        m_wins[r] = wins;
        m_countedRounds[r] = playedRounds;
        counted[r] = all[r];
        if (m_rules.m_best && played.size() > static_cast<std::size_t>(*m_rules.m_best)) {
            const auto cut =
                played.begin() + static_cast<std::ptrdiff_t>(played.size() - static_cast<std::size_t>(*m_rules.m_best));
            std::nth_element(played.begin(), cut, played.end());
            m_countedRounds[r] = *m_rules.m_best;
            for (auto it = played.begin(); it != cut; ++it) {
                const auto score = static_cast<int>(key(static_cast<int>(*it >> 32)));
                m_dropped[r * rounds + (*it & 0xFFFFFFFFu)] = 1;
                m_droppedScores.push_back(score);
                counted[r] -= score;
            }
        }
        if (m_rules.m_best)
            m_droppedStart[r + 1] = m_droppedScores.size();
        const std::int64_t count = rows[r].m_roundsPlayed;
        // A player below the minimum is placed while the planned rounds left can still lift them to it.
        const std::int64_t left = m_rules.m_planned && *m_rules.m_planned > held ? *m_rules.m_planned - held : 0;
        placed[r] = !m_rules.m_minimum || count + left >= *m_rules.m_minimum;
    }
    const auto decider = [&](std::size_t a, std::size_t b) -> std::pair<int, std::optional<Tiebreak>> {
        for (Tiebreak criterion : m_rules.m_tiebreak) {
            if (const int c = Compare(a, b, criterion))
                return {c, criterion};
        }
        return {0, std::nullopt};
    };
    m_ruledRows.resize(n);
    std::iota(m_ruledRows.begin(), m_ruledRows.end(), 0);
    const auto same = [&](int ia, int ib) {
        const auto a = static_cast<std::size_t>(ia), b = static_cast<std::size_t>(ib);
        return placed[a] == placed[b] && counted[a] == counted[b] &&
               (!lower || m_countedRounds[a] == m_countedRounds[b]);
    };
    // Where the lowest total wins, more rounds counted are ahead first: four rounds of 40 strokes
    // are not behind three of 35.
    std::stable_sort(m_ruledRows.begin(), m_ruledRows.end(), [&](int ia, int ib) {
        const auto a = static_cast<std::size_t>(ia), b = static_cast<std::size_t>(ib);
        if (placed[a] != placed[b])
            return placed[a] > placed[b];
        if (lower && m_countedRounds[a] != m_countedRounds[b])
            return m_countedRounds[a] > m_countedRounds[b];
        return lower ? counted[a] < counted[b] : counted[a] > counted[b];
    });
    // Then the criteria, within each run of equal totals alone: most totals differ, and only
    // the dropped scores of those that do not are ever compared.
    for (auto first = m_ruledRows.begin(); first != m_ruledRows.end();) {
        const auto last = std::find_if(first + 1, m_ruledRows.end(), [&](int r) { return !same(*first, r); });
        if (last - first > 1 && !m_rules.m_tiebreak.empty()) {
            for (auto row = first; byDropped && row != last; ++row) {
                const auto r = static_cast<std::size_t>(*row);
                const auto from = m_droppedScores.begin() + static_cast<std::ptrdiff_t>(m_droppedStart[r]),
                           to = m_droppedScores.begin() + static_cast<std::ptrdiff_t>(m_droppedStart[r + 1]);
                if (lower)
                    std::sort(from, to);
                else
                    std::sort(from, to, std::greater<>());
            }
            std::stable_sort(first, last, [&](int a, int b) {
                return decider(static_cast<std::size_t>(a), static_cast<std::size_t>(b)).first > 0;
            });
        }
        first = last;
    }
    m_ruledLines.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto r = static_cast<std::size_t>(m_ruledRows[i]);
        CStandingsLine& line = m_ruledLines[i];
        line = {rows[r].m_player, 0, false, counted[r], rows[r].m_roundsPlayed, all[r], placed[r] != 0, std::nullopt};
        bool shared = false;
        if (i > 0) {
            const auto above = static_cast<std::size_t>(m_ruledRows[i - 1]);
            if (same(m_ruledRows[i - 1], m_ruledRows[i])) {
                line.m_decidedBy = decider(above, r).second;
                shared = !line.m_decidedBy;
            }
        }
        if (line.m_placed) {
            line.m_place = shared ? m_ruledLines[i - 1].m_place : static_cast<int>(i + 1);
            line.m_placeShown = !shared;
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/HandicapRules.h"
#include "model/SeriesRules.h"
#include "model/Tournament.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// One handicap and how it was reached.
struct CHandicap
{
    enum Source : std::uint8_t {
        NotYet,        // fewer rounds than the minimum and no start value: none ("ingen handikapp ännu")
        StartHandicap, // the handicap the club gave as it stands
        StartAverage,  // the formula on the start average the club gave
        Average,       // the formula on the player's own rounds
    };
    Source m_source = NotYet;
    int m_value = 0;
    bool m_capped = false;  // the formula gave more than the cap
    bool m_floored = false; // the formula gave less than 0, which is not allowed
    // The average the formula took: m_sum over m_count rounds (the start average over 1).
    std::int64_t m_sum = 0;
    int m_count = 0;
    // What the formula gave before its rounding, the cap and the floor: m_raw / m_rawDenominator.
    std::int64_t m_raw = 0, m_rawDenominator = 1;
};

// Whether the series' numbers entered are best when lowest (strokes), so that the handicap is
// taken off them and worked out against a par; else it is added to points, against a basis.
bool HandicapLowerBetter(const CSeriesRules& rules);

// The handicap the formula gives for an average of `sum` over `count` rounds (count > 0).
// `lowerBetter`: the numbers entered are strokes (or places), where the lowest is best.
CHandicap HandicapFromAverage(const CHandicapRules& rules, bool lowerBetter, std::int64_t sum, int count);

// The number that counts: the score played with the handicap added (points) or taken off
// (strokes), kept within 0..2147483647.
inline int NetScore(int gross, int handicap, bool lowerBetter)
{
    const std::int64_t net = lowerBetter ? std::int64_t{gross} - handicap : std::int64_t{gross} + handicap;
    return static_cast<int>(std::clamp<std::int64_t>(net, 0, INT_MAX));
}

// The scores of one player's rounds that make the average, as they are added round by round:
// every one, the N most recent, or the best K of the N most recent. Each round costs a few
// steps however long the series, so the handicaps of a whole tournament are one pass.
class CHandicapWindow
{
public:
    CHandicapWindow(const CHandicapRules& rules, bool lowerBetter, bool keepRounds);
    void Add(std::size_t round, int score);
    // Rounds played that have already left a window of the most recent rounds.
    void Skip(int rounds) { m_played += rounds; }
    int Played() const { return m_played; }
    // The sum and number of the scores that count.
    std::int64_t Sum() const;
    int Count() const;
    // The rounds whose scores count, in round order; only with `keepRounds`.
    std::vector<std::pair<std::size_t, int>> Used() const;

private:
    std::int64_t Key(int score) const { return m_lowerBetter ? score : -std::int64_t{score}; }

    CHandicapRules::Window m_window;
    std::size_t m_size, m_best; // the window's N and K
    bool m_lowerBetter, m_keepRounds;
    int m_played = 0;
    std::int64_t m_sum = 0; // of the scores in the window
    // The rounds in the window with their scores: with a window of N rounds a ring whose oldest
    // is at m_oldest once it is full (rounds are kept for "alla" only when asked for).
    std::vector<std::pair<std::size_t, int>> m_recent;
    std::size_t m_oldest = 0;
    // "bästa K av N": the window's keys, best first, and the sum of the first K of them.
    std::vector<std::int64_t> m_sorted;
    std::int64_t m_bestKeys = 0;
};

// Inline: asked once per result of a tournament.
inline std::int64_t CHandicapWindow::Sum() const
{
    if (m_window == CHandicapRules::Window::Best)
        return m_lowerBetter ? m_bestKeys : -m_bestKeys;
    return m_sum;
}

inline int CHandicapWindow::Count() const
{
    switch (m_window) {
    case CHandicapRules::Window::All:
        return m_played;
    case CHandicapRules::Window::Latest:
        return static_cast<int>(m_recent.size());
    case CHandicapRules::Window::Best:
        break;
    }
    return static_cast<int>(std::min(m_best, m_recent.size()));
}

// A player's handicap at one point of the series with the rounds it was worked out from.
struct CHandicapExplained
{
    CHandicap m_handicap;
    int m_played = 0;                                // rounds played before
    std::vector<std::pair<std::size_t, int>> m_used; // the rounds that made the average, with their scores
};

// The handicap of every result in the first `rounds` rounds of a tournament, each worked out
// from the player's own scores played before that round, and each player's handicap for the
// round after them. `starts`: the start values by player id. The rounds are read once, in
// their order, with a window per player; the tournament is read again only to explain a
// handicap before the last round or over every round played ("alla"), so it must outlive the
// table unchanged for that.
class CHandicapTable
{
public:
    CHandicapTable(const CTournament& tournament, const CHandicapRules& rules, bool lowerBetter,
                   std::vector<CStartValue> starts, std::size_t rounds = SIZE_MAX);

    const CHandicapRules& Rules() const { return m_rules; }
    bool LowerBetter() const { return m_lowerBetter; }
    std::size_t RoundCount() const { return m_roundCount; }
    // The handicap of result `index` of round `round`, as the round holds its results; 0 where
    // the player had none yet.
    int Value(std::size_t round, std::size_t index) const
    {
        const int value = m_cells[m_roundStart[round] + index];
        return value == kNotYet ? 0 : value;
    }
    bool NotYet(std::size_t round, std::size_t index) const { return m_cells[m_roundStart[round] + index] == kNotYet; }
    // How the player's handicap in round `round` (RoundCount() for the next) was reached.
    CHandicapExplained Explain(PlayerId player, std::size_t round) const;

private:
    // Before any round of a player is added to `window`: the handicap it gives now.
    CHandicap At(const CHandicapWindow& window, PlayerId player) const;
    std::size_t RoundOf(std::uint32_t cell) const
    {
        return static_cast<std::size_t>(std::upper_bound(m_roundStart.begin(), m_roundStart.end(), cell) -
                                        m_roundStart.begin()) -
               1;
    }
    // Each player's results in round order, made when first asked for.
    void IndexByPlayer() const;
    // A cell of a result played before the player had a handicap (one is at most 1000000).
    static constexpr int kNotYet = INT32_MIN;

    const CTournament& m_tournament;
    CHandicapRules m_rules;
    bool m_lowerBetter;
    std::vector<CStartValue> m_starts;
    std::size_t m_roundCount;
    std::vector<std::size_t> m_roundStart; // each round's first cell
    // Per result, in the rounds' order: its handicap or kNotYet. A tournament this large is
    // counted in memory, so it is kept small.
    std::vector<int> m_cells;
    // Each player's window after the last round: what explains the next round's handicap.
    std::vector<CHandicapWindow> m_windows;
    // Each player's results in round order, as their cell and score played: player p's run from
    // m_playerStart[p]. Only to explain a handicap the windows no longer hold.
    struct CPlayed
    {
        std::uint32_t m_cell;
        int m_score;
    };
    mutable std::once_flag m_indexOnce;
    mutable std::vector<CPlayed> m_byPlayer;
    mutable std::vector<std::size_t> m_playerStart;
};

// In words, UTF-8: how the handicap was reached (the rounds used with their scores, the
// average, the formula with its numbers, the cap or the floor where they bit; or "startvärde",
// or "ingen handikapp ännu"). Round names are the tournament's.
std::string HandicapText(const CHandicapExplained& explained, const CHandicapRules& rules, bool lowerBetter,
                         const CTournament& tournament);
// The formula in words, UTF-8: "90 % av (210 − snittet av de 5 senaste omgångarna), utan decimaler."
std::string HandicapRulesText(const CHandicapRules& rules, bool lowerBetter);
// A number over a denominator in Swedish: "170", "170,67" (two decimals, halves away from zero).
std::string DecimalText(std::int64_t numerator, std::int64_t denominator);

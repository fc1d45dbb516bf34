// SPDX-License-Identifier: GPL-3.0-or-later
// Handicaps worked out from each player's own earlier rounds, by the club's formula.
#include "report/Handicap.h"

#include "model/Encoding.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

constexpr std::string_view kMinus = "\xE2\x88\x92"; // U+2212, as printed formulas have it

// `numerator` / `denominator` (> 0) to a whole number: the fraction dropped, or halves away from 0.
std::int64_t Rounded(std::int64_t numerator, std::int64_t denominator, bool nearest)
{
    if (!nearest)
        return numerator / denominator;
    const std::int64_t away = (2 * (numerator < 0 ? -numerator : numerator) + denominator) / (2 * denominator);
    return numerator < 0 ? -away : away;
}

std::string Number(std::int64_t value)
{
    return value < 0 ? std::string(kMinus) + std::to_string(-value) : std::to_string(value);
}

std::string Rounds(int count)
{
    return std::to_string(count) + (count == 1 ? " omg\xC3\xA5ng" : " omg\xC3\xA5ngar");
}

// The average the formula takes, in words: "170" or "170,67" (and its whole part, with the
// fraction dropped first).
std::string AverageText(const CHandicap& handicap, const CHandicapRules& rules)
{
    std::string text = DecimalText(handicap.m_sum, handicap.m_count);
    if (rules.m_averageFloor && handicap.m_sum % handicap.m_count != 0)
        text += " \xE2\x86\x92 " + Number(handicap.m_sum / handicap.m_count);
    return text;
}

// "90 % av (210 − 170) = 36", with the rounding, the floor and the cap where they bit.
std::string FormulaText(const CHandicap& handicap, const CHandicapRules& rules, bool lowerBetter)
{
    const std::string average = rules.m_averageFloor ? Number(handicap.m_sum / handicap.m_count)
                                                     : DecimalText(handicap.m_sum, handicap.m_count);
    const std::string base = std::to_string(rules.m_base), minus = std::string(" ").append(kMinus).append(" ");
    std::string text = std::to_string(rules.m_percent) + " % av (" +
                       (lowerBetter ? average + minus + base : base + minus + average) +
                       ") = " + DecimalText(handicap.m_raw, handicap.m_rawDenominator);
    const std::int64_t rounded = Rounded(handicap.m_raw, handicap.m_rawDenominator, rules.m_roundNearest);
    if (handicap.m_raw % handicap.m_rawDenominator != 0)
        text += " \xE2\x86\x92 " + Number(rounded);
    if (handicap.m_floored)
        text += ", under 0 blir 0";
    if (handicap.m_capped)
        text += ", taket \xC3\xA4r " + std::to_string(*rules.m_cap);
    return text;
}

} // namespace

std::string DecimalText(std::int64_t numerator, std::int64_t denominator)
{
    const bool negative = numerator < 0;
    const std::int64_t magnitude = negative ? -numerator : numerator;
    std::int64_t whole = magnitude / denominator;
    // The remainder's hundredths, halves away from 0; the remainder is below the denominator.
    std::int64_t hundredths = (magnitude % denominator * 200 + denominator) / (2 * denominator);
    if (hundredths == 100) {
        ++whole;
        hundredths = 0;
    }
    std::string text =
        (negative && (whole > 0 || hundredths > 0) ? std::string(kMinus) : std::string()) + std::to_string(whole);
    if (hundredths != 0) {
        text += ',';
        text += static_cast<char>('0' + hundredths / 10);
        if (hundredths % 10 != 0)
            text += static_cast<char>('0' + hundredths % 10);
    }
    return text;
}

bool HandicapLowerBetter(const CSeriesRules& rules)
{
    return rules.LowerScoreWins();
}

namespace {

// The formula on an average of `sum` over `count` rounds; with `detail`, how it got there too.
// The table's pass asks it once per result and wants the number only.
inline int Formula(const CHandicapRules& rules, bool lowerBetter, std::int64_t sum, int count, CHandicap* detail)
{
    // Scores are never negative, so the quotient's fraction dropped is its floor.
    const std::int64_t averageNumerator = rules.m_averageFloor ? sum / count : sum;
    const std::int64_t averageDenominator = rules.m_averageFloor ? 1 : count;
    const std::int64_t base = std::int64_t{rules.m_base} * averageDenominator;
    const std::int64_t raw = rules.m_percent * (lowerBetter ? averageNumerator - base : base - averageNumerator);
    const std::int64_t denominator = 100 * averageDenominator;
    std::int64_t value = Rounded(raw, denominator, rules.m_roundNearest);
    const bool floored = value < 0 && !rules.m_negative;
    if (floored)
        value = 0;
    const bool capped = rules.m_cap && value > *rules.m_cap;
    if (capped)
        value = *rules.m_cap;
    if (detail) {
        detail->m_sum = sum;
        detail->m_count = count;
        detail->m_raw = raw;
        detail->m_rawDenominator = denominator;
        detail->m_floored = floored;
        detail->m_capped = capped;
    }
    return static_cast<int>(std::clamp<std::int64_t>(value, -INT_MAX, INT_MAX));
}

} // namespace

CHandicap HandicapFromAverage(const CHandicapRules& rules, bool lowerBetter, std::int64_t sum, int count)
{
    CHandicap handicap;
    handicap.m_source = CHandicap::Average;
    handicap.m_value = Formula(rules, lowerBetter, sum, count, &handicap);
    return handicap;
}

CHandicapWindow::CHandicapWindow(const CHandicapRules& rules, bool lowerBetter, bool keepRounds)
    : m_window(rules.m_window)
    , m_size(static_cast<std::size_t>(rules.m_windowRounds))
    , m_best(static_cast<std::size_t>(rules.m_windowBest))
    , m_lowerBetter(lowerBetter)
    , m_keepRounds(keepRounds)
{
}

namespace {

// Moves the key at `at` to its place among the otherwise sorted keys, after its equals; returns
// its new index. One pass of a few steps for the small windows clubs use.
std::size_t Settle(std::vector<std::int64_t>& keys, std::size_t at)
{
    const std::int64_t key = keys[at];
    for (; at > 0 && keys[at - 1] > key; --at)
        keys[at] = keys[at - 1];
    for (; at + 1 < keys.size() && keys[at + 1] <= key; ++at)
        keys[at] = keys[at + 1];
    keys[at] = key;
    return at;
}

} // namespace

void CHandicapWindow::Add(std::size_t round, int score)
{
    ++m_played;
    if (m_window == CHandicapRules::Window::All) {
        m_sum += score;
        if (m_keepRounds)
            m_recent.emplace_back(round, score);
        return;
    }
    // The window of the N most recent: once full, the newest takes the oldest's place.
    const bool full = m_recent.size() == m_size;
    int left = 0;
    if (full) {
        left = m_recent[m_oldest].second;
        m_recent[m_oldest] = {round, score};
        m_oldest = m_oldest + 1 == m_size ? 0 : m_oldest + 1;
    } else {
        m_recent.emplace_back(round, score);
    }
    if (m_window == CHandicapRules::Window::Latest) {
        m_sum += score - left;
        return;
    }
    // The best K's sum is kept as a sum of keys. The key takes its slot among the sorted ones
    // (the oldest's, once full), then settles; what crossed the K-th slot is added or taken off.
    const std::int64_t key = Key(score);
    std::vector<std::int64_t>& keys = m_sorted;
    const std::size_t best = m_best;
    if (!full) {
        keys.push_back(key);
        if (Settle(keys, keys.size() - 1) < best) {
            m_bestKeys += key;
            if (keys.size() > best)
                m_bestKeys -= keys[best];
        }
        return;
    }
    const std::int64_t oldKey = Key(left);
    // Its first slot: the keys before it counted, which does not branch on the scores (a binary
    // search of a window this small mispredicts most of its steps).
    std::size_t at = 0;
    for (const std::int64_t other : keys)
        at += static_cast<std::size_t>(other < oldKey);
    keys[at] = key;
    const std::size_t to = Settle(keys, at);
    if (at < best)
        m_bestKeys += (to < best ? key : keys[best - 1]) - oldKey;
    else if (to < best)
        m_bestKeys += key - keys[best];
}

std::vector<std::pair<std::size_t, int>> CHandicapWindow::Used() const
{
    // In round order: the ring from its oldest.
    std::vector<std::pair<std::size_t, int>> used(m_recent.begin() + static_cast<std::ptrdiff_t>(m_oldest),
                                                  m_recent.end());
    used.insert(used.end(), m_recent.begin(), m_recent.begin() + static_cast<std::ptrdiff_t>(m_oldest));
    if (m_window != CHandicapRules::Window::Best || used.size() <= m_best)
        return used;
    // The best K; of equal scores the most recent.
    std::stable_sort(used.begin(), used.end(), [this](const auto& a, const auto& b) {
        return Key(a.second) != Key(b.second) ? Key(a.second) < Key(b.second) : a.first > b.first;
    });
    used.resize(m_best);
    std::sort(used.begin(), used.end());
    return used;
}

CHandicapTable::CHandicapTable(const CTournament& tournament, const CHandicapRules& rules, bool lowerBetter,
                               std::vector<CStartValue> starts, std::size_t rounds)
    : m_tournament(tournament)
    , m_rules(rules)
    , m_lowerBetter(lowerBetter)
    , m_starts(std::move(starts))
    , m_roundCount(std::min(rounds, tournament.m_rounds.size()))
{
    const std::size_t players = tournament.m_players.Size();
    m_starts.resize(std::max(m_starts.size(), players));
    m_roundStart.assign(m_roundCount + 1, 0);
    for (std::size_t k = 0; k < m_roundCount; ++k)
        m_roundStart[k + 1] = m_roundStart[k] + tournament.m_rounds[k].m_results.size();
    m_cells.resize(m_roundStart[m_roundCount]);
    // The windows keep their rounds for the explanations of the next round; "alla" would keep
    // every round of the series, so that one is explained from the tournament instead.
    m_windows.assign(players, CHandicapWindow(m_rules, m_lowerBetter, false));
    // Round by round, each result's handicap from its player's window before the round is added.
    int* cell = m_cells.data();
    for (std::size_t k = 0; k < m_roundCount; ++k) {
        for (const CResult& result : tournament.m_rounds[k].m_results) {
            CHandicapWindow& window = m_windows[result.m_player];
            if (window.Played() >= m_rules.m_minimum) {
                *cell++ = Formula(m_rules, m_lowerBetter, window.Sum(), window.Count(), nullptr);
            } else {
                const CHandicap start = At(window, result.m_player);
                *cell++ = start.m_source == CHandicap::NotYet ? kNotYet : start.m_value;
            }
            window.Add(k, result.m_points);
        }
    }
}

void CHandicapTable::IndexByPlayer() const
{
    const std::size_t players = m_starts.size();
    m_playerStart.assign(players + 1, 0);
    for (std::size_t k = 0; k < m_roundCount; ++k) {
        for (const CResult& result : m_tournament.m_rounds[k].m_results)
            ++m_playerStart[result.m_player + 1];
    }
    for (std::size_t p = 0; p < players; ++p)
        m_playerStart[p + 1] += m_playerStart[p];
    // A counting sort by player.
    m_byPlayer.resize(m_roundStart[m_roundCount]);
    std::vector<std::size_t> fill(m_playerStart.begin(), m_playerStart.end() - 1);
    for (std::size_t k = 0; k < m_roundCount; ++k) {
        const std::vector<CResult>& results = m_tournament.m_rounds[k].m_results;
        for (std::size_t i = 0; i < results.size(); ++i)
            m_byPlayer[fill[results[i].m_player]++] = {static_cast<std::uint32_t>(m_roundStart[k] + i),
                                                       results[i].m_points};
    }
}

CHandicap CHandicapTable::At(const CHandicapWindow& window, PlayerId player) const
{
    if (window.Played() >= m_rules.m_minimum)
        return HandicapFromAverage(m_rules, m_lowerBetter, window.Sum(), window.Count());
    const CStartValue start = m_starts[player];
    CHandicap handicap;
    switch (start.m_kind) {
    case CStartValue::None:
        break;
    case CStartValue::Handicap:
        handicap.m_source = CHandicap::StartHandicap;
        handicap.m_value = start.m_value;
        break;
    case CStartValue::Average:
        handicap = HandicapFromAverage(m_rules, m_lowerBetter, start.m_value, 1);
        handicap.m_source = CHandicap::StartAverage;
        break;
    }
    return handicap;
}

CHandicapExplained CHandicapTable::Explain(PlayerId player, std::size_t round) const
{
    if (player < m_windows.size() && round >= m_roundCount && m_rules.m_window != CHandicapRules::Window::All) {
        // The window after the last round holds the rounds that count.
        CHandicapExplained explained;
        explained.m_handicap = At(m_windows[player], player);
        explained.m_played = m_windows[player].Played();
        if (explained.m_handicap.m_source == CHandicap::Average)
            explained.m_used = m_windows[player].Used();
        return explained;
    }
    CHandicapWindow window(m_rules, m_lowerBetter, true);
    if (player < m_starts.size()) {
        std::call_once(m_indexOnce, [this] { IndexByPlayer(); });
        const auto first = m_byPlayer.begin() + static_cast<std::ptrdiff_t>(m_playerStart[player]);
        const auto end = m_byPlayer.begin() + static_cast<std::ptrdiff_t>(m_playerStart[player + 1]);
        const std::size_t before = m_roundStart[std::min(round, m_roundCount)];
        const auto last = std::partition_point(first, end, [before](const CPlayed& p) { return p.m_cell < before; });
        // Of a window of the most recent rounds only those count; the ones before it were played.
        auto from = first;
        if (m_rules.m_window != CHandicapRules::Window::All && last - first > m_rules.m_windowRounds) {
            from = last - m_rules.m_windowRounds;
            window.Skip(static_cast<int>(from - first));
        }
        for (auto at = from; at != last; ++at)
            window.Add(RoundOf(at->m_cell), at->m_score);
    }
    CHandicapExplained explained;
    explained.m_handicap = player < m_starts.size() ? At(window, player) : CHandicap();
    explained.m_played = window.Played();
    if (explained.m_handicap.m_source == CHandicap::Average)
        explained.m_used = window.Used();
    return explained;
}

std::string HandicapText(const CHandicapExplained& explained, const CHandicapRules& rules, bool lowerBetter,
                         const CTournament& tournament)
{
    const CHandicap& handicap = explained.m_handicap;
    switch (handicap.m_source) {
    case CHandicap::NotYet:
        return "ingen handikapp \xC3\xA4nnu (" + std::to_string(explained.m_played) + " av " + Rounds(rules.m_minimum) +
               (rules.m_minimum == 1 ? " spelad)" : " spelade)");
    case CHandicap::StartHandicap:
        return "startv\xC3\xA4rde: handikapp " + Number(handicap.m_value);
    case CHandicap::StartAverage:
        return "startv\xC3\xA4rde: snitt " + std::to_string(handicap.m_sum) + "; " +
               FormulaText(handicap, rules, lowerBetter);
    case CHandicap::Average:
        break;
    }
    // A long list of rounds would bury the formula: past 20 only their number and sum.
    std::string text;
    if (explained.m_used.size() <= 20) {
        for (const auto& [round, score] : explained.m_used)
            text.append(text.empty() ? "" : ", ")
                .append(ToUtf8(tournament.m_rounds[round].m_name, tournament.m_encoding))
                .append(": ")
                .append(std::to_string(score));
    } else {
        text = Rounds(handicap.m_count) + ", summa " + std::to_string(handicap.m_sum);
    }
    return text + "; snitt " + AverageText(handicap, rules) + "; " + FormulaText(handicap, rules, lowerBetter);
}

std::string HandicapRulesText(const CHandicapRules& rules, bool lowerBetter)
{
    const std::string rounds = std::to_string(rules.m_windowRounds), best = std::to_string(rules.m_windowBest);
    std::string average;
    switch (rules.m_window) {
    case CHandicapRules::Window::All:
        average = "snittet av alla spelade omg\xC3\xA5ngar";
        break;
    case CHandicapRules::Window::Latest:
        average = rules.m_windowRounds == 1 ? "den senaste omg\xC3\xA5ngen"
                                            : "snittet av de " + rounds + " senaste omg\xC3\xA5ngarna";
        break;
    case CHandicapRules::Window::Best:
        average =
            (rules.m_windowBest == 1 ? std::string("den b\xC3\xA4sta") : "snittet av de " + best + " b\xC3\xA4sta") +
            " av de " + rounds + " senaste omg\xC3\xA5ngarna";
        break;
    }
    const std::string base = std::to_string(rules.m_base), minus = std::string(" ").append(kMinus).append(" ");
    std::string text = "Handikapp: " + std::to_string(rules.m_percent) + " % av (" +
                       (lowerBetter ? average + minus + base : base + minus + average) + ")" +
                       (rules.m_roundNearest ? ", avrundat till n\xC3\xA4rmaste heltal" : ", utan decimaler");
    if (rules.m_cap)
        text += ", h\xC3\xB6gst " + std::to_string(*rules.m_cap);
    if (rules.m_negative)
        text += ", \xC3\xA4ven under 0";
    text += lowerBetter ? ". Den dras fr\xC3\xA5n slagen." : ". Den l\xC3\xA4ggs till po\xC3\xA4ngen.";
    if (rules.m_averageFloor)
        text += " Snittet r\xC3\xA4knas utan decimaler.";
    text += rules.m_minimum == 1 ? " F\xC3\xB6re f\xC3\xB6rsta spelade omg\xC3\xA5ngen"
                                 : " F\xC3\xB6re " + std::to_string(rules.m_minimum) + " spelade omg\xC3\xA5ngar";
    return text + " g\xC3\xA4ller klubbens startv\xC3\xA4rde, annars ingen handikapp.";
}

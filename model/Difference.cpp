// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Difference.h"

#include "model/Encoding.h"
#include "model/Text.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace {

const char* const kArrow = " \xE2\x86\x92 ";

struct CChange
{
    enum Kind { Title, NewRound, RemovedRound, Renamed, Points, NewResult, RemovedResult } m_kind;
    std::string m_round;                    // the round's name (after a rename, the new one)
    std::string m_other;                    // the old title or round name; the player of a result
    std::int64_t m_before = 0, m_after = 0; // points; a round's result count in m_after
    std::size_t m_roundBefore = SIZE_MAX;   // the round of `before` the change is in; none for a title or a new round
};

// One tournament's text in UTF-8, whatever its file's encoding.
class CText
{
public:
    explicit CText(const CTournament& tournament)
        : m_tournament(tournament)
    {
        for (const CRound& round : tournament.m_rounds)
            m_rounds.push_back(Utf8(round.m_name));
    }
    std::string Utf8(std::string_view bytes) const { return ToUtf8(bytes, m_tournament.m_encoding); }
    std::string Player(const CResult& result) const { return Utf8(m_tournament.PlayerName(result)); }
    const CRound& Round(std::size_t i) const { return m_tournament.m_rounds[i]; }

    const CTournament& m_tournament;
    std::vector<std::string> m_rounds;
};

using CPointsByName = std::unordered_map<std::string, int>;

CPointsByName PointsByName(const CText& text, const CRound& round)
{
    CPointsByName points;
    points.reserve(round.m_results.size());
    for (const CResult& result : round.m_results)
        points.emplace(text.Player(result), result.m_points);
    return points;
}

// Results with the same player and points in both rounds.
std::size_t Kept(const CText& a, const CRound& ra, const CText& b, const CRound& rb)
{
    const CPointsByName before = PointsByName(a, ra);
    std::size_t kept = 0;
    for (const CResult& result : rb.m_results) {
        const auto found = before.find(b.Player(result));
        kept += found != before.end() && found->second == result.m_points;
    }
    return kept;
}

void CompareResults(const CText& a, const CRound& ra, const CText& b, const CRound& rb, const std::string& name,
                    std::vector<CChange>& changes, std::size_t roundBefore)
{
    const std::size_t first = changes.size();
    const CPointsByName after = PointsByName(b, rb);
    CPointsByName before;
    before.reserve(ra.m_results.size());
    for (const CResult& result : ra.m_results) {
        std::string player = a.Player(result);
        const auto found = after.find(player);
        if (found == after.end())
            changes.push_back({CChange::RemovedResult, name, player, result.m_points, 0});
        else if (found->second != result.m_points)
            changes.push_back({CChange::Points, name, player, result.m_points, found->second});
        before.emplace(std::move(player), result.m_points);
    }
    for (const CResult& result : rb.m_results) {
        std::string player = b.Player(result);
        if (!before.contains(player))
            changes.push_back({CChange::NewResult, name, std::move(player), 0, result.m_points});
    }
    for (std::size_t i = first; i < changes.size(); ++i)
        changes[i].m_roundBefore = roundBefore;
}

// The pairs of rounds with equal names, as many as can be kept in order (a longest common
// subsequence), after the common first and last rounds.
std::vector<std::pair<std::size_t, std::size_t>> MatchRounds(const std::vector<std::string>& a,
                                                             const std::vector<std::string>& b)
{
    std::vector<std::pair<std::size_t, std::size_t>> matches;
    std::size_t first = 0;
    while (first < a.size() && first < b.size() && a[first] == b[first])
        matches.emplace_back(first, first), ++first;
    std::size_t endA = a.size(), endB = b.size();
    while (endA > first && endB > first && a[endA - 1] == b[endB - 1])
        --endA, --endB;
    const std::size_t n = endA - first, m = endB - first;
    // Beyond a few million cells the middle is left unmatched: removed and added rounds.
    if (n > 0 && m > 0 && n * m <= 16'000'000) {
        std::vector<std::uint32_t> length((n + 1) * (m + 1), 0);
        const auto at = [m](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
        for (std::size_t i = n; i-- > 0;) {
            for (std::size_t j = m; j-- > 0;)
                length[at(i, j)] = a[first + i] == b[first + j] ? length[at(i + 1, j + 1)] + 1
                                                                : std::max(length[at(i + 1, j)], length[at(i, j + 1)]);
        }
        for (std::size_t i = 0, j = 0; i < n && j < m;) {
            if (a[first + i] == b[first + j])
                matches.emplace_back(first + i, first + j), ++i, ++j;
            else if (length[at(i + 1, j)] >= length[at(i, j + 1)])
                ++i;
            else
                ++j;
        }
    }
    for (std::size_t i = endA, j = endB; i < a.size(); ++i, ++j)
        matches.emplace_back(i, j);
    return matches;
}

// The rounds between two matched ones: a removed round and a later added one that keep more
// than half of their results are one renamed round.
void CompareGap(const CText& a, std::size_t beginA, std::size_t endA, const CText& b, std::size_t beginB,
                std::size_t endB, std::vector<CChange>& changes,
                std::vector<std::pair<std::size_t, std::size_t>>* pairs)
{
    std::vector<bool> paired(endB - beginB, false);
    std::size_t nextB = beginB;
    for (std::size_t i = beginA; i < endA; ++i) {
        const CRound& ra = a.Round(i);
        std::size_t partner = endB;
        for (std::size_t j = nextB; j < endB && partner == endB; ++j) {
            const CRound& rb = b.Round(j);
            const std::size_t most = std::max(ra.m_results.size(), rb.m_results.size());
            if (most == 0 || 2 * Kept(a, ra, b, rb) > most)
                partner = j;
        }
        if (partner == endB) {
            changes.push_back(
                {CChange::RemovedRound, a.m_rounds[i], {}, 0, static_cast<std::int64_t>(ra.m_results.size()), i});
            continue;
        }
        paired[partner - beginB] = true;
        nextB = partner + 1;
        if (pairs)
            pairs->emplace_back(i, partner);
        changes.push_back({CChange::Renamed, b.m_rounds[partner], a.m_rounds[i], 0, 0, i});
        CompareResults(a, ra, b, b.Round(partner), b.m_rounds[partner], changes, i);
    }
    for (std::size_t j = beginB; j < endB; ++j) {
        if (!paired[j - beginB])
            changes.push_back(
                {CChange::NewRound, b.m_rounds[j], {}, 0, static_cast<std::int64_t>(b.Round(j).m_results.size())});
    }
}

// With `pairs`, also every pair of rounds that are one round: (index in before, index in after).
std::vector<CChange> Compare(const CTournament& before, const CTournament& after,
                             std::vector<std::pair<std::size_t, std::size_t>>* pairs = nullptr)
{
    const CText a(before), b(after);
    std::vector<CChange> changes;
    std::string titleA = a.Utf8(before.m_title), titleB = b.Utf8(after.m_title);
    TrimSpaces(titleA);
    TrimSpaces(titleB);
    if (titleA != titleB)
        changes.push_back({CChange::Title, titleB, titleA, 0, 0});
    std::size_t i = 0, j = 0;
    for (const auto& [mi, mj] : MatchRounds(a.m_rounds, b.m_rounds)) {
        CompareGap(a, i, mi, b, j, mj, changes, pairs);
        if (pairs)
            pairs->emplace_back(mi, mj);
        CompareResults(a, a.Round(mi), b, b.Round(mj), b.m_rounds[mj], changes, mi);
        i = mi + 1;
        j = mj + 1;
    }
    CompareGap(a, i, before.m_rounds.size(), b, j, after.m_rounds.size(), changes, pairs);
    if (pairs)
        std::sort(pairs->begin(), pairs->end());
    return changes;
}

std::string Quoted(const std::string& text)
{
    return '"' + text + '"';
}

std::string Number(std::int64_t value)
{
    std::string text;
    AppendNumber(text, value);
    return text;
}

std::string Line(const CChange& c)
{
    switch (c.m_kind) {
    case CChange::Title:
        return "Titeln: " + Quoted(c.m_other) + kArrow + Quoted(c.m_round);
    case CChange::NewRound:
        return "Ny omg\xC3\xA5ng " + Quoted(c.m_round) + " (" + Number(c.m_after) + " resultat)";
    case CChange::RemovedRound:
        return "Borttagen omg\xC3\xA5ng " + Quoted(c.m_round) + " (" + Number(c.m_after) + " resultat)";
    case CChange::Renamed:
        return Quoted(c.m_other) + " heter nu " + Quoted(c.m_round);
    case CChange::Points:
        return Quoted(c.m_round) + ": " + c.m_other + ' ' + Number(c.m_before) + kArrow + Number(c.m_after);
    case CChange::NewResult:
        return Quoted(c.m_round) + ": ny " + c.m_other + ' ' + Number(c.m_after);
    case CChange::RemovedResult:
        return Quoted(c.m_round) + ": borttagen " + c.m_other + ' ' + Number(c.m_before);
    }
    return {};
}

// The change told from a version (`before`) to the window's tournament (`after`), saying
// which side has what.
std::string VersionLine(const CChange& c)
{
    const std::string inVersion = " i versionen", inWindow = " i f\xC3\xB6nstret";
    switch (c.m_kind) {
    case CChange::Title:
        return "Titeln: " + Quoted(c.m_other) + inVersion + ", " + Quoted(c.m_round) + inWindow;
    case CChange::NewRound:
        return "Omg\xC3\xA5ngen " + Quoted(c.m_round) + " (" + Number(c.m_after) + " resultat) finns bara" + inWindow;
    case CChange::RemovedRound:
        return "Omg\xC3\xA5ngen " + Quoted(c.m_round) + " (" + Number(c.m_after) + " resultat) finns bara" + inVersion;
    case CChange::Renamed:
        return Quoted(c.m_other) + inVersion + " heter " + Quoted(c.m_round) + inWindow;
    case CChange::Points:
        return Quoted(c.m_round) + ": " + c.m_other + ' ' + Number(c.m_before) + inVersion + ", " + Number(c.m_after) +
               inWindow;
    case CChange::NewResult:
        return Quoted(c.m_round) + ": " + c.m_other + ' ' + Number(c.m_after) + " finns bara" + inWindow;
    case CChange::RemovedResult:
        return Quoted(c.m_round) + ": " + c.m_other + ' ' + Number(c.m_before) + " finns bara" + inVersion;
    }
    return {};
}

} // namespace

std::vector<CVersionDifference> VersionDifferences(const CTournament& version, const CTournament& shown)
{
    std::vector<CVersionDifference> lines;
    for (const CChange& change : Compare(version, shown))
        lines.push_back({VersionLine(change), change.m_roundBefore});
    return lines;
}

std::vector<std::size_t> RoundCounterparts(const CTournament& before, const CTournament& after)
{
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    Compare(before, after, &pairs);
    std::vector<std::size_t> counterparts(before.m_rounds.size(), SIZE_MAX);
    for (const auto& [i, j] : pairs)
        counterparts[i] = j;
    return counterparts;
}

std::vector<std::string> Differences(const CTournament& before, const CTournament& after)
{
    std::vector<std::string> lines;
    for (const CChange& change : Compare(before, after))
        lines.push_back(Line(change));
    return lines;
}

std::string DifferenceSummary(const CTournament& before, const CTournament& after)
{
    const std::vector<CChange> changes = Compare(before, after);
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < changes.size();) {
        const CChange& c = changes[i];
        if (c.m_kind < CChange::Points) {
            parts.push_back(Line(c));
            ++i;
            continue;
        }
        // One round's result changes: per kind, the change itself or how many there are.
        std::size_t end = i;
        while (end < changes.size() && changes[end].m_kind >= CChange::Points && changes[end].m_round == c.m_round)
            ++end;
        const std::string in = " i " + c.m_round;
        for (const auto& told :
             {std::pair(CChange::NewResult, " nya resultat"), std::pair(CChange::Points, " \xC3\xA4ndrade resultat"),
              std::pair(CChange::RemovedResult, " borttagna resultat")}) {
            const CChange::Kind kind = told.first;
            const auto ofKind = [kind](const CChange& k) { return k.m_kind == kind; };
            const auto last = changes.begin() + static_cast<std::ptrdiff_t>(end);
            const auto first = std::find_if(changes.begin() + static_cast<std::ptrdiff_t>(i), last, ofKind);
            const auto count = std::count_if(first, last, ofKind);
            if (count == 1)
                parts.push_back(Line(*first).substr(c.m_round.size() + 4) + in);
            else if (count > 1)
                parts.push_back(Number(count) + told.second + in);
        }
        i = end;
    }
    if (parts.empty())
        return "inga \xC3\xA4ndringar";
    // One line: the first few, then how many more.
    constexpr std::size_t kShown = 3;
    std::string summary;
    for (std::size_t i = 0; i < parts.size() && i < kShown; ++i)
        summary += (i > 0 ? "; " : "") + parts[i];
    if (parts.size() > kShown)
        summary += "; och " + Number(static_cast<std::int64_t>(parts.size() - kShown)) + " till";
    return summary;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RoundDelta.h"

#include <utility>

CRoundDelta::CRoundDelta(const CRound& before, const CRound& after)
    : m_nameBefore(before.m_name)
    , m_nameAfter(after.m_name)
{
    // Each result of the round before either stays as the next kept one or was removed; what
    // follows the kept ones was appended. A player appears at most once in a round.
    const std::vector<CResult>& a = before.m_results;
    const std::vector<CResult>& b = after.m_results;
    std::size_t k = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (k < b.size() && b[k].m_player == a[i].m_player) {
            if (b[k].m_points != a[i].m_points)
                m_points.push_back({k, a[i].m_points, b[k].m_points});
            ++k;
        } else {
            m_removed.push_back({i, a[i]});
        }
    }
    m_kept = k;
    m_appended.assign(b.begin() + static_cast<std::ptrdiff_t>(k), b.end());
}

bool CRoundDelta::Empty() const
{
    return m_nameBefore == m_nameAfter && m_removed.empty() && m_points.empty() && m_appended.empty();
}

void CRoundDelta::Redo(CRound& round) const
{
    std::vector<CResult>& results = round.m_results;
    if (!m_removed.empty()) {
        std::size_t next = 0, to = 0;
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (next < m_removed.size() && m_removed[next].m_index == i)
                ++next;
            else
                results[to++] = results[i];
        }
        results.resize(to);
    }
    for (const Points& change : m_points)
        results[change.m_index].m_points = change.m_after;
    results.insert(results.end(), m_appended.begin(), m_appended.end());
    round.m_name = m_nameAfter;
}

void CRoundDelta::Undo(CRound& round) const
{
    std::vector<CResult>& results = round.m_results;
    results.resize(m_kept);
    for (const Points& change : m_points)
        results[change.m_index].m_points = change.m_before;
    if (!m_removed.empty()) {
        // Back to front, each kept result moves to its old place once, the removed fill the gaps.
        results.resize(m_kept + m_removed.size());
        std::size_t from = m_kept, next = m_removed.size();
        for (std::size_t i = results.size(); i-- > 0;) {
            if (next > 0 && m_removed[next - 1].m_index == i)
                results[i] = m_removed[--next].m_result;
            else
                results[i] = results[--from];
        }
    }
    round.m_name = m_nameBefore;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <cstddef>
#include <string>
#include <vector>

// How one round became another, in memory that grows with the change and not with the round:
// the results removed (with their places), the points changed, the results appended and the
// name. The round editor changes points in place, removes and appends, which is what this
// keeps compact; any other reordering still comes out right, only larger.
class CRoundDelta
{
public:
    CRoundDelta() = default;
    CRoundDelta(const CRound& before, const CRound& after);

    bool Empty() const;
    // `round` as it was before (Undo) or after (Redo); it must be in the other state.
    void Undo(CRound& round) const;
    void Redo(CRound& round) const;

private:
    struct Removed
    {
        std::size_t m_index; // in the round before
        CResult m_result;
    };
    struct Points
    {
        std::size_t m_index; // in the round after
        int m_before;
        int m_after;
    };

    std::string m_nameBefore, m_nameAfter;
    std::vector<Removed> m_removed; // by index
    std::vector<Points> m_points;   // by index
    std::size_t m_kept = 0;         // results of the round before that stay, in their order
    std::vector<CResult> m_appended;
};

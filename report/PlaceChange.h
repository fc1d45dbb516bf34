// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/StandingsView.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A player's move since the standings before the latest round: up or down by some places, the
// same place (a move by 0), new (no place before), or none for a player not placed now.
struct CPlaceChange
{
    enum Kind : std::uint8_t { None, New, Moved };
    Kind m_kind = None;
    int m_by = 0; // Moved: places gained, negative for places lost

    friend bool operator==(const CPlaceChange&, const CPlaceChange&) = default;
};

// The places of the standings one round earlier, against which a view's lines are measured.
// "The latest round" is the last of the view's rounds that holds results, and the standings
// before it are those after the round before that holds results, ranked by the same rules, as
// the view after those rounds alone ranks them: one more ranking, however many rounds.
class CPlaceChanges
{
public:
    explicit CPlaceChanges(const CStandingsView& view);

    // Whether there are standings before: at least two rounds with results.
    bool HasBaseline() const { return m_baseline != SIZE_MAX; }
    // The 0-based round the standings before end with; only with a baseline.
    std::size_t BaselineRound() const { return m_baseline; }
    // Without standings before, every placed player is new.
    CPlaceChange Of(const CStandingsLine& line) const;

private:
    std::size_t m_baseline = SIZE_MAX;
    // Per player: the place before, 0 for none.
    std::vector<int> m_before;
};

// The page's column "+/−", for any table of the page: its header cell, and each line's cell,
// each as one line of the page without its line end; then the line under the table that says
// what it compares with. In the tournament's encoding.
std::string ChangeHeaderCell(const CStandingsView& view, const CPlaceChanges& changes);
std::string ChangeCell(CPlaceChange change);
std::string ChangeNote(const CStandingsView& view, const CPlaceChanges& changes);

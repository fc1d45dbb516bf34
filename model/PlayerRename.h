// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A player's results given to another name in every round: a rename when the other name has no
// result, a merge when it has. Keeps which results it changed, so that it can be taken back.
struct CPlayerRename
{
    PlayerId m_from = 0;
    PlayerId m_to = 0;
    // Round and position in the round of each result changed.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_changed;
};

// The rounds (0-based) in which both players have a result: a merge there would lose one.
std::vector<std::size_t> RoundsWithBoth(const CTournament& tournament, PlayerId from, PlayerId to);

// The rounds as a message names them, in the tournament's encoding: each round's name, or
// "Omgång N" (Windows-1252 text made the tournament's) for a round without one, comma-separated.
std::string RoundList(const CTournament& tournament, const std::vector<std::size_t>& rounds);

// Gives every result of `from` to `to`. RoundsWithBoth must be empty.
CPlayerRename RenamePlayer(CTournament& tournament, PlayerId from, PlayerId to);
// Takes the rename back, or makes it again.
void ApplyRename(CTournament& tournament, const CPlayerRename& rename, bool undo);

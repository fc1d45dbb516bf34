// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What changed from `before` to `after`, one line of UTF-8 text each, in the tournaments' order:
//   Titeln: "A" → "B"
//   Ny omgång "Final" (12 resultat)            Borttagen omgång "Omgång 3" (14 resultat)
//   "Omgång 4" heter nu "Kvartsfinal"
//   "Omgång 2": Anna Berg 12 → 21     "Omgång 2": ny Bo Ek 7     "Omgång 2": borttagen Bo Ek 7
// The tournaments are compared as read: their text, not their encoding or layout. Rounds are
// matched by name in order, so one round inserted or removed shows as just that; a removed and
// an added round between the same matched ones pair up as a rename when more than half of the
// results are the same. Results are matched by player name within a matched round.
std::vector<std::string> Differences(const CTournament& before, const CTournament& after);

// One difference between a saved version and the window's tournament, told with its direction
// ("finns bara i versionen", "12 i versionen, 21 i fönstret"), and the version's round it is
// about (none for the title and for a round the version lacks).
struct CVersionDifference
{
    std::string m_text;
    std::size_t m_round = SIZE_MAX;
};
std::vector<CVersionDifference> VersionDifferences(const CTournament& version, const CTournament& shown);

// For each round of `before`, the index of the same round in `after` (matched as Differences
// matches them, renames included), or SIZE_MAX where `after` lacks it.
std::vector<std::size_t> RoundCounterparts(const CTournament& before, const CTournament& after);

// The same, told in one short line: "2 nya resultat i Omgång 5; Anna Berg 12 → 21 i Omgång 2";
// "inga ändringar" when the tournaments read the same.
std::string DifferenceSummary(const CTournament& before, const CTournament& after);

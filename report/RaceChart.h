// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/StandingsView.h"

#include <string>

// How the race has run: an inline SVG chart of the running total that counts (by the rules in
// force: the best rounds so far) after each round, for the ten first placed players, a line
// each, named at its end; drawn without script and without anything to fetch. The lines of the
// page, each ended by CR LF, in the tournament's encoding; empty where there is nothing to draw
// (no placed player, or fewer than two rounds up to the last that holds results).
std::string RaceChart(const CStandingsView& view);

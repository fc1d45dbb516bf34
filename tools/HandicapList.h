// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `handicap FIL [--after N] [--player NAMN] [--format text|csv|json]`: each player's handicap
// for the next round and how it was reached, or one player's after every round. The exit code.
int HandicapList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <cstddef>
#include <cstdint>

// True when the title, every round name (but that of round `exceptRound`) and every player
// name are plain ASCII.
bool IsAscii(const CTournament& tournament, std::size_t exceptRound = SIZE_MAX);

// Turns a Windows-1252 tournament into UTF-8, every character kept: the title, the round names
// and the player names, which keep their ids. It then saves as UTF-8, with the byte-order mark
// when `byteOrderMark`. A UTF-8 tournament is left as it is.
void ConvertToUtf8(CTournament& tournament, bool byteOrderMark);

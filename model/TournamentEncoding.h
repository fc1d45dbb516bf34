// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// True when the title, every round name (but that of round `exceptRound`) and every player
// name are plain ASCII.
bool IsAscii(const CTournament& tournament, std::size_t exceptRound = SIZE_MAX);

// Turns a Windows-1252 tournament into UTF-8, every character kept: the title, the round names
// and the player names, which keep their ids. It then saves as UTF-8, with the byte-order mark
// when `byteOrderMark`. A UTF-8 tournament is left as it is.
void ConvertToUtf8(CTournament& tournament, bool byteOrderMark);

// The text of a tournament apart from its results, which refer to its names by id: what a
// conversion changes, kept to take it back.
struct CTournamentText
{
    std::string m_title;
    std::vector<std::string> m_roundNames;
    CPlayerNames m_players;
    TextEncoding m_encoding = TextEncoding::Windows1252;
    bool m_byteOrderMark = false;
};

// The tournament's text and `text` change places. `text` holds as many round names as the
// tournament has rounds, and at least the names its results use.
void SwapText(CTournament& tournament, CTournamentText& text);

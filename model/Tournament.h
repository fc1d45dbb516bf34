// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Encoding.h"
#include "model/LineOutput.h"
#include "model/PlayerNames.h"

#include <string>
#include <string_view>
#include <vector>

// One player's result in one round. The player is named through the tournament
// (CTournament::PlayerName), which keeps each name once.
class CResult
{
public:
    CResult() = default;
    CResult(PlayerId player, int points)
        : m_player(player)
        , m_points(points)
    {
    }

    // Appends the result line to `line`: the name padded with blanks to `width` characters, a
    // blank, the points as "%2d" gives them.
    void Write(std::string& line, std::string_view name, int width, TextEncoding encoding) const;

    friend bool operator==(const CResult&, const CResult&) = default;

    PlayerId m_player = 0;
    int m_points = 0;
};

// One round: its name and its results, at most one per player, in order of first entry.
// Its results refer to the players of the tournament it belongs to.
class CRound
{
public:
    // Overwrites the points of the same player's result, keeping its place, or appends the result.
    void AddResult(const CResult& result);

    // Writes an empty line, the round's name and one line per result; `line` is the caller's
    // buffer, reused for every line.
    void Write(CLineOutput& out, const CPlayerNames& players, int width, TextEncoding encoding,
               std::string& line) const;

    std::string m_name;
    std::vector<CResult> m_results;
};

// The open tournament: its title, its rounds (a round's position is its round index) and the
// names of its players.
class CTournament
{
public:
    void AddRound(CRound round);
    // Empties the title, the rounds and the names.
    void Clear();

    // The player of that name (byte for byte), added when new.
    PlayerId AddPlayer(std::string_view name) { return m_players.Add(name); }
    // Valid until a player is added.
    std::string_view PlayerName(PlayerId player) const { return m_players.Name(player); }
    std::string_view PlayerName(const CResult& result) const { return m_players.Name(result.m_player); }

    // Writes the whole file text: the title line, then each round.
    void Write(CLineOutput& out, int width) const;

    std::string m_title;
    std::vector<CRound> m_rounds;
    // Every name a result refers to; may also hold names no result uses any more.
    CPlayerNames m_players;
    // Not part of the text: how the file was encoded, and whether it began with a UTF-8 byte-order mark.
    TextEncoding m_encoding = TextEncoding::Windows1252;
    bool m_byteOrderMark = false;
};

// The width the saved file pads player names to: the length of the longest name among the
// players with a result (bytes, or characters for UTF-8); 0 without results.
int LongestPlayerNameLength(const CTournament& tournament);

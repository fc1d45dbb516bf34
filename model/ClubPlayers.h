// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/SeriesRules.h"
#include "model/Tournament.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A class or a team: its name and its players, both UTF-8 as the players file has them.
struct CPlayerGroup
{
    std::string m_name;
    std::vector<std::string> m_players;
    friend bool operator==(const CPlayerGroup&, const CPlayerGroup&) = default;
};

// The club's players, kept beside the tournament in NAME.spelare: each player's class and team,
// and the players who have neither but are known all the same. Groups keep the order in which
// the file names them first.
struct CClubPlayers
{
    std::vector<CPlayerGroup> m_classes;
    std::vector<CPlayerGroup> m_teams;
    std::vector<std::string> m_others; // "[spelare]"
    // Start values for the handicap, each section named by its value in decimal: "[snitt N]"
    // (a start average) and "[handikapp N]" (a fixed start handicap); one a player at most.
    std::vector<CPlayerGroup> m_startAverages;
    std::vector<CPlayerGroup> m_startHandicaps;

    // Sets classes or teams: the outputs gain what they show of them.
    bool SetsGroups() const { return !m_classes.empty() || !m_teams.empty(); }
    bool Empty() const { return !SetsGroups() && m_others.empty() && !SetsStarts(); }
    bool SetsStarts() const { return !m_startAverages.empty() || !m_startHandicaps.empty(); }
    // Every name of the file, once each, in the order of the file.
    std::vector<std::string> AllNames() const;
    friend bool operator==(const CClubPlayers&, const CClubPlayers&) = default;
};

// Reads a players file's bytes (UTF-8, a byte-order mark allowed): "[klass NAMN]", "[lag NAMN]",
// "[spelare]", "[snitt N]" and "[handikapp N]" open a section, each other line is a player of it; empty lines and lines
// whose first other character is '#' are ignored; a line starting with '\' holds the name after it as it stands. Stops
// at the first refused line.
bool ParseClubPlayers(std::string_view text, CClubPlayers& players, CRulesRefusal& refusal);

// The text of a players file for `players`. `previous` is the text of the file it replaces
// (empty for none): its comments and empty lines stay where they stand, its players stay in
// their sections where they still belong, and what it lacks follows at the end of its section,
// or in a new section at the end.
// `renamed` (UTF-8 old and new names, in the order made): a line of `previous` naming an old
// name stands, where the new name belongs in that section, as the new name in its place.
using CRenamedNames = std::vector<std::pair<std::string, std::string>>;
std::string ClubPlayersText(const CClubPlayers& players, std::string_view previous = {},
                            const CRenamedNames& renamed = {});

// `utf8` as the tournament holds text: false when its encoding cannot hold it (then it matches
// no name of the tournament).
bool InTournamentEncoding(std::string_view utf8, TextEncoding encoding, std::string& out);

// The players of a tournament by class and team: for each player id, the index of its class
// and team in the players file, or -1.
struct CPlayerGroups
{
    std::vector<int> m_classOf;
    std::vector<int> m_teamOf;

    int ClassOf(PlayerId player) const { return player < m_classOf.size() ? m_classOf[player] : -1; }
    int TeamOf(PlayerId player) const { return player < m_teamOf.size() ? m_teamOf[player] : -1; }
};
CPlayerGroups GroupsOf(const CClubPlayers& players, const CTournament& tournament);

// Each player's start value, by player id (as many as the tournament has players).
std::vector<CStartValue> StartValuesOf(const CClubPlayers& players, const CTournament& tournament);
// Sets player `name`'s (UTF-8) start value, or takes it away with a value of kind None.
void SetStartValue(CClubPlayers& players, const std::string& name, CStartValue value);

// The names of the players file that no round of the tournament holds, UTF-8, in the file's order.
std::vector<std::string> NamesWithoutResults(const CClubPlayers& players, const CTournament& tournament);

// The file's entries for player `from` become those of `to` (a rename or merge in the
// tournament; both names as the tournament holds them): where `to` has a class or a team
// already it keeps it, else it takes `from`'s.
void RenameClubPlayer(CClubPlayers& players, std::string_view from, std::string_view to, TextEncoding encoding);

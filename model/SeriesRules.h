// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/HandicapRules.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How equal totals are split, in the order a rules file names them.
enum class Tiebreak { Wins, Highest, Dropped, Latest };

// What the number entered for a player in a round is, and so how the series counts it:
// points (higher wins), strokes (lower wins), a placing that a points table turns into series
// points, or the place itself as points (low point: lower wins).
enum class Counting { Points, Strokes, Placing, Place };

// The word a rules file writes for a way of counting ("poäng", "slag", "placering", "plats"), UTF-8.
std::string_view CountingWord(Counting counting);

// The word a rules file writes for a criterion ("segrar", "högsta", "struket", "senaste"), UTF-8.
std::string_view TiebreakWord(Tiebreak criterion);

// The rules of a series, kept in a small file beside the tournament: how many of each player's
// rounds count, how many rounds are planned, how many a player needs to be placed, and how equal
// totals are split. Nothing set means the plain total of all rounds.
struct CSeriesRules
{
    std::optional<int> m_best;        // "bästa": the N highest round scores count
    std::optional<int> m_planned;     // "omgångar": the rounds planned for the series
    std::optional<int> m_minimum;     // "minst": rounds a player must play to be placed
    std::vector<Tiebreak> m_tiebreak; // "särskiljning", empty when not set
    // The tables beside the players' (classes and teams set in NAME.spelare):
    std::optional<int> m_team = std::nullopt; // "lag": the K best of a team's members count in each round
    bool m_overall = true;                    // "totalt = nej": with classes, the overall table is left out

    // What the page shows besides the standings; they change no place, so they are not "in force".
    bool m_change = false; // "förändring = ja": each player's move since the round before
    bool m_chart = false;  // "diagram = ja": the leaders' running totals, drawn

    // How each round counts ("räkning" and its keys); nothing set: the number entered is points.
    Counting m_counting = Counting::Points;
    // "placeringspoäng": the points of the 1st, 2nd, ... place of a round, never rising ...
    std::vector<int> m_placePoints = {};
    // ... or "placeringspoäng = slagna": one point for each player placed below, plus one.
    bool m_pointsForBeaten = false;
    std::optional<int> m_otherPoints = std::nullopt; // "övriga": places past the table
    std::optional<int> m_entryPoints = std::nullopt; // "deltagarpoäng": added to every round played
    bool m_lowestWins = false;                       // "lägst vinner = ja": a round's lowest number is first

    // The number entered is not simply the points of the round.
    bool CountsOtherwise() const
    {
        return m_counting != Counting::Points || m_entryPoints.has_value() || m_handicap.m_on;
    }
    // The lowest total is ahead (strokes, places as points).
    bool LowerTotalWins() const { return m_counting == Counting::Strokes || m_counting == Counting::Place; }
    // Within a round, the lowest number entered is placed first.
    bool LowerScoreWins() const { return m_counting == Counting::Strokes || m_lowestWins; }

    // The club's archive of seasons; they change nothing of this season's own tables.
    std::string m_season = {}; // "säsong = 2025 vår": names the season and sets its place in time (UTF-8)
    bool m_archive = true;     // "arkiv = nej": the season is left out of the archive
    bool m_records = true;     // "rekord = nej": it stays in the archive but out of its records

    // Each player's handicap, added to (or taken from) every number entered before it counts.
    CHandicapRules m_handicap = CHandicapRules();

    // The ranking follows rules as soon as the file sets one of its keys.
    bool InForce() const { return m_best || m_planned || m_minimum || !m_tiebreak.empty() || CountsOtherwise(); }
    // The file is worth keeping: it sets a rule of the ranking, of the other tables or of what
    // the page shows.
    bool SetsAnything() const
    {
        return InForce() || m_team || !m_overall || m_change || m_chart || !m_season.empty() || !m_archive ||
               !m_records || m_handicap.m_on;
    }
    friend bool operator==(const CSeriesRules&, const CSeriesRules&) = default;
};

// A refused line of a rules file: its 1-based number, the line as the file has it (without its
// line end) and the reason, the program's own text in Windows-1252.
struct CRulesRefusal
{
    int m_lineNo = 0;
    std::string m_line;
    std::string m_message;
};

// Reads a rules file's bytes (UTF-8, a byte-order mark allowed): one "key = value" a line,
// empty lines and lines starting with '#' ignored. Stops at the first refused line.
bool ParseSeriesRules(std::string_view text, CSeriesRules& rules, CRulesRefusal& refusal);

// The text of a rules file that sets `rules`, as the window writes it. `previous` is the text of
// the file it replaces (empty for none): its comments and empty lines stay where they were, its
// keys take their new values or go, keys it lacks follow at its end.
std::string SeriesRulesText(const CSeriesRules& rules, std::string_view previous = {});

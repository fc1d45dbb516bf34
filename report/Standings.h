#pragma once

#include "LineOutput.h"
#include "NameIndex.h"
#include "Tournament.h"

#include <cstdint>
#include <string>
#include <vector>

// One player's line in the standings.
class CPlayerRow
{
public:
    explicit CPlayerRow(std::string name);

    // Records the player's points in round `roundIndex`: pads the missed rounds with 0 and
    // appends; never overwrites.
    void AddPoints(int roundIndex, int points);

    // Writes the row of the page's table; `previousTotal` is the total of the row written
    // before and becomes this row's total.
    void WriteHtmlRow(CLineOutput& out, int place, const CTournament& tournament, std::int64_t& previousTotal) const;

    // The decimal text of a value, as "%d" gives it.
    static std::string IntToString(std::int64_t value);

    std::string m_name;
    std::vector<int> m_roundPoints;
    // 64-bit so that no file can overflow the sum of 32-bit points.
    std::int64_t m_total = 0;
    int m_roundsPlayed = 0;
};

// The standings of a tournament: one row per distinct player name, in order of first appearance.
class CStandings
{
public:
    void Clear();

    // Adds one result to the player's row, making the row first when the name is new.
    void AddResult(int roundIndex, const std::string& name, int points);

    // Fills m_ranking: rows by total, highest first; equal totals keep the order of m_rows.
    void BuildRanking();

    // The length of the longest player name (bytes, or characters for UTF-8); 0 without rows.
    int LongestNameLength(TextEncoding encoding = TextEncoding::Windows1252) const;

    // Writes the whole page; BuildRanking must have been called first.
    void WriteHtml(CLineOutput& out, const CTournament& tournament) const;

    std::vector<CPlayerRow> m_rows;
    std::vector<int> m_ranking;

private:
    CNameIndex m_index;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct CRulesRefusal;

// How each player's handicap is worked out from the player's own earlier rounds, as a league
// publishes it: P % of (basis - average) added to points, or P % of (average - par) taken from
// strokes. Off unless the rules file says "handikapp = ja".
struct CHandicapRules
{
    // Which of a player's earlier rounds make the average.
    enum class Window : std::uint8_t {
        All,    // "alla": every round played
        Latest, // "senaste N": the N most recent rounds played
        Best,   // "bästa K av N": the best K of the N most recent
    };

    bool m_on = false;             // "handikapp = ja"
    int m_base = 0;                // "handikappbas": the basis for points, the par for strokes
    int m_percent = 100;           // "handikappprocent"
    Window m_window = Window::All; // "handikappsnitt"
    int m_windowRounds = 0;        // N of "senaste N" and "bästa K av N"
    int m_windowBest = 0;          // K of "bästa K av N"
    int m_minimum = 1;             // "handikappminst": rounds played before the own average is used
    std::optional<int> m_cap;      // "handikapptak": the largest handicap
    bool m_negative = false;       // "negativhandikapp = ja": below 0 stays below 0
    bool m_roundNearest = false;   // "handikappavrundning = närmaste" (else the fraction dropped)
    bool m_averageFloor = false;   // "snittavrundning = nedåt": the average's fraction dropped first
    bool m_grossTable = false;     // "bruttotabell = ja": a second table on the scores played

    friend bool operator==(const CHandicapRules&, const CHandicapRules&) = default;
};

// The start value the club gave a player in the players file: an average the formula takes
// ("[snitt N]"), or a handicap as it stands ("[handikapp N]").
struct CStartValue
{
    enum Kind : std::uint8_t { None, Average, Handicap };
    static constexpr int kLargest = 1000000;
    Kind m_kind = None;
    int m_value = 0;
    friend bool operator==(const CStartValue&, const CStartValue&) = default;
};

// Reads the handicap keys of a rules file line by line, then checks what they need of each other.
class CHandicapRulesReader
{
public:
    // Whether `key` is one of the handicap keys.
    static bool Knows(std::string_view key);
    // Takes one line's key and value into `rules`: the reason it is refused (Windows-1252), or null.
    const char* Read(std::string_view key, std::string_view value, std::string_view line, int lineNo,
                     CHandicapRules& rules);
    // After the last line: false, with the refusal, when a key lacks "handikapp = ja" or the
    // handicap lacks its basis.
    bool Finish(const CHandicapRules& rules, CRulesRefusal& refusal) const;

private:
    std::vector<std::string_view> m_read;
    // The first key other than "handikapp", and the "handikapp" line: where a refusal points.
    int m_otherLineNo = 0, m_onLineNo = 0;
    std::string m_otherLine, m_onLine;
};

// The rules file's lines for the handicap keys `rules` sets, as "key = value", in the file's
// usual order; none when the handicap is off.
std::vector<std::pair<std::string_view, std::string>> HandicapRulesLines(const CHandicapRules& rules);

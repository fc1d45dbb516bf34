// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The first player of a tournament whose name is probably `name` spelled another way: the rule
// the round editor asks "Menar du …?" by (files/NameMatch.h holds it, over ICU).
class CNameMatcher
{
public:
    virtual ~CNameMatcher() = default;
    virtual bool FindMatch(const CTournament& tournament, std::u16string_view name, PlayerId& match) = 0;
};

// Results from elsewhere, as rows of fields: a spreadsheet's cells (tabs), CSV with ';' or ','
// and quoting, or lines of "name points" as in the tournament file.
struct CResultTable
{
    enum class Format { Tabs, Semicolons, Commas, Lines };
    Format m_format = Format::Lines;
    // The heading row, when the first row was one; it is not among the rows.
    std::vector<std::string> m_headings;
    // Each row's fields in UTF-8, trimmed; rows of empty fields are left out.
    std::vector<std::vector<std::string>> m_rows;
    std::size_t m_columns = 0; // the most fields of a row
    std::size_t m_nameColumn = 0;
    std::size_t m_pointsColumn = 1;
    // Whether the columns are known (two of them, or named by the headings) rather than guessed.
    bool m_settled = true;
};

// Reads `text`: UTF-8 (with or without a byte-order mark) or else Windows-1252, lines ended by
// LF or CR LF. A column headed by `roundName` (UTF-8) holds the points, as in an exported table.
CResultTable ReadResultTable(std::string_view text, std::string_view roundName);

// The rows of a table taken as results for one round of a tournament: each name matched to the
// tournament's players, each row ticked or not and sent to a player of the user's choice.
class CResultImport
{
public:
    // What the editor's boxes would take; the tool has no boxes and takes any length.
    struct CLimits
    {
        std::function<bool(std::string_view utf8)> m_nameFits;
        std::function<bool(std::string_view utf8)> m_pointsFits;
    };

    struct CRow
    {
        std::string m_name; // as pasted, runs of blanks folded; UTF-8
        std::string m_pointsText;
        int m_points = 0;
        const char* m_refusal = nullptr; // why the row cannot be entered; UTF-8
        bool m_ticked = true;
        // The player the result goes to; none: the pasted name, a new player.
        std::optional<PlayerId> m_player;
        std::optional<PlayerId> m_exact;   // the player of exactly the pasted name
        std::optional<PlayerId> m_similar; // the near match, when no player has the name exactly
        bool m_fits = true;                // the tournament's encoding holds the pasted name
    };

    enum class Tone { Known, New, Look, Refused, Idle };
    struct CWord
    {
        Tone m_tone = Tone::Known;
        std::string m_text; // UTF-8
    };

    CResultImport(const CResultTable& table, const CTournament& tournament, CNameMatcher& matcher,
                  const CLimits& limits = {});

    std::vector<CRow>& Rows() { return m_rows; }
    const std::vector<CRow>& Rows() const { return m_rows; }

    // What each row does now, against `round` (of the tournament given) and the ticked rows
    // after it: a later row for the same player wins.
    std::vector<CWord> Words(const CRound& round) const;
    // The name the row's result goes to, UTF-8.
    std::string TargetName(const CRow& row) const;
    // Whether the row is entered: ticked and not refused.
    static bool Entered(const CRow& row) { return row.m_ticked && !row.m_refusal; }

private:
    const CTournament& m_tournament;
    std::vector<CRow> m_rows;
};

// Enters `results` into `round` in order, each as CRound::AddResult does, in time linear in
// the round and the results.
void AddResults(CRound& round, std::span<const CResult> results);

// `name` (UTF-8) in the tournament's encoding; false when that cannot hold it, or `name` is
// not UTF-8 after all.
bool ToTournamentText(std::string_view name, TextEncoding encoding, std::string& bytes);

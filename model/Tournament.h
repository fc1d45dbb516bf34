#pragma once

#include "LineOutput.h"

#include <string>
#include <vector>

class CStandings;

// How the tournament file's bytes are to be read as characters. Decided when the file is
// read; the model keeps bytes either way.
enum class TextEncoding { Windows1252, Utf8 };

// One player's result in one round.
class CResult
{
public:
    CResult() = default;
    CResult(std::string name, int points);

    // Writes the result line: the name padded with blanks to `width` characters, a blank, the points ("%s %2d").
    void Write(CLineOutput& out, int width, TextEncoding encoding = TextEncoding::Windows1252) const;

    std::string m_name;
    int m_points = 0;
};

// One round: its name and its results, at most one per exact player name, in order of first entry.
class CRound
{
public:
    // Overwrites the points of the result with the same name (byte for byte), keeping its
    // place, or appends the result.
    void AddResult(const CResult& result);

    // Writes an empty line, the round's name and one line per result.
    void Write(CLineOutput& out, int width, TextEncoding encoding = TextEncoding::Windows1252) const;

    // Feeds the results into the standings as round `roundIndex` and works out m_bestPoints.
    // Defined with the standings (report/); the model does not depend on them.
    void AddToStandings(CStandings& standings, int roundIndex);

    std::string m_name;
    std::vector<CResult> m_results;
    int m_bestPoints = 0;
};

// The open tournament: its title and its rounds; a round's position is its round index.
class CTournament
{
public:
    void AddRound(const CRound& round);
    void Clear();

    // Writes the whole file text: the title line, then each round.
    void Write(CLineOutput& out, int width) const;

    // Feeds every round, in order, with its position as round index. Defined in report/.
    void AddToStandings(CStandings& standings);

    std::string m_title;
    std::vector<CRound> m_rounds;
    // Not part of the text: how the file was encoded, and whether it began with a UTF-8 byte-order mark.
    TextEncoding m_encoding = TextEncoding::Windows1252;
    bool m_byteOrderMark = false;
};

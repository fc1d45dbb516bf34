// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Tournament.h"

#include "model/Encoding.h"
#include "model/Text.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

void CResult::Write(std::string& line, std::string_view name, int width, TextEncoding encoding) const
{
    line += name;
    const std::size_t length = encoding == TextEncoding::Windows1252 ? name.size() : TextLength(name, encoding);
    if (width > 0 && length < static_cast<std::size_t>(width))
        line.append(static_cast<std::size_t>(width) - length, ' ');
    // " %2d": one blank, then at least two characters.
    line += ' ';
    if (m_points >= 0 && m_points <= 9)
        line += ' ';
    AppendNumber(line, m_points);
}

void CRound::AddResult(const CResult& result)
{
    for (CResult& existing : m_results) {
        if (existing.m_player == result.m_player) {
            existing.m_points = result.m_points;
            return;
        }
    }
    m_results.push_back(result);
}

void CRound::Write(CLineOutput& out, const CPlayerNames& players, int width, TextEncoding encoding,
                   std::string& line) const
{
    line.clear();
    out.WriteLine(line);
    // A name line of only '-' reads as an empty name. An empty line would end the round
    // instead, and its first result would come back as a round name.
    line = m_name.empty() && !m_results.empty() ? std::string_view("-") : std::string_view(m_name);
    out.WriteLine(line);
    for (const CResult& result : m_results) {
        line.clear();
        result.Write(line, players.Name(result.m_player), width, encoding);
        out.WriteLine(line);
    }
}

void CTournament::AddRound(CRound round)
{
    m_rounds.push_back(std::move(round));
}

void CTournament::Clear()
{
    m_title.clear();
    m_rounds.clear();
    m_players.Clear();
}

void CTournament::Write(CLineOutput& out, int width) const
{
    // A title that itself begins with the mark's bytes gets a blank before it, which the
    // reader trims, so that the title is not read back as the mark.
    const bool markInTitle = !m_byteOrderMark && std::string_view(m_title).starts_with(kUtf8Bom);
    std::string line = m_byteOrderMark ? std::string(kUtf8Bom) : markInTitle ? std::string(" ") : std::string();
    line += m_title;
    out.WriteLine(line);
    for (const CRound& round : m_rounds)
        round.Write(out, m_players, width, m_encoding, line);
}

// One bit per name, where standings would take a row.
int LongestPlayerNameLength(const CTournament& tournament)
{
    std::vector<bool> playing(tournament.m_players.Size());
    for (const CRound& round : tournament.m_rounds) {
        for (const CResult& result : round.m_results)
            playing[result.m_player] = true;
    }
    std::size_t longest = 0;
    for (PlayerId player = 0; player < playing.size(); ++player) {
        if (playing[player])
            longest = std::max(longest, TextLength(tournament.PlayerName(player), tournament.m_encoding));
    }
    return static_cast<int>(std::min<std::size_t>(longest, INT32_MAX));
}

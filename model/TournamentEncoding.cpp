// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TournamentEncoding.h"

#include "model/Encoding.h"

#include <utility>

bool IsAscii(const CTournament& tournament, std::size_t exceptRound)
{
    const CPlayerNames& names = tournament.m_players;
    for (PlayerId id = 0; id < names.Size(); ++id) {
        if (!IsAscii(names.Name(id)))
            return false;
    }
    for (std::size_t i = 0; i < tournament.m_rounds.size(); ++i) {
        if (i != exceptRound && !IsAscii(tournament.m_rounds[i].m_name))
            return false;
    }
    return IsAscii(tournament.m_title);
}

void ConvertToUtf8(CTournament& tournament, bool byteOrderMark)
{
    if (tournament.m_encoding == TextEncoding::Utf8)
        return;
    tournament.m_title = ToUtf8(tournament.m_title, TextEncoding::Windows1252);
    for (CRound& round : tournament.m_rounds)
        round.m_name = ToUtf8(round.m_name, TextEncoding::Windows1252);
    // Added in the same order, the names keep their ids: the conversion keeps distinct names distinct.
    CPlayerNames players;
    for (PlayerId id = 0; id < tournament.m_players.Size(); ++id)
        players.Add(ToUtf8(tournament.m_players.Name(id), TextEncoding::Windows1252));
    tournament.m_players = std::move(players);
    tournament.m_encoding = TextEncoding::Utf8;
    tournament.m_byteOrderMark = byteOrderMark;
}

void SwapText(CTournament& tournament, CTournamentText& text)
{
    std::swap(tournament.m_title, text.m_title);
    text.m_roundNames.resize(tournament.m_rounds.size());
    for (std::size_t i = 0; i < tournament.m_rounds.size(); ++i)
        std::swap(tournament.m_rounds[i].m_name, text.m_roundNames[i]);
    std::swap(tournament.m_players, text.m_players);
    std::swap(tournament.m_encoding, text.m_encoding);
    std::swap(tournament.m_byteOrderMark, text.m_byteOrderMark);
}

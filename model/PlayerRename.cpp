// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/PlayerRename.h"

#include "model/Encoding.h"

std::vector<std::size_t> RoundsWithBoth(const CTournament& tournament, PlayerId from, PlayerId to)
{
    std::vector<std::size_t> rounds;
    for (std::size_t k = 0; k < tournament.m_rounds.size(); ++k) {
        bool hasFrom = false, hasTo = false;
        for (const CResult& result : tournament.m_rounds[k].m_results) {
            hasFrom = hasFrom || result.m_player == from;
            hasTo = hasTo || result.m_player == to;
        }
        if (hasFrom && hasTo && from != to)
            rounds.push_back(k);
    }
    return rounds;
}

std::string RoundList(const CTournament& tournament, const std::vector<std::size_t>& rounds)
{
    std::string text;
    for (const std::size_t k : rounds) {
        if (!text.empty())
            text += ", ";
        const std::string& name = tournament.m_rounds[k].m_name;
        if (!name.empty()) {
            text += name;
            continue;
        }
        const std::string unnamed = "Omg\xE5ng " + std::to_string(k + 1);
        text += tournament.m_encoding == TextEncoding::Utf8 ? ToUtf8(unnamed, TextEncoding::Windows1252) : unnamed;
    }
    return text;
}

CPlayerRename RenamePlayer(CTournament& tournament, PlayerId from, PlayerId to)
{
    CPlayerRename rename{from, to, {}};
    for (std::size_t k = 0; k < tournament.m_rounds.size(); ++k) {
        std::vector<CResult>& results = tournament.m_rounds[k].m_results;
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (results[i].m_player == from)
                rename.m_changed.emplace_back(static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(i));
        }
    }
    ApplyRename(tournament, rename, false);
    return rename;
}

void ApplyRename(CTournament& tournament, const CPlayerRename& rename, bool undo)
{
    for (const auto& [round, index] : rename.m_changed)
        tournament.m_rounds[round].m_results[index].m_player = undo ? rename.m_from : rename.m_to;
}

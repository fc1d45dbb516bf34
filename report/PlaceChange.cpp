// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/PlaceChange.h"

#include "report/HtmlText.h"

namespace {

bool HasResults(const CTournament& tournament, std::size_t round)
{
    return !tournament.m_rounds[round].m_results.empty();
}

// The last round before `end` that holds results, or SIZE_MAX.
std::size_t LastWithResults(const CTournament& tournament, std::size_t end)
{
    while (end-- > 0) {
        if (HasResults(tournament, end))
            return end;
    }
    return SIZE_MAX;
}

// "Förändring sedan " and the round's name, as the page shows it.
std::string SinceText(const CStandingsView& view, const CPlaceChanges& changes)
{
    const CTournament& tournament = view.Tournament();
    return PageText("F\xF6r\xE4ndring sedan ", tournament.m_encoding) +
           HtmlText(tournament.m_rounds[changes.BaselineRound()].m_name);
}

} // namespace

CPlaceChanges::CPlaceChanges(const CStandingsView& view)
{
    const CTournament& tournament = view.Tournament();
    const std::size_t latest = LastWithResults(tournament, view.RoundCount());
    if (latest == SIZE_MAX)
        return;
    m_baseline = LastWithResults(tournament, latest);
    if (m_baseline == SIZE_MAX)
        return;
    const CStandingsView before(view.SharedCounting(), view.Rules(), m_baseline + 1);
    m_before.assign(tournament.m_players.Size(), 0);
    for (std::size_t i = 0; i < before.LineCount(); ++i) {
        const CStandingsLine line = before.Line(i);
        if (line.m_placed)
            m_before[line.m_player] = line.m_place;
    }
}

CPlaceChange CPlaceChanges::Of(const CStandingsLine& line) const
{
    if (!line.m_placed)
        return {};
    const int before = line.m_player < m_before.size() ? m_before[line.m_player] : 0;
    if (before == 0)
        return {CPlaceChange::New, 0};
    return {CPlaceChange::Moved, before - line.m_place};
}

std::string ChangeHeaderCell(const CStandingsView& view, const CPlaceChanges& changes)
{
    return "<th align=\"center\" class=\"forandring\" title=\"" + SinceText(view, changes) + "\"><b>+/&#8722;</b></th>";
}

std::string ChangeCell(CPlaceChange change)
{
    std::string cell = "<td align=\"center\" class=\"forandring";
    if (change.m_kind == CPlaceChange::None)
        return cell + "\">&nbsp;</td>";
    if (change.m_kind == CPlaceChange::New)
        return cell + "\">ny</td>";
    if (change.m_by == 0)
        return cell + "\"><span role=\"img\" aria-label=\"samma plats\">&#8211;</span></td>";
    // The arrow and the number say it without colour; a screen reader gets it in words.
    const bool up = change.m_by > 0;
    const std::string by = std::to_string(up ? change.m_by : -static_cast<long long>(change.m_by));
    cell += up ? " upp\"><span role=\"img\" aria-label=\"upp " : " ned\"><span role=\"img\" aria-label=\"ned ";
    cell += by + (by == "1" ? " plats\">" : " platser\">");
    return cell + (up ? "&#9650; " : "&#9660; ") + by + "</span></td>";
}

std::string ChangeNote(const CStandingsView& view, const CPlaceChanges& changes)
{
    return "<p class=\"forandring\">" + SinceText(view, changes) +
           PageText(": &#9650; upp, &#9660; ned, &#8211; samma plats, ny: utan placering d\xE5.</p>",
                    view.Tournament().m_encoding);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/StandingsView.h"

#include "model/Encoding.h"
#include "model/Text.h"
#include "report/FieldText.h"
#include "report/GroupStandings.h"
#include "report/PlaceChange.h"

#include <algorithm>
#include <cassert>
#include <string_view>

CStandingsView::CStandingsView(const CTournament& tournament, std::size_t rounds)
    : CStandingsView(tournament, CSeriesRules(), rounds)
{
}

CStandingsView::CStandingsView(const CTournament& tournament, const CStandings& standings)
    : CStandingsView(tournament, standings, CSeriesRules())
{
}

CStandingsView::CStandingsView(const CTournament& tournament, const CSeriesRules& rules, std::size_t rounds,
                               const CClubPlayers* players)
    : CStandingsView(std::make_shared<const CCounting>(tournament, rules, players), rules, rounds)
{
}

CStandingsView::CStandingsView(const CTournament& tournament, const CStandings& standings, const CSeriesRules& rules,
                               const CClubPlayers* players)
    : CStandingsView(std::make_shared<const CCounting>(tournament, rules, players), standings, rules)
{
}

CStandingsView::CStandingsView(std::shared_ptr<const CCounting> counting, const CSeriesRules& rules, std::size_t rounds)
    : m_tournament(counting->Tournament())
    , m_roundCount(std::min(rounds, m_tournament.m_rounds.size()))
    , m_standings(m_own)
    , m_counting(std::move(counting))
    , m_rules(rules)
{
    m_own.Reserve(m_tournament.m_players.Size());
    for (std::size_t k = 0; k < m_roundCount; ++k)
        AddToStandings(m_own, m_tournament.m_rounds[k]);
    m_own.BuildRanking();
    Fill();
    if (m_rules.InForce())
        RankByRules();
}

CStandingsView::CStandingsView(std::shared_ptr<const CCounting> counting, const CStandings& standings,
                               const CSeriesRules& rules)
    : m_tournament(counting->Tournament())
    , m_roundCount(m_tournament.m_rounds.size())
    , m_standings(standings)
    , m_counting(std::move(counting))
    , m_rules(rules)
{
    assert(standings.m_ranking.size() == standings.m_rows.size());
    Fill();
    if (m_rules.InForce())
        RankByRules();
}

template <class F>
void CStandingsView::ForEachResult(F f) const
{
    for (std::size_t k = 0; k < m_roundCount; ++k) {
        const std::vector<CResult>& results = m_tournament.m_rounds[k].m_results;
        for (std::size_t i = 0; i < results.size(); ++i) {
            // Standings left empty by a file refused halfway have no row for the rounds read.
            const std::uint32_t row = m_standings.RowOf(results[i].m_player);
            if (row != CStandings::kNoRow)
                f(std::size_t{row} * m_roundCount + k, k, i);
        }
    }
}

void CStandingsView::Fill()
{
    const CCounting& counting = *m_counting;
    const std::size_t cells = m_standings.m_rows.size() * m_roundCount;
    m_points.assign(cells, kNoResult);
    m_won.assign(cells, 0);
    if (!counting.Plain())
        m_entered.assign(cells, kNoResult);
    if (counting.Handicaps())
        m_handicaps.assign(cells, kNoResult);
    ForEachResult([&](std::size_t cell, std::size_t k, std::size_t i) {
        m_points[cell] = counting.Points(k, i);
        m_won[cell] = counting.Won(k, i) ? 1 : 0;
        if (!m_entered.empty())
            m_entered[cell] = m_tournament.m_rounds[k].m_results[i].m_points;
        if (!m_handicaps.empty())
            m_handicaps[cell] = counting.Handicap(k, i).value_or(kNoResult);
    });
    if (const int absent = counting.AbsentPoints(m_roundCount)) {
        for (std::size_t k = 0; k < m_roundCount; ++k) {
            for (std::size_t cell = k; !m_tournament.m_rounds[k].m_results.empty() && cell < cells;
                 cell += m_roundCount) {
                if (m_points[cell] == kNoResult)
                    m_points[cell] = absent;
            }
        }
    }
}

std::optional<int> CStandingsView::RoundPlace(std::size_t line, std::size_t round) const
{
    std::call_once(m_placesOnce, [this] {
        if (m_counting->Plain())
            return;
        m_places.assign(m_standings.m_rows.size() * m_roundCount, 0);
        ForEachResult(
            [this](std::size_t cell, std::size_t k, std::size_t i) { m_places[cell] = m_counting->Place(k, i); });
    });
    const int place = m_places.empty() ? 0 : m_places[Row(line) * m_roundCount + round];
    return place == 0 ? std::nullopt : std::optional<int>(place);
}

CStandingsLine CStandingsView::Line(std::size_t line) const
{
    if (m_ruled)
        return m_ruledLines[line];
    const CPlayerRow& row = m_standings.m_rows[Row(line)];
    // Totals fall line by line, so a place's first line is the first with this total.
    std::size_t first = line;
    if (line > 0 && Total(line - 1) == row.m_total) {
        if (m_lastLine == line - 1) {
            first = m_lastPlaceLine;
        } else {
            const auto& ranking = m_standings.m_ranking;
            const auto end = ranking.begin() + static_cast<std::ptrdiff_t>(line);
            const auto at = std::partition_point(ranking.begin(), end, [&](int r) {
                return m_standings.m_rows[static_cast<std::size_t>(r)].m_total > row.m_total;
            });
            first = static_cast<std::size_t>(at - ranking.begin());
        }
    }
    m_lastLine = line;
    m_lastPlaceLine = first;
    return {
        row.m_player, static_cast<int>(first + 1), first == line, row.m_total, row.m_roundsPlayed, row.m_total, true,
        std::nullopt};
}

std::optional<CHandicapExplained> CStandingsView::NextHandicap(std::size_t line) const
{
    const CHandicapTable* table = m_counting->Handicaps();
    if (!table)
        return std::nullopt;
    return table->Explain(Line(line).m_player, m_roundCount);
}

namespace {

std::string Utf8(const CStandingsView& view, std::string_view bytes)
{
    return ToUtf8(bytes, view.Tournament().m_encoding);
}

// Pads to `width` characters (code points of UTF-8).
void AppendPadded(std::string& out, std::string_view text, std::size_t width, bool right)
{
    const std::size_t length = TextLength(text, TextEncoding::Utf8);
    if (right && width > length)
        out.append(width - length, ' ');
    out += text;
    if (!right && width > length)
        out.append(width - length, ' ');
}

// The changes of place, when the rules ask for them.
std::optional<CPlaceChanges> ChangesOf(const CStandingsView& view)
{
    return view.Rules().m_change ? std::optional<CPlaceChanges>(std::in_place, view) : std::nullopt;
}

// A change as a number of places gained (negative: lost), or the words for new and for none.
void AppendChange(std::string& out, CPlaceChange change, std::string_view isNew, std::string_view none)
{
    if (change.m_kind == CPlaceChange::Moved)
        AppendNumber(out, change.m_by);
    else
        out += change.m_kind == CPlaceChange::New ? isNew : none;
}

} // namespace

std::string StandingsText(const CStandingsView& view)
{
    // Cells as the page shows them, with empty cells where the page has none.
    const std::size_t columns = view.RoundCount() + 4;
    std::vector<std::string> cells = {"Plac", "Namn", "Summa"};
    cells.reserve(columns * (view.LineCount() + 1));
    for (std::size_t k = 0; k < view.RoundCount(); ++k)
        cells.push_back(Utf8(view, view.Tournament().m_rounds[k].m_name));
    cells.emplace_back("Antal");
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const CStandingsLine line = view.Line(i);
        cells.push_back(line.m_placeShown ? std::to_string(line.m_place) : std::string());
        cells.push_back(Utf8(view, view.Name(line)));
        cells.push_back(std::to_string(line.m_total));
        for (std::size_t k = 0; k < view.RoundCount(); ++k) {
            const std::optional<int> points = view.Points(i, k);
            if (view.Dropped(i, k))
                cells.emplace_back(1, '(').append(std::to_string(*points)).append(")");
            else
                cells.push_back(points && *points > 0 ? std::to_string(*points) : std::string());
        }
        cells.push_back(std::to_string(line.m_roundsPlayed));
    }
    std::vector<std::size_t> widths(columns, 0);
    for (std::size_t c = 0; c < cells.size(); ++c)
        widths[c % columns] = std::max(widths[c % columns], TextLength(cells[c], TextEncoding::Utf8));
    std::string out;
    for (std::size_t start = 0; start < cells.size(); start += columns) {
        const std::size_t lineStart = out.size();
        for (std::size_t c = 0; c < columns; ++c) {
            if (c > 0)
                out += "  ";
            AppendPadded(out, cells[start + c], widths[c], c != 1);
        }
        while (out.size() > lineStart && out.back() == ' ')
            out.pop_back();
        out += '\n';
    }
    return out;
}

std::string StandingsCsv(const CStandingsView& view, char separator, const CGroupStandings* groups)
{
    if (groups && !groups->Players().SetsGroups())
        groups = nullptr;
    std::string out;
    const auto headings = [&](std::initializer_list<std::string_view> words) {
        for (const std::string_view word : words)
            out.append(word).push_back(separator);
    };
    // With a handicap: each player's for the next round after the name, and each round's after
    // the numbers entered.
    const bool handicap = view.Counted().Handicaps() != nullptr;
    if (handicap)
        headings({"Placering", "Namn", "Hcp", "Summa"});
    else
        headings({"Placering", "Namn", "Summa"});
    // Where the points are not the numbers entered, each round's numbers follow its points.
    const bool entered = view.Rules().CountsOtherwise();
    const std::string_view enteredName = view.Rules().LowerScoreWins() ? " (slag)" : " (resultat)";
    for (std::size_t k = 0; k < view.RoundCount(); ++k) {
        AppendCsvField(out, Utf8(view, view.Tournament().m_rounds[k].m_name), separator);
        out += separator;
        if (entered) {
            AppendCsvField(out, Utf8(view, view.Tournament().m_rounds[k].m_name).append(enteredName), separator);
            out += separator;
        }
        if (handicap) {
            AppendCsvField(out, Utf8(view, view.Tournament().m_rounds[k].m_name).append(" (hcp)"), separator);
            out += separator;
        }
    }
    const bool rules = view.Rules().InForce();
    if (rules)
        headings({"Antal", "Alla", "Struket"});
    else
        headings({"Antal"});
    if (groups)
        headings({"Klass", "Lag"});
    const std::optional<CPlaceChanges> changes = ChangesOf(view);
    if (changes)
        headings({"F\xC3\xB6r\xC3\xA4ndring"});
    out.back() = '\r';
    out += '\n';
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const CStandingsLine line = view.Line(i);
        if (line.m_placed)
            AppendNumber(out, line.m_place);
        out += separator;
        AppendCsvField(out, Utf8(view, view.Name(line)), separator);
        out += separator;
        if (handicap) {
            if (const CHandicap next = view.NextHandicap(i)->m_handicap; next.m_source != CHandicap::NotYet)
                AppendNumber(out, next.m_value);
            out += separator;
        }
        AppendNumber(out, line.m_total);
        for (std::size_t k = 0; k < view.RoundCount(); ++k) {
            out += separator;
            if (const std::optional<int> points = view.Points(i, k))
                AppendNumber(out, *points);
            if (!entered)
                continue;
            out += separator;
            if (const std::optional<int> number = view.Entered(i, k))
                AppendNumber(out, *number);
            if (!handicap)
                continue;
            out += separator;
            if (const std::optional<int> number = view.Handicap(i, k))
                AppendNumber(out, *number);
        }
        out += separator;
        AppendNumber(out, line.m_roundsPlayed);
        if (rules) {
            out += separator;
            AppendNumber(out, line.m_all);
            out += separator;
            const std::size_t start = out.size();
            for (std::size_t k = 0; k < view.RoundCount(); ++k) {
                if (view.Dropped(i, k)) {
                    out += out.size() > start ? " " : "";
                    AppendNumber(out, static_cast<std::int64_t>(k + 1));
                }
            }
        }
        if (groups) {
            for (const std::string* group : {groups->ClassNameOf(line.m_player), groups->TeamNameOf(line.m_player)}) {
                out += separator;
                if (group)
                    AppendCsvField(out, *group, separator);
            }
        }
        if (changes) {
            out += separator;
            AppendChange(out, changes->Of(line), "ny", "");
        }
        out += "\r\n";
    }
    return out;
}

std::string StandingsExcelCsv(const CStandingsView& view, const CGroupStandings* groups)
{
    return std::string(kUtf8Bom) + StandingsCsv(view, ';', groups);
}

namespace {

// The lines of `view`, each on a line of its own indented by `indent` blanks, comma-separated.
// `changes`: each line's move, when the rules ask for it.
void AppendJsonLines(std::string& out, const CStandingsView& view, const CGroupStandings* groups, std::size_t indent,
                     const std::optional<CPlaceChanges>& changes)
{
    const CSeriesRules& rules = view.Rules();
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const CStandingsLine line = view.Line(i);
        out += i > 0 ? ",\n" : "\n";
        out.append(indent, ' ') += "{\"place\": ";
        if (line.m_placed)
            AppendNumber(out, line.m_place);
        else
            out += "null";
        out += ", \"name\": ";
        AppendJsonString(out, Utf8(view, view.Name(line)));
        out += ", \"total\": ";
        AppendNumber(out, line.m_total);
        out += ", \"points\": [";
        for (std::size_t k = 0; k < view.RoundCount(); ++k) {
            if (k > 0)
                out += ", ";
            if (const std::optional<int> points = view.Points(i, k))
                AppendNumber(out, *points);
            else
                out += "null";
        }
        if (rules.CountsOtherwise()) {
            const auto numbers = [&](const char* key, auto of) {
                out.append("], \"").append(key).append("\": [");
                for (std::size_t k = 0; k < view.RoundCount(); ++k) {
                    out += k > 0 ? ", " : "";
                    if (const std::optional<int> number = of(k))
                        AppendNumber(out, *number);
                    else
                        out += "null";
                }
            };
            numbers("scores", [&](std::size_t k) { return view.Entered(i, k); });
            numbers("round_places", [&](std::size_t k) { return view.RoundPlace(i, k); });
            if (view.Counted().Handicaps()) {
                numbers("gross", [&](std::size_t k) { return view.Entered(i, k); });
                numbers("handicap", [&](std::size_t k) { return view.Handicap(i, k); });
            }
        }
        out += "], \"played\": ";
        AppendNumber(out, line.m_roundsPlayed);
        if (view.Counted().Handicaps()) {
            const CHandicap next = view.NextHandicap(i)->m_handicap;
            out += ", \"next_handicap\": ";
            if (next.m_source == CHandicap::NotYet)
                out += "null";
            else
                AppendNumber(out, next.m_value);
        }
        if (rules.InForce()) {
            out += ", \"all\": ";
            AppendNumber(out, line.m_all);
            out += ", \"dropped\": [";
            bool first = true;
            for (std::size_t k = 0; k < view.RoundCount(); ++k) {
                if (view.Dropped(i, k)) {
                    out += first ? "" : ", ";
                    AppendNumber(out, static_cast<std::int64_t>(k));
                    first = false;
                }
            }
            out += line.m_placed ? "], \"placed\": true, \"decided_by\": " : "], \"placed\": false, \"decided_by\": ";
            if (line.m_decidedBy)
                AppendJsonString(out, TiebreakWord(*line.m_decidedBy));
            else
                out += "null";
        }
        if (groups) {
            for (const auto& [key, group] : {std::pair{", \"class\": ", groups->ClassNameOf(line.m_player)},
                                             std::pair{", \"team\": ", groups->TeamNameOf(line.m_player)}}) {
                out += key;
                if (group)
                    AppendJsonString(out, *group);
                else
                    out += "null";
            }
        }
        if (changes) {
            out += ", \"change\": ";
            AppendChange(out, changes->Of(line), "\"new\"", "null");
        }
        out += '}';
    }
}

void AppendJsonGroups(std::string& out, const CStandingsView& view, const CGroupStandings& groups)
{
    out += "\n], \"classes\": [";
    for (std::size_t c = 0; c < groups.ClassCount(); ++c) {
        out += c > 0 ? ",\n  {\"name\": " : "\n  {\"name\": ";
        AppendJsonString(out, groups.ClassName(c));
        out += ", \"standings\": [";
        AppendJsonLines(out, groups.ClassView(c), &groups, 4, ChangesOf(groups.ClassView(c)));
        out += "\n  ]}";
    }
    out += "\n], \"teams\": [";
    for (std::size_t t = 0; t < groups.Teams().size(); ++t) {
        const CTeamLine& line = groups.Teams()[t];
        out += t > 0 ? ",\n  {\"place\": " : "\n  {\"place\": ";
        AppendNumber(out, line.m_place);
        out += ", \"name\": ";
        AppendJsonString(out, groups.TeamName(line.m_team));
        out += ", \"total\": ";
        AppendNumber(out, line.m_total);
        out += ", \"points\": [";
        for (std::size_t k = 0; k < line.m_points.size(); ++k) {
            out += k > 0 ? ", " : "";
            if (line.m_points[k])
                AppendNumber(out, *line.m_points[k]);
            else
                out += "null";
        }
        out += "], \"members\": [";
        for (std::size_t m = 0; m < line.m_counted.size(); ++m) {
            out += m > 0 ? ", " : "";
            AppendJsonString(out, Utf8(view, view.Tournament().PlayerName(line.m_counted[m])));
        }
        out += "]}";
    }
}

} // namespace

std::string StandingsJson(const CStandingsView& view, const CGroupStandings* groups, bool linesOnly)
{
    if (groups && !groups->Players().SetsGroups())
        groups = nullptr;
    std::string out = "{\"title\": ";
    AppendJsonString(out, Utf8(view, view.Tournament().m_title));
    out += ", \"rounds\": [";
    for (std::size_t k = 0; k < view.RoundCount(); ++k) {
        if (k > 0)
            out += ", ";
        AppendJsonString(out, Utf8(view, view.Tournament().m_rounds[k].m_name));
    }
    out += ']';
    const CSeriesRules& rules = view.Rules();
    if (rules.InForce()) {
        const auto number = [&out](const std::optional<int>& value) {
            if (value)
                AppendNumber(out, *value);
            else
                out += "null";
        };
        out += ", \"rules\": {\"best\": ";
        number(rules.m_best);
        out += ", \"min\": ";
        number(rules.m_minimum);
        out += ", \"planned\": ";
        number(rules.m_planned);
        out += ", \"tiebreak\": [";
        for (std::size_t i = 0; i < rules.m_tiebreak.size(); ++i) {
            out += i > 0 ? ", " : "";
            AppendJsonString(out, TiebreakWord(rules.m_tiebreak[i]));
        }
        out += ']';
        if (rules.CountsOtherwise()) {
            out += ", \"counting\": ";
            AppendJsonString(out, CountingWord(rules.m_counting));
            out += ", \"lowest_wins\": ";
            out += rules.LowerScoreWins() ? "true" : "false";
            out += ", \"place_points\": ";
            if (rules.m_pointsForBeaten) {
                out += "\"slagna\"";
            } else {
                out += '[';
                for (std::size_t i = 0; i < rules.m_placePoints.size(); ++i) {
                    out += i > 0 ? ", " : "";
                    AppendNumber(out, rules.m_placePoints[i]);
                }
                out += ']';
            }
            out += ", \"other_points\": ";
            number(rules.m_otherPoints);
            out += ", \"entry_points\": ";
            number(rules.m_entryPoints);
        }
        if (const CHandicapTable* handicaps = view.Counted().Handicaps()) {
            out += ", \"handicap\": {\"base\": ";
            AppendNumber(out, rules.m_handicap.m_base);
            out += ", \"percent\": ";
            AppendNumber(out, rules.m_handicap.m_percent);
            out += ", \"formula\": ";
            AppendJsonString(out, HandicapRulesText(rules.m_handicap, handicaps->LowerBetter()));
            out += '}';
        }
        out += '}';
    }
    const std::optional<CPlaceChanges> changes = ChangesOf(view);
    if (changes && changes->HasBaseline()) {
        out += ", \"change_since\": ";
        AppendJsonString(out, Utf8(view, view.Tournament().m_rounds[changes->BaselineRound()].m_name));
    } else if (changes) {
        out += ", \"change_since\": null";
    }
    out += ", \"standings\": [";
    AppendJsonLines(out, view, groups, 2, changes);
    if (groups && !linesOnly)
        AppendJsonGroups(out, view, *groups);
    out += "\n]}\n";
    return out;
}

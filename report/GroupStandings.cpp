// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/GroupStandings.h"

#include <algorithm>

struct CGroupStandings::CClassTable
{
    CTournament m_tournament;
    std::unique_ptr<CStandingsView> m_view;
};

std::vector<CTeamLine> TeamTable(const CCounting& counting, const CPlayerGroups& groups, std::size_t teamCount,
                                 int best, std::size_t rounds)
{
    const CTournament& tournament = counting.Tournament();
    const bool lower = counting.LowerWins();
    rounds = std::min(rounds, tournament.m_rounds.size());
    std::vector<CTeamLine> lines(teamCount);
    for (std::size_t t = 0; t < teamCount; ++t) {
        lines[t].m_team = t;
        lines[t].m_points.assign(rounds, std::nullopt);
    }
    std::vector<char> counted(tournament.m_players.Size(), 0);
    // Each round's results by team, in the round's order: a team's few members are looked at
    // alone, with no sort of the whole round.
    struct CEntry
    {
        int m_points;
        std::uint32_t m_order;
        PlayerId m_player;
    };
    std::vector<std::vector<CEntry>> byTeam(teamCount);
    std::vector<std::size_t> touched;
    const auto better = [lower](const CEntry& a, const CEntry& b) {
        if (a.m_points != b.m_points)
            return lower ? a.m_points < b.m_points : a.m_points > b.m_points;
        return a.m_order < b.m_order;
    };
    const auto count = static_cast<std::size_t>(std::max(best, 0));
    for (std::size_t k = 0; k < rounds; ++k) {
        const std::vector<CResult>& results = tournament.m_rounds[k].m_results;
        for (std::uint32_t i = 0; i < results.size(); ++i) {
            const int team = groups.TeamOf(results[i].m_player);
            if (team < 0)
                continue;
            std::vector<CEntry>& entries = byTeam[static_cast<std::size_t>(team)];
            if (entries.empty())
                touched.push_back(static_cast<std::size_t>(team));
            entries.push_back({counting.Points(k, i), i, results[i].m_player});
        }
        for (const std::size_t team : touched) {
            std::vector<CEntry>& entries = byTeam[team];
            // The best first; among equal points the one entered first counts. Where the lowest
            // wins, a team short of members does not score the round.
            if (lower && entries.size() < count) {
                entries.clear();
                continue;
            }
            const std::size_t taken = std::min(count, entries.size());
            std::partial_sort(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(taken), entries.end(),
                              better);
            CTeamLine& line = lines[team];
            std::int64_t sum = 0;
            for (std::size_t j = 0; j < taken; ++j) {
                sum += entries[j].m_points;
                counted[entries[j].m_player] = 1;
            }
            line.m_points[k] = sum;
            line.m_total += sum;
            line.m_best = line.m_roundsScored == 0 ? entries.front().m_points
                          : lower                  ? std::min(line.m_best, entries.front().m_points)
                                                   : std::max(line.m_best, entries.front().m_points);
            ++line.m_roundsScored;
            entries.clear();
        }
        touched.clear();
    }
    for (PlayerId player = 0; player < counted.size(); ++player) {
        if (counted[player])
            lines[static_cast<std::size_t>(groups.TeamOf(player))].m_counted.push_back(player);
    }
    const auto ahead = [lower](const CTeamLine& a, const CTeamLine& b) {
        if (lower && a.m_roundsScored != b.m_roundsScored)
            return a.m_roundsScored > b.m_roundsScored;
        if (a.m_total != b.m_total)
            return lower ? a.m_total < b.m_total : a.m_total > b.m_total;
        return lower ? a.m_best < b.m_best : a.m_best > b.m_best;
    };
    std::stable_sort(lines.begin(), lines.end(), ahead);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool shared = i > 0 && !ahead(lines[i - 1], lines[i]);
        lines[i].m_place = shared ? lines[i - 1].m_place : static_cast<int>(i + 1);
        lines[i].m_placeShown = !shared;
    }
    return lines;
}

CGroupStandings::CGroupStandings(const CTournament& tournament, const CClubPlayers& players, const CSeriesRules& rules,
                                 std::size_t rounds, std::shared_ptr<const CCounting> counting)
    : m_players(players)
    , m_rules(rules)
    , m_groups(GroupsOf(players, tournament))
{
    // The tournament as it would be with each class's players alone: every round stays.
    for (std::size_t c = 0; c < players.m_classes.size(); ++c) {
        auto table = std::make_unique<CClassTable>();
        CTournament& own = table->m_tournament;
        own.m_title = tournament.m_title;
        own.m_players = tournament.m_players;
        own.m_encoding = tournament.m_encoding;
        own.m_byteOrderMark = tournament.m_byteOrderMark;
        own.m_rounds.resize(tournament.m_rounds.size());
        for (std::size_t k = 0; k < tournament.m_rounds.size(); ++k)
            own.m_rounds[k].m_name = tournament.m_rounds[k].m_name;
        m_classes.push_back(std::move(table));
        m_shown.push_back(c);
    }
    // One pass over the results hands each to its class.
    for (std::size_t k = 0; k < tournament.m_rounds.size() && !m_classes.empty(); ++k) {
        for (const CResult& result : tournament.m_rounds[k].m_results) {
            if (const int c = m_groups.ClassOf(result.m_player); c >= 0)
                m_classes[static_cast<std::size_t>(c)]->m_tournament.m_rounds[k].m_results.push_back(result);
        }
    }
    for (const std::unique_ptr<CClassTable>& table : m_classes)
        table->m_view = std::make_unique<CStandingsView>(table->m_tournament, rules, rounds, &m_players);
    if (rules.m_team && !players.m_teams.empty()) {
        if (!counting)
            counting = std::make_shared<const CCounting>(tournament, rules, &m_players);
        m_teams = TeamTable(*counting, m_groups, players.m_teams.size(), *rules.m_team, rounds);
    }
}

CGroupStandings::~CGroupStandings() = default;

const CStandingsView& CGroupStandings::ClassView(std::size_t index) const
{
    return *m_classes[m_shown[index]]->m_view;
}

int CGroupStandings::ClassIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        if (ClassName(i) == name)
            return static_cast<int>(i);
    }
    return -1;
}

void CGroupStandings::ShowOnlyClass(std::size_t index)
{
    m_shown = {m_shown[index]};
    m_rules.m_overall = false;
    m_teams.clear();
}

const std::string* CGroupStandings::ClassNameOf(PlayerId player) const
{
    const int c = m_groups.ClassOf(player);
    return c < 0 ? nullptr : &m_players.m_classes[static_cast<std::size_t>(c)].m_name;
}

const std::string* CGroupStandings::TeamNameOf(PlayerId player) const
{
    const int t = m_groups.TeamOf(player);
    return t < 0 ? nullptr : &m_players.m_teams[static_cast<std::size_t>(t)].m_name;
}

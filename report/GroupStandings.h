// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/ClubPlayers.h"
#include "model/SeriesRules.h"
#include "model/Tournament.h"
#include "report/StandingsView.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One team's line of the team table.
struct CTeamLine
{
    std::size_t m_team = 0; // in the players file's order
    // As the players' places: shared by teams with the same total and the same best result.
    int m_place = 0;
    bool m_placeShown = false;
    std::int64_t m_total = 0;
    // The best single result of a member in any round: what parts equal totals.
    int m_best = 0;
    // The rounds the team scored in: where the lowest total wins, more are ahead of a lower total.
    int m_roundsScored = 0;
    // The team's score in each round; none where no member has a result.
    std::vector<std::optional<std::int64_t>> m_points;
    // The members whose results counted in some round, in order of first appearance.
    std::vector<PlayerId> m_counted;
};

// The team table: in each of the first `rounds` rounds a team scores the sum of the `best`
// best points its members' results give there (`counting`, of this tournament); its total is
// the sum of those. Best total first, then best single result; teams equal in both share the
// place. Where the lowest total wins, the best points are the lowest, a team with fewer than
// `best` results in a round does not score it, and more rounds scored are ahead first. Every
// team of `teamCount` has a line.
std::vector<CTeamLine> TeamTable(const CCounting& counting, const CPlayerGroups& groups, std::size_t teamCount,
                                 int best, std::size_t rounds);

// What the outputs show beside the overall standings when the players file sets classes or
// teams: each class's own standings, exactly those of the tournament with the class's players
// alone (the same rounds, empty ones kept, ranked by the same rules), and the team table.
class CGroupStandings
{
public:
    // `rounds`: the first rounds ranked, as the overall view's. `counting`: the tournament's, as
    // the overall view has it (SharedCounting), so that the teams count nothing again; without
    // it, the tournament is counted here.
    CGroupStandings(const CTournament& tournament, const CClubPlayers& players, const CSeriesRules& rules,
                    std::size_t rounds = SIZE_MAX, std::shared_ptr<const CCounting> counting = nullptr);
    CGroupStandings(const CGroupStandings&) = delete;
    CGroupStandings& operator=(const CGroupStandings&) = delete;
    ~CGroupStandings();

    const CClubPlayers& Players() const { return m_players; }
    const CPlayerGroups& Groups() const { return m_groups; }
    // The overall table is shown unless the rules leave it out and there are classes instead.
    bool ShowsOverall() const { return m_rules.m_overall || m_players.m_classes.empty(); }

    // The classes shown, in the players file's order.
    std::size_t ClassCount() const { return m_shown.size(); }
    // UTF-8, as the players file has it.
    const std::string& ClassName(std::size_t index) const { return m_players.m_classes[m_shown[index]].m_name; }
    const CStandingsView& ClassView(std::size_t index) const;
    // The shown class of that name (UTF-8), or -1.
    int ClassIndex(std::string_view name) const;
    // Shows class `index` alone, without the overall and the team table: the tool's --class.
    void ShowOnlyClass(std::size_t index);

    // Empty without the rules' "lag" or without teams.
    const std::vector<CTeamLine>& Teams() const { return m_teams; }
    const std::string& TeamName(std::size_t index) const { return m_players.m_teams[index].m_name; }
    // How many results of a team's members count in each round (the rules' "lag").
    int TeamBest() const { return m_rules.m_team.value_or(0); }
    // A player's class and team names (UTF-8), or none.
    const std::string* ClassNameOf(PlayerId player) const;
    const std::string* TeamNameOf(PlayerId player) const;

private:
    struct CClassTable;

    CClubPlayers m_players;
    CSeriesRules m_rules;
    CPlayerGroups m_groups;
    std::vector<std::unique_ptr<CClassTable>> m_classes;
    std::vector<std::size_t> m_shown;
    std::vector<CTeamLine> m_teams;
};

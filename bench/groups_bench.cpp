// SPDX-License-Identifier: GPL-3.0-or-later
// Classes and teams on a big tournament: the standings page without them and with three
// classes and a team table, and a rename and a merge of a player through the document, as
// "Byt namn…" makes them (the standings rebuilt). Best of five each; bench/run prints them.
//
//   groups_bench [ROUNDS PLAYERS]   prints: page, page with classes and teams, ratio, rename, merge (ms)
#include "files/TournamentDoc.h"
#include "model/ClubPlayers.h"
#include "report/GroupStandings.h"
#include "report/StandingsView.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Counts the page's bytes: the page is made, not written.
struct CCountingOutput final : CLineOutput
{
    std::size_t m_bytes = 0;
    void WriteLine(const std::string& line) override { m_bytes += line.size() + 2; }
    void WriteText(std::string_view text) override { m_bytes += text.size(); }
};

template <typename Work>
double BestMilliseconds(Work work)
{
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 2 ? std::atoi(argv[1]) : 1000, players = argc > 2 ? std::atoi(argv[2]) : 1000;
    CTournament tournament;
    tournament.m_title = "Bench";
    for (int p = 0; p < players; ++p)
        tournament.AddPlayer("Spelare " + std::to_string(p));
    for (int k = 0; k < rounds; ++k) {
        CRound round;
        round.m_name = "Omg\xE5ng " + std::to_string(k + 1);
        for (int p = 0; p < players; ++p)
            round.m_results.emplace_back(static_cast<PlayerId>(p), (p * 7 + k * 13) % 26);
        tournament.AddRound(std::move(round));
    }
    // Three classes of a third each, teams of ten, the four best of a team counting.
    CClubPlayers club;
    club.m_classes = {{"Damer", {}}, {"Herrar", {}}, {"Juniorer", {}}};
    for (int p = 0; p < players; ++p) {
        const std::string name = "Spelare " + std::to_string(p);
        club.m_classes[static_cast<std::size_t>(p % 3)].m_players.push_back(name);
        if (p % 10 == 0)
            club.m_teams.push_back({"Lag " + std::to_string(p / 10), {}});
        club.m_teams.back().m_players.push_back(name);
    }
    CSeriesRules rules;
    rules.m_team = 4;
    const double plain = BestMilliseconds([&] {
        CCountingOutput out;
        WriteHtmlPage(out, CStandingsView(tournament, rules));
    });
    const double grouped = BestMilliseconds([&] {
        CCountingOutput out;
        const CGroupStandings groups(tournament, club, rules);
        WriteHtmlPage(out, CStandingsView(tournament, rules), &groups);
    });
    CTournamentDoc doc;
    doc.Recover(tournament);
    // A rename: player 0 to a new name; a merge: player 1 into player 2 after player 2's
    // results are gone from every round but the last (so no round has both).
    const PlayerId renamed = doc.AddPlayer("Ny spelare");
    const double rename = BestMilliseconds([&] {
        const CPlayerRename step = doc.RenamePlayer(0, renamed);
        doc.ApplyRename(step, true);
    });
    CTournament split = tournament;
    for (std::size_t k = 0; k + 1 < split.m_rounds.size(); ++k)
        std::erase_if(split.m_rounds[k].m_results, [](const CResult& r) { return r.m_player == 2; });
    std::erase_if(split.m_rounds.back().m_results, [](const CResult& r) { return r.m_player == 1; });
    doc.Recover(split);
    const double merge = BestMilliseconds([&] {
        if (!RoundsWithBoth(doc.Tournament(), 1, 2).empty())
            std::abort();
        const CPlayerRename step = doc.RenamePlayer(1, 2);
        doc.ApplyRename(step, true);
    });
    std::printf("%d x %d: page %.0f ms, with 3 classes and %zu teams %.0f ms (%.2fx); rename %.1f ms, merge %.1f ms "
                "(each with its undo)\n",
                rounds, players, plain, club.m_teams.size(), grouped, grouped / plain, rename, merge);
    return 0;
}

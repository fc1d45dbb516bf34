// SPDX-License-Identifier: GPL-3.0-or-later
// Classes and teams: each class's table, the team table, and what the outputs show of them.
#include "StringOutput.h"
#include "model/ClubPlayers.h"
#include "report/GroupStandings.h"
#include "report/StandingsView.h"

#include <gtest/gtest.h>

namespace {

CClubPlayers Players(std::string_view text)
{
    CClubPlayers players;
    CRulesRefusal refusal;
    EXPECT_TRUE(ParseClubPlayers(text, players, refusal)) << refusal.m_message;
    return players;
}

CSeriesRules Rules(std::string_view text)
{
    CSeriesRules rules;
    CRulesRefusal refusal;
    EXPECT_TRUE(ParseSeriesRules(text, rules, refusal)) << refusal.m_message;
    return rules;
}

std::string Page(const CStandingsView& view, const CGroupStandings* groups)
{
    CStringOutput out;
    WriteHtmlPage(out, view, groups);
    return out.m_text;
}

// Three rounds; Damer play in R1 and R3 only, so R2 is empty for them. The round best of R1
// (12, Bo's) is no Dam's: in the class, Anna's 9 is the round's best.
const std::string kCup = "Cup\n\nR1\nAnna 9\nBo 12\nCilla 9\nDan 4\n\nR2\nBo 5\nDan 5\nEmil 7\n\nR3\nCilla 6\nAnna 6\n"
                         "Dan 1\nEva 3\n";
const std::string kClasses = "[klass Damer]\nAnna\nCilla\nEva\n[klass Herrar]\nBo\nDan\nEmil\n";

} // namespace

TEST(ClassStandings, ThoseOfTheTournamentWithTheClassAlone)
{
    // The tournaments the classes would be on their own, written out: every round kept.
    const std::string damer = "Cup\n\nR1\nAnna 9\nCilla 9\n\nR2\n\nR3\nCilla 6\nAnna 6\nEva 3\n";
    const std::string herrar = "Cup\n\nR1\nBo 12\nDan 4\n\nR2\nBo 5\nDan 5\nEmil 7\n\nR3\nDan 1\n";
    const struct { std::string rules; std::size_t rounds; std::string damerJson; } cases[] = {
        {"", SIZE_MAX,
         "{\"title\": \"Cup\", \"rounds\": [\"R1\", \"R2\", \"R3\"], \"standings\": [\n"
         "  {\"place\": 1, \"name\": \"Anna\", \"total\": 15, \"points\": [9, null, 6], \"played\": 2},\n"
         "  {\"place\": 1, \"name\": \"Cilla\", \"total\": 15, \"points\": [9, null, 6], \"played\": 2},\n"
         "  {\"place\": 3, \"name\": \"Eva\", \"total\": 3, \"points\": [null, null, 3], \"played\": 1}\n]}\n"},
        {"b\xC3\xA4sta = 1\ns\xC3\xA4rskiljning = senaste, segrar", SIZE_MAX, ""},
        {"minst = 2\nomg\xC3\xA5ngar = 3\ns\xC3\xA4rskiljning = h\xC3\xB6gsta, struket", SIZE_MAX, ""},
        {"b\xC3\xA4sta = 2\nminst = 1\nomg\xC3\xA5ngar = 5\ns\xC3\xA4rskiljning = segrar", 2, ""},
        {"lag = 1\ntotalt = nej", 1, ""},
        {"f\xC3\xB6r\xC3\xA4ndring = ja\ndiagram = ja\nb\xC3\xA4sta = 2", SIZE_MAX, ""},
    };
    const CTournament t = Parsed(kCup), alone[] = {Parsed(damer), Parsed(herrar)};
    for (const auto& c : cases) {
        const CSeriesRules rules = Rules(c.rules);
        const CGroupStandings groups(t, Players(kClasses), rules, c.rounds);
        ASSERT_EQ(groups.ClassCount(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            const CStandingsView own(alone[i], rules, c.rounds);
            EXPECT_EQ(StandingsJson(groups.ClassView(i)), StandingsJson(own)) << c.rules << " " << i;
            EXPECT_EQ(Page(groups.ClassView(i), nullptr), Page(own, nullptr)) << c.rules << " " << i;
            // On the whole page too: the class's table with its column, rules, notes and chart.
            const std::string alonePage = Page(own, nullptr);
            const std::size_t from = alonePage.find("<table"), to = alonePage.rfind("</body>");
            EXPECT_NE(Page(CStandingsView(t, rules, c.rounds), &groups).find(alonePage.substr(from, to - from)),
                      std::string::npos)
                << c.rules << " " << i;
        }
        if (!c.damerJson.empty()) {
            EXPECT_EQ(StandingsJson(groups.ClassView(0)), c.damerJson);
        }
    }
}

TEST(TeamTable, SumsOfTheBestAndTies)
{
    // "place team total [points per round] counted members"; teams in the file's order.
    const struct { std::string file, teams; int best; std::string table; } cases[] = {
        // The 2 best of each round; a member without a result adds nothing, one result counts alone.
        {"C\n\nR1\nA1 5\nA2 3\nA3 4\nB1 9\n\nR2\nA2 2\nB1 1\nB2 6\n", "[lag A]\nA1\nA2\nA3\n[lag B]\nB1\nB2\n", 2,
         "1 B 16 [9 7] B1,B2; 2 A 11 [9 2] A1,A2,A3"},
        // Equal totals: the best single result decides; equal in both, the place is shared.
        {"C\n\nR1\nA1 5\nB1 6\nC1 5\nD1 1\n\nR2\nA1 5\nB1 4\nC1 5\nD1 1\n",
         "[lag A]\nA1\n[lag B]\nB1\n[lag C]\nC1\n[lag D]\nD1\n[lag E]\nE1\n", 3,
         "1 B 10 [6 4] B1; 2 A 10 [5 5] A1; 2 C 10 [5 5] C1; 4 D 2 [1 1] D1; 5 E 0 [- -] "},
        // Among equal points the one entered first counts; a 0 is a result.
        {"C\n\nR1\nA2 3\nA1 3\nA3 0\n", "[lag A]\nA1\nA2\nA3\n", 1, "1 A 3 [3] A2"},
        {"C\n\nR1\nA3 0\n", "[lag A]\nA3\n[lag B]\nB1\n", 1, "1 A 0 [0] A3; 1 B 0 [-] "},
    };
    for (const auto& c : cases) {
        const CTournament t = Parsed(c.file);
        const CClubPlayers players = Players(c.teams);
        std::string out;
        for (const CTeamLine& line : TeamTable(CCounting(t, CSeriesRules()), GroupsOf(players, t), players.m_teams.size(), c.best, SIZE_MAX)) {
            out.append(out.empty() ? "" : "; ").append(std::to_string(line.m_place)).append(" ");
            out.append(players.m_teams[line.m_team].m_name).append(" ").append(std::to_string(line.m_total)).append(" [");
            for (std::size_t k = 0; k < line.m_points.size(); ++k)
                out.append(k > 0 ? " " : "").append(line.m_points[k] ? std::to_string(*line.m_points[k]) : "-");
            out.append("] ");
            for (std::size_t m = 0; m < line.m_counted.size(); ++m)
                out.append(m > 0 ? "," : "").append(t.PlayerName(line.m_counted[m]));
        }
        EXPECT_EQ(out, c.table) << c.file;
    }
}

TEST(GroupPage, ClassesThenTeams)
{
    const CTournament t = Parsed("Cup & co\n\nR 1\nAnna 4\nBo <b> 6\n\nR2\nAnna 2\n");
    const CSeriesRules rules = Rules("lag = 1\ntotalt = nej");
    const CStandingsView view(t, rules);
    const CGroupStandings groups(t, Players("[klass D&H \xE2\x99\xA0]\nAnna\nBo <b>\n[lag <Norr>]\nAnna\nBo <b>\n"), rules);
    const std::string page = Page(view, &groups);
    const std::string heading = "<h3>Cup &amp; co</h3>\r\n";
    ASSERT_NE(page.find(heading), std::string::npos);
    EXPECT_EQ(page.substr(page.find(heading) + heading.size()),
              "<h4>D&amp;H &#9824;</h4>\r\n<table>\r\n<tr>\r\n<th align=\"center\"><b>Placering</b></th>\r\n"
              "<th><b>Namn</b></th>\r\n<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>\r\n"
              "<th align=\"center\"><b>R<br>1</b></th>\r\n<th align=\"center\"><b>R2</b></th>\r\n"
              "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>\r\n</tr>\r\n"
              "<tr>\r\n<td align=\"center\">1</td>\r\n<td>Anna</td>\r\n<td align=\"center\">6</td>\r\n"
              "<td align=\"center\">4</td>\r\n<td align=\"center\"><b>2</b></td>\r\n<td align=\"center\">2</td>\r\n"
              "</tr>\r\n<tr>\r\n<td align=\"center\">&nbsp;</td>\r\n<td>Bo &lt;b&gt;</td>\r\n<td align=\"center\">6</td>\r\n"
              "<td align=\"center\"><b>6</b></td>\r\n<td align=\"center\">&nbsp;</td>\r\n<td align=\"center\">1</td>\r\n"
              "</tr>\r\n</table>\r\n"
              "<h4>Lag</h4>\r\n<table class=\"lag\">\r\n<tr>\r\n<th align=\"center\"><b>Placering</b></th>\r\n"
              "<th><b>Lag</b></th>\r\n<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>\r\n"
              "<th align=\"center\"><b>R<br>1</b></th>\r\n<th align=\"center\"><b>R2</b></th>\r\n"
              "<th><b>R\xE4knade</b></th>\r\n</tr>\r\n"
              "<tr>\r\n<td align=\"center\">1</td>\r\n<td>&lt;Norr&gt;</td>\r\n<td align=\"center\">8</td>\r\n"
              "<td align=\"center\">6</td>\r\n<td align=\"center\">2</td>\r\n<td>Anna, Bo &lt;b&gt;</td>\r\n</tr>\r\n"
              "</table>\r\n<p class=\"lagregel\">Det b\xE4sta resultatet i varje lag och omg\xE5ng r\xE4knas.</p>\r\n"
              "</body>\r\n</html>\r\n");
    // A name's markup goes as text whatever the page's encoding: a UTF-8 file gives a UTF-8 page.
    const CTournament utf8 = Parsed("Cup \xC3\xA5\n\nR1\nAnna 4\n");
    const CGroupStandings named(utf8, Players("[klass <i>D&H</i>]\nAnna\n[lag <Norr> & co]\nAnna\n"), rules);
    const std::string utf8Page = Page(CStandingsView(utf8, rules), &named);
    EXPECT_NE(utf8Page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(utf8Page.find("<h4>&lt;i&gt;D&amp;H&lt;/i&gt;</h4>"), std::string::npos);
    EXPECT_NE(utf8Page.find("<td>&lt;Norr&gt; &amp; co</td>"), std::string::npos);
    const CGroupStandings two(t, Players("[lag N]\nAnna\n"), Rules("lag = 2"));
    EXPECT_NE(Page(view, &two).find("<p class=\"lagregel\">De 2 b\xE4sta resultaten i varje lag och omg\xE5ng r\xE4knas.</p>"),
              std::string::npos);
    // A players file that sets no class and no team, or rules without "lag", change nothing.
    const CGroupStandings known(t, Players("[spelare]\nAnna\n"), Rules(""));
    const CStandingsView plain(t, Rules(""));
    EXPECT_EQ(Page(plain, &known), Page(plain, nullptr));
    EXPECT_EQ(StandingsCsv(plain, ',', &known), StandingsCsv(plain));
    EXPECT_EQ(StandingsJson(plain, &known), StandingsJson(plain));
    const CGroupStandings noTeams(t, Players("[lag A]\nAnna\n"), Rules(""));
    EXPECT_EQ(noTeams.Teams().size(), 0u);
}

TEST(GroupPage, CsvAndJsonFields)
{
    const CTournament t = Parsed("Cup\n\nR1\nAnna 4\nBo 6\nCid 1\n");
    const CGroupStandings groups(t, Players("[klass \"A\", B]\nAnna\n[lag L]\nBo\nAnna\n"), Rules("lag = 1"));
    const CStandingsView view(t);
    EXPECT_EQ(StandingsCsv(view, ',', &groups), "Placering,Namn,Summa,R1,Antal,Klass,Lag\r\n1,Bo,6,6,1,,L\r\n"
                                           "2,Anna,4,4,1,\"\"\"A\"\", B\",L\r\n3,Cid,1,1,1,,\r\n");
    EXPECT_EQ(StandingsJson(view, &groups),
              "{\"title\": \"Cup\", \"rounds\": [\"R1\"], \"standings\": [\n"
              "  {\"place\": 1, \"name\": \"Bo\", \"total\": 6, \"points\": [6], \"played\": 1, \"class\": null, \"team\": \"L\"},\n"
              "  {\"place\": 2, \"name\": \"Anna\", \"total\": 4, \"points\": [4], \"played\": 1, \"class\": \"\\\"A\\\", B\", \"team\": \"L\"},\n"
              "  {\"place\": 3, \"name\": \"Cid\", \"total\": 1, \"points\": [1], \"played\": 1, \"class\": null, \"team\": null}\n"
              "], \"classes\": [\n"
              "  {\"name\": \"\\\"A\\\", B\", \"standings\": [\n"
              "    {\"place\": 1, \"name\": \"Anna\", \"total\": 4, \"points\": [4], \"played\": 1, \"class\": \"\\\"A\\\", B\", \"team\": \"L\"}\n"
              "  ]}\n"
              "], \"teams\": [\n"
              "  {\"place\": 1, \"name\": \"L\", \"total\": 6, \"points\": [6], \"members\": [\"Bo\"]}\n"
              "]}\n");
}

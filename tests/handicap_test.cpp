// SPDX-License-Identifier: GPL-3.0-or-later
// Handicaps: the published formulas round by round, the windows, start values and the rules' keys.
#include "RulesText.h"
#include "StringOutput.h"
#include "model/ClubPlayers.h"
#include "report/GroupStandings.h"
#include "report/Handicap.h"
#include "report/StandingsView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// Player A's scores round by round (-1: no result), beside B's 100 in every round.
std::string Rounds(std::initializer_list<int> scores)
{
    std::string text = "Cup\n";
    int k = 0;
    for (const int score : scores) {
        text += "\nR" + std::to_string(++k) + "\n" + (score < 0 ? "" : "A " + std::to_string(score) + "\n") + "B 100\n";
    }
    return text;
}

// A's handicap in each round ("-" none yet, "." no result), then "> " and the next round's.
std::string History(const std::string& file, const std::string& rules, bool lowerBetter, const std::string& starts)
{
    const CTournament t = Parsed(file);
    CClubPlayers club;
    CRulesRefusal refusal;
    EXPECT_TRUE(ParseClubPlayers(starts, club, refusal)) << refusal.m_message;
    const CHandicapTable table(t, Rules(rules).m_handicap, lowerBetter, StartValuesOf(club, t));
    PlayerId a = 0;
    EXPECT_TRUE(t.m_players.Find("A", a));
    std::string out;
    for (std::size_t k = 0; k < t.m_rounds.size(); ++k) {
        const auto& results = t.m_rounds[k].m_results;
        const auto at = std::find_if(results.begin(), results.end(), [a](const CResult& r) { return r.m_player == a; });
        const auto i = static_cast<std::size_t>(at - results.begin());
        out += at == results.end()                                ? "."
               : table.NotYet(k, i) ? "-"
                                                                  : std::to_string(table.Value(k, i));
        out += " ";
    }
    const CHandicap next = table.Explain(a, table.RoundCount()).m_handicap;
    return out + "> " + (next.m_source == CHandicap::NotYet ? "-" : std::to_string(next.m_value));
}

std::string Handicap(int base, int percent, const std::string& more = {})
{
    return "handikapp = ja\nhandikappbas = " + std::to_string(base) + "\nhandikappprocent = " + std::to_string(percent) +
           "\n" + more;
}

} // namespace

TEST(Handicap, PublishedFormulasRoundByRound)
{
    const std::string nearest = "handikappavrundning = n\xC3\xA4rmaste\n", negative = "negativhandikapp = ja\n";
    const std::string best = "handikappsnitt = b\xC3\xA4sta 4 av 5\n";
    const struct { std::string file, rules; std::string history; bool strokes = false; std::string starts = {}; } cases[] = {
        // Basis 210 at 90 %: an average of 170 gives 36; a gap changes nothing, no round before gives none.
        {Rounds({170, -1, 150, 190}), Handicap(210, 90), "- . 36 45 > 36"},
        {Rounds({170}), Handicap(220, 80), "- > 40"},
        // 40.5: the fraction dropped, or the nearest (halves away from 0, also below 0).
        {Rounds({165}), Handicap(210, 90), "- > 40"},
        {Rounds({165}), Handicap(210, 90, nearest), "- > 41"},
        {Rounds({215}), Handicap(210, 90, negative), "- > -4"},
        {Rounds({215}), Handicap(210, 90, negative + nearest), "- > -5"},
        // Below 0: floored, or allowed; a cap.
        {Rounds({220}), Handicap(210, 90), "- > 0"},
        {Rounds({220}), Handicap(210, 90, negative), "- > -9"},
        {Rounds({100}), Handicap(220, 80, "handikapptak = 50\n"), "- > 50"},
        // The average's fraction dropped first: 170.5 counts as 170.
        {Rounds({170, 171}), Handicap(210, 90), "- 36 > 35"},
        {Rounds({170, 171}), Handicap(210, 90, "snittavrundning = ned\xC3\xA5t\n"), "- 36 > 36"},
        // Strokes against a par: 80 % of the last 5, 85 % of the last 3, the best (lowest) 4 of 5.
        {Rounds({60, 62, -1, 58, 70, 61, 59}), Handicap(54, 80, "handikappsnitt = senaste 5\n"),
         "- 4 . 5 4 6 6 > 6", true},
        {Rounds({60, 62, -1, 58, 70, 61, 59}), Handicap(54, 85, "handikappsnitt = senaste 3\n"),
         "- 5 . 5 5 7 7 > 7", true},
        {Rounds({60, 62, 58, 70, 61, 59}), Handicap(54, 80, best), "- 4 5 4 6 5 > 4", true},
        // Points: the best (highest) 4 of the last 5.
        {Rounds({150, 200, 180, 120, 170, 190}), Handicap(210, 90, best), "- 54 31 30 42 31 > 22"},
        // Three rounds before the own average: until then the start value, or none.
        {Rounds({160, 180, -1, 200, 150}), Handicap(210, 90, "handikappminst = 3\n"), "36 36 . 36 27 > 33", false,
         "[snitt 170]\nA\n"},
        {Rounds({160, 180, -1, 200, 150}), Handicap(210, 90, "handikappminst = 3\n"), "20 20 . 20 27 > 33", false,
         "[handikapp 20]\nA\n"},
        {Rounds({160, 180, -1, 200, 150}), Handicap(210, 90, "handikappminst = 3\n"), "- - . - 27 > 33"},
        // Joining late, with and without a start value.
        {Rounds({-1, -1, 170, 180}), Handicap(210, 90), ". . - 36 > 31"},
        {Rounds({-1, -1, 170, 180}), Handicap(210, 90), ". . 54 36 > 31", false, "[klass X]\nA\n[snitt 0150]\nA\n"},
        // The first round corrected: every later handicap follows.
        {Rounds({130, -1, 150, 190}), Handicap(210, 90), "- . 72 63 > 48"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(History(c.file, c.rules, c.strokes, c.starts), c.history) << c.rules << c.file;
}

// The explanation names the cap or the floor only where it changed the handicap.
TEST(Handicap, ExplainedWhereTheCapOrTheFloorBit)
{
    const std::string minus = " \xE2\x88\x92 ";
    const struct { int score; std::string rules, text; } cases[] = {
        {100, Handicap(220, 80, "handikapptak = 50\n"), "R1: 100; snitt 100; 80 % av (220" + minus + "100) = 96, taket \xC3\xA4r 50"},
        {170, Handicap(220, 80, "handikapptak = 40\n"), "R1: 170; snitt 170; 80 % av (220" + minus + "170) = 40"},
        {220, Handicap(210, 90), "R1: 220; snitt 220; 90 % av (210" + minus + "220) = \xE2\x88\x92" "9, under 0 blir 0"},
        {210, Handicap(210, 90), "R1: 210; snitt 210; 90 % av (210" + minus + "210) = 0"},
    };
    for (const auto& c : cases) {
        const CTournament t = Parsed(Rounds({c.score}));
        const CSeriesRules rules = Rules(c.rules);
        const CHandicapTable table(t, rules.m_handicap, false, {});
        PlayerId a = 0;
        ASSERT_TRUE(t.m_players.Find("A", a));
        EXPECT_EQ(HandicapText(table.Explain(a, table.RoundCount()), rules.m_handicap, false, t), c.text) << c.rules;
    }
}

// The running window against the scores sorted afresh each round, in both directions.
TEST(Handicap, WindowAgainstARecount)
{
    std::mt19937 random(42);
    for (const std::string window : {"senaste 4", "b\xC3\xA4sta 3 av 5", "b\xC3\xA4sta 1 av 2", "b\xC3\xA4sta 6 av 6", "b\xC3\xA4sta 4 av 5",
                                     "b\xC3\xA4sta 2 av 8", "b\xC3\xA4sta 2 av 9", "b\xC3\xA4sta 7 av 12", "alla"}) {
        for (const bool lowerBetter : {false, true}) {
            const CHandicapRules rules = Rules(Handicap(200, 100, "handikappsnitt = " + window + "\n")).m_handicap;
            CHandicapWindow running(rules, lowerBetter, true);
            std::vector<int> scores;
            for (int round = 0; round < 60; ++round) {
                scores.push_back(static_cast<int>(random() % 7));
                running.Add(static_cast<std::size_t>(round), scores.back());
                const std::size_t n = rules.m_window == CHandicapRules::Window::All
                                          ? scores.size()
                                          : std::min(scores.size(), static_cast<std::size_t>(rules.m_windowRounds));
                std::vector<int> recent(scores.end() - static_cast<std::ptrdiff_t>(n), scores.end());
                std::sort(recent.begin(), recent.end());
                if (!lowerBetter)
                    std::reverse(recent.begin(), recent.end());
                if (rules.m_window == CHandicapRules::Window::Best)
                    recent.resize(std::min(recent.size(), static_cast<std::size_t>(rules.m_windowBest)));
                long long sum = 0;
                for (const int s : recent)
                    sum += s;
                ASSERT_EQ(running.Sum(), sum) << window << lowerBetter << round;
                ASSERT_EQ(running.Count(), static_cast<int>(recent.size())) << window << round;
                long long usedSum = 0;
                for (const auto& used : running.Used())
                    usedSum += used.second;
                ASSERT_EQ(usedSum, sum) << window << round;
            }
        }
    }
}

TEST(Handicap, RulesAndStartValuesRefused)
{
    const std::string base = "handikapp = ja\nhandikappbas = 210\n";
    struct CRefused { std::string text; int lineNo; std::string message; };
    const auto check = [](const std::vector<CRefused>& cases, auto parse, auto value) {
        for (const CRefused& c : cases) {
            CRulesRefusal refusal;
            EXPECT_FALSE(parse(c.text, value, refusal)) << c.text;
            EXPECT_EQ(std::to_string(refusal.m_lineNo) + " " + refusal.m_message, std::to_string(c.lineNo) + " " + c.message)
                << c.text;
        }
    };
    check({
        {"handikappbas = 210", 1, "Regeln g\xE4ller bara med handikapp = ja"},
        {"handikapp = nej\nnegativhandikapp = ja\n", 2, "Regeln g\xE4ller bara med handikapp = ja"},
        {"# x\nhandikapp = ja\nhandikappprocent = 80", 2, "handikapp = ja kr\xE4ver handikappbas"},
        {"handikapp = ja\nhandikappbas = 0", 2, "Basen ska vara ett heltal fr\xE5n 1 till 100000"},
        {"handikapp = ja\nhandikappbas = 100001", 2, "Basen ska vara ett heltal fr\xE5n 1 till 100000"},
        {base + "handikappprocent = 101", 3, "Procenten ska vara ett heltal fr\xE5n 1 till 100"},
        {base + "handikappprocent = 0", 3, "Procenten ska vara ett heltal fr\xE5n 1 till 100"},
        {base + "handikappsnitt = b\xC3\xA4sta 6 av 5", 3, "K f\xE5r inte vara st\xF6rre \xE4n N i b\xE4sta K av N"},
        {base + "handikappsnitt = senaste", 3, "V\xE4lj alla, senaste N eller b\xE4sta K av N"},
        {base + "handikappsnitt = senaste 0", 3, "V\xE4rdet ska vara ett heltal fr\xE5n 1 till 2147483647"},
        {base + "handikappavrundning = upp\xC3\xA5t", 3, "V\xE4rdet ska vara ned\xE5t eller n\xE4rmaste"},
        {base + "snittavrundning = n\xC3\xA4rmaste", 3, "V\xE4rdet ska vara ned\xE5t eller ingen"},
        {base + "handikapptak = 10\nhandikapptak = 20", 4, "Regeln st\xE5r redan i filen"},
        {base + "bruttotabell = 1", 3, "V\xE4rdet ska vara ja eller nej"},
    }, ParseSeriesRules, CSeriesRules());
    check({
        {"[snitt 17,5]\nA", 1, "Startv\xE4rdet ska vara ett heltal fr\xE5n 0 till 1000000"},
        {"[handikapp -3]\nA", 1, "Startv\xE4rdet ska vara ett heltal fr\xE5n 0 till 1000000"},
        {"[snitt 1000001]\nA", 1, "Startv\xE4rdet ska vara ett heltal fr\xE5n 0 till 1000000"},
        {"[snitt 170]\nA\n[handikapp 20]\nA", 4, "Spelaren har redan ett startv\xE4rde"},
        {"[snitt 170]\nA\n[snitt 160]\nA", 4, "Spelaren har redan ett startv\xE4rde"},
        {"[snitt 170]\n[snitt 0170]", 2, "Avsnittet st\xE5r redan i filen"},
    }, ParseClubPlayers, CClubPlayers());
    // Every key written as read, after the file's own lines; a rename carries the start value.
    const std::string all = base + "handikappprocent = 90\nhandikappsnitt = b\xC3\xA4sta 4 av 5\nhandikappminst = 3\n"
                                   "handikapptak = 40\nnegativhandikapp = ja\nhandikappavrundning = n\xC3\xA4rmaste\n"
                                   "snittavrundning = ned\xC3\xA5t\nbruttotabell = ja\n";
    const CSeriesRules read = Rules(all);
    EXPECT_EQ(SeriesRulesText(read), all);
    EXPECT_EQ(SeriesRulesText(read, "# liga\nhandikapptak = 30\nminst = 2\n"), "# liga\nhandikapptak = 40\n" +
                                                                                    all.substr(0, all.find("handikapptak")) +
                                                                                    all.substr(all.find("negativ")));
    CClubPlayers players;
    CRulesRefusal refusal;
    ASSERT_TRUE(ParseClubPlayers("[snitt 170]\nAke\n[handikapp 5]\nBo\n", players, refusal));
    RenameClubPlayer(players, "Ake", "Cid", TextEncoding::Utf8);
    RenameClubPlayer(players, "Bo", "Cid", TextEncoding::Utf8);
    EXPECT_EQ(ClubPlayersText(players), "[snitt 170]\nCid\n");
}

namespace {

// Each line as "name total: points per round" ('-' none), lines joined by " | ".
std::string Lines(const CStandingsView& view)
{
    std::string out;
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        out += (i > 0 ? " | " : "") + std::string(view.Name(view.Line(i))) + " " + std::to_string(view.Line(i).m_total) + ":";
        for (std::size_t k = 0; k < view.RoundCount(); ++k)
            out += " " + (view.Points(i, k) ? std::to_string(*view.Points(i, k)) : std::string("-"));
    }
    return out;
}

} // namespace

// The net score is what every table counts, whatever the way of counting: the overall, a class
// (its own places from the same net scores) and the teams.
TEST(Handicap, CountedUnderEveryWay)
{
    // Points: R2's handicaps 200 - 150 = 50 and 200 - 180 = 20, C's start handicap 5; R1 has none yet.
    const std::string points = "Cup\n\nR1\nA 150\nB 180\n\nR2\nA 160\nB 170\nC 190\n";
    // Strokes against par 50: 60 - 50 = 10 and 55 - 50 = 5 off R2; C's start average 54 gives 4.
    const std::string strokes = "Cup\n\nR1\nA 60\nB 55\n\nR2\nA 58\nB 60\nC 52\n";
    const std::string groups = "[klass X]\nA\nC\n[klass Y]\nB\n[lag T1]\nA\nB\n[lag T2]\nC\n";
    const std::string pointsRules = Handicap(200, 100, "lag = 1\n"), strokesRules = Handicap(50, 100, "lag = 1\n");
    const struct { std::string file, rules, starts, overall, classX, teams; } cases[] = {
        {points, pointsRules, "[handikapp 5]\nC\n", "B 370: 180 190 | A 360: 150 210 | C 195: - 195",
         "A 360: 150 210 | C 195: - 195", "T1 390, T2 195"},
        {points, "r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = 10 6 4\n" + pointsRules, "[handikapp 5]\nC\n",
         "A 16: 6 10 | B 14: 10 4 | C 6: - 6", "A 20: 10 10 | C 6: - 6", "T1 20, T2 6"},
        {strokes, "r\xC3\xA4kning = slag\n" + strokesRules, "[snitt 54]\nC\n", "A 108: 60 48 | B 110: 55 55 | C 48: - 48",
         "A 108: 60 48 | C 48: - 48", "T1 103, T2 48"},
        {strokes, "r\xC3\xA4kning = plats\nl\xC3\xA4gst vinner = ja\n" + strokesRules, "[snitt 54]\nC\n",
         "A 3: 2 1 | B 4: 1 3 | C 5: 4 1", "A 2: 1 1 | C 4: 3 1", "T1 2, T2 1"},
    };
    for (const auto& c : cases) {
        const CTournament t = Parsed(c.file);
        CClubPlayers club;
        CRulesRefusal refusal;
        ASSERT_TRUE(ParseClubPlayers(groups + c.starts, club, refusal)) << refusal.m_message;
        const CSeriesRules rules = Rules(c.rules);
        const CStandingsView view(t, rules, SIZE_MAX, &club);
        EXPECT_EQ(Lines(view), c.overall) << c.rules;
        const CGroupStandings grouped(t, club, rules, SIZE_MAX, view.SharedCounting());
        EXPECT_EQ(Lines(grouped.ClassView(0)), c.classX) << c.rules;
        std::string teams;
        for (const CTeamLine& line : grouped.Teams())
            teams += (teams.empty() ? "" : ", ") + grouped.TeamName(line.m_team) + " " + std::to_string(line.m_total);
        EXPECT_EQ(teams, c.teams) << c.rules;
    }
}

// The page's cells and columns, and the handicap in CSV and JSON, for a small bowling league.
TEST(Handicap, PageCsvJson)
{
    const CTournament t = Parsed("Liga\n\nR1\nAnna 151\nBo 180\n\nR2\nAnna 170\nBo 200\nDan 190\n");
    CClubPlayers club;
    CRulesRefusal refusal;
    ASSERT_TRUE(ParseClubPlayers("[snitt 160]\nAnna\n", club, refusal));
    const CSeriesRules rules = Rules(Handicap(210, 90, "bruttotabell = ja\n"));
    const CStandingsView view(t, rules, SIZE_MAX, &club);
    const std::string page = HtmlPageText(view);
    const std::string why = "R1: 151, R2: 170; snitt 160,5; 90 % av (210 &#8722; 160,5) = 44,55 &#8594; 44";
    // Anna: 151 + 90 % of (210 - 160) in R1, 170 + 90 % of (210 - 151) in R2; Bo none in R1.
    for (const std::string& part : std::initializer_list<std::string>{
             "<th align=\"center\"><b>Hcp</b></th>\r\n<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>",
             "<td>Anna</td>\r\n<td align=\"center\" title=\"" + why + "\">44<span class=\"dold\">: " + why +
                 "</span></td>\r\n<td align=\"center\">419</td>\r\n<td align=\"center\"><b>196</b> <small>= 151 + "
                 "45</small></td>\r\n<td align=\"center\">223 <small>= 170 + 53</small></td>",
             std::string("<td align=\"center\">180&dagger;</td>"),
             std::string("<p class=\"noter\">&dagger; ingen handikapp \xE4nnu</p>"),
             std::string("<p class=\"regler\">Handikapp: 90 % av (210 &#8722; snittet av alla spelade omg\xE5ngar)"),
             // The second table: the scores played, Bo first.
             std::string("<h4>Utan handikapp</h4>\r\n<table>\r\n<tr>\r\n<th align=\"center\"><b>Placering</b></th>\r\n<th><b>Namn</b></th>\r\n<th "
                         "align=\"center\"><b>Summa<br>Po\xE4ng</b></th>"),
             std::string("<td>Bo</td>\r\n<td align=\"center\">380</td>"),
         })
        EXPECT_NE(page.find(part), std::string::npos) << part << "\n" << page;
    // Strokes: the handicap taken off, and a negative one added.
    const CTournament golf = Parsed("Golf\n\nR1\nA 60\nB 48\n\nR2\nA 58\nB 49\n");
    const std::string golfPage =
        HtmlPageText(CStandingsView(golf, Rules("r\xC3\xA4kning = slag\n" + Handicap(50, 100, "negativhandikapp = ja\n"))));
    EXPECT_NE(golfPage.find("<b>48</b> <small>= 58 &minus; 10</small>"), std::string::npos) << golfPage;
    EXPECT_NE(golfPage.find(">51 <small>= 49 + 2</small>"), std::string::npos) << golfPage;

    EXPECT_EQ(StandingsCsv(view), "Placering,Namn,Hcp,Summa,R1,R1 (resultat),R1 (hcp),R2,R2 (resultat),R2 (hcp),Antal,Alla,"
                                  "Struket\r\n1,Anna,44,419,196,151,45,223,170,53,2,419,\r\n"
                                  "2,Bo,18,407,180,180,,227,200,27,2,407,\r\n3,Dan,18,190,,,,190,190,,1,190,\r\n");
    const std::string json = StandingsJson(view);
    for (const std::string part : {"\"gross\": [151, 170], \"handicap\": [45, 53], \"played\": 2, \"next_handicap\": 44",
                                   "\"gross\": [null, 190], \"handicap\": [null, null], \"played\": 1, \"next_handicap\": 18",
                                   "\"handicap\": {\"base\": 210, \"percent\": 90, \"formula\": \"Handikapp: 90 % av (210 \u2212 "})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    // Numbers of every width in a cell, from start handicaps.
    const CTournament wide = Parsed("Bredd\n\nR1\nA 0\nB 9\nC 99\nD 100\nE 1000\n");
    CClubPlayers starts;
    ASSERT_TRUE(ParseClubPlayers(
        "[handikapp 7]\nA\n[handikapp 1]\nB\n[handikapp 10]\nC\n[handikapp 999]\nD\n[handikapp 12345]\nE\n", starts,
        refusal));
    const std::string widePage = HtmlPageText(CStandingsView(wide, Rules(Handicap(210, 90, "")), SIZE_MAX, &starts));
    for (const char* cell : {">7 <small>= 0 + 7</small>", ">10 <small>= 9 + 1</small>", ">109 <small>= 99 + 10</small>",
                             ">1099 <small>= 100 + 999</small>", "13345</b> <small>= 1000 + 12345</small>"})
        EXPECT_NE(widePage.find(cell), std::string::npos) << cell << "\n" << widePage;
    // Without the keys: no trace of a handicap anywhere.
    const CStandingsView plain(t, CSeriesRules(), SIZE_MAX, &club);
    EXPECT_EQ(HtmlPageText(plain), HtmlPageText(CStandingsView(t)));
    EXPECT_EQ(HtmlPageText(plain).find("Hcp"), std::string::npos);
}

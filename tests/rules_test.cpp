// SPDX-License-Identifier: GPL-3.0-or-later
// Series rules: the rules file's lines, the ranking they make, and every output of it.
#include "RulesText.h"
#include "StringOutput.h"
#include "model/SeriesRules.h"
#include "report/Counting.h"
#include "report/StandingsView.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The ranking a line a player: "place name total", the 1-based rounds that do not count after
// '/', the criterion that put the player below the one above after '<'; "-" for no place.
std::string Ranking(const std::string& file, const std::string& rules, std::size_t rounds = SIZE_MAX)
{
    const CTournament t = Parsed(file);
    const CStandingsView view(t, Rules(rules), rounds);
    std::string out;
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const CStandingsLine line = view.Line(i);
        out.append(i > 0 ? ", " : "").append(line.m_placed ? std::to_string(line.m_place) : "-").append(" ");
        out.append(view.Name(line)).append(" ").append(std::to_string(line.m_total));
        for (std::size_t k = 0; k < view.RoundCount(); ++k)
            out.append(view.Dropped(i, k) ? "/" : "").append(view.Dropped(i, k) ? std::to_string(k + 1) : "");
        out.append(line.m_decidedBy ? "<" : "").append(line.m_decidedBy ? TiebreakWord(*line.m_decidedBy) : "");
    }
    return out;
}

// Each round as the counting makes it: "name entered/place/points" for each result, a '*' on
// a round win; rounds parted by " | ".
std::string Counted(const std::string& results, const std::string& rules)
{
    const CTournament t = Parsed("Cup\n\nR1\n" + results);
    const CCounting counting(t, Rules(rules));
    std::string out;
    for (std::size_t k = 0; k < t.m_rounds.size(); ++k) {
        out += k > 0 ? " | " : "";
        for (std::size_t i = 0; i < t.m_rounds[k].m_results.size(); ++i) {
            const CResult& result = t.m_rounds[k].m_results[i];
            out.append(i > 0 ? " " : "").append(t.PlayerName(result)).append(" ").append(std::to_string(result.m_points));
            out.append("/").append(std::to_string(counting.Place(k, i))).append("/");
            out.append(std::to_string(counting.Points(k, i))).append(counting.Won(k, i) ? "*" : "");
        }
    }
    return out;
}

// Two rounds: equal numbers in the first, a player in each round alone.
const std::string kCup = "A 30\nB 28\nC 30\nD 35\n\nR2\nA 27\nC 33\nE 31\n";
const std::string kStrokes = "r\xC3\xA4kning = slag\n", kPlace = "r\xC3\xA4kning = plats\nl\xC3\xA4gst vinner = ja\n";
const std::string kPlacing = "r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = 10 6 4\n";
const std::string kLowest = "l\xC3\xA4gst vinner = ja\n";

// The rules of the ranking and of the team table.
CSeriesRules Made(std::optional<int> best, std::optional<int> planned, std::optional<int> minimum,
                  std::vector<Tiebreak> tiebreak, std::optional<int> team = std::nullopt)
{
    CSeriesRules rules;
    rules.m_best = best;
    rules.m_planned = planned;
    rules.m_minimum = minimum;
    rules.m_tiebreak = std::move(tiebreak);
    rules.m_team = team;
    return rules;
}

// Vårserien: best 2 of 5 after 3 rounds, at least 4, ties by wins then best round. A dropped
// round best stays bold, a dropped 0 shows; Anna and Cilla part on wins, Cilla and Hans share.
const std::string kSeries = "V\xE5rserien\n\nR1\nAnna 10\nBo 6\nCilla 6\nDan 0\nHans 6\n\nR2\nAnna 4\nBo 10\nCilla 8\n"
                            "Hans 8\n\nR3\nAnna 0\nBo 3\nCilla 2\nEva 3\nHans 2\n";
const std::string kSeriesRules = "b\xC3\xA4sta = 2\nomg\xC3\xA5ngar = 5\nminst = 4\n"
                                 "s\xC3\xA4rskiljning = segrar, h\xC3\xB6gsta\n";

} // namespace

TEST(SeriesRules, Refusals)
{
    const std::string best = "b\xC3\xA4sta", tie = "s\xC3\xA4rskiljning", planned = "omg\xC3\xA5ngar";
    const std::string notCount = "V\xE4rdet ska vara ett heltal fr\xE5n 1 till 2147483647";
    const std::string change = "f\xC3\xB6r\xC3\xA4ndring", notYesNo = "V\xE4rdet ska vara ja eller nej";
    const std::string count = "r\xC3\xA4kning", table = "placeringspo\xC3\xA4ng", lowest = "l\xC3\xA4gst vinner";
    const std::string placing = count + " = placering\n", onlyPlacing = "G\xE4ller bara med r\xE4kning = placering";
    const std::string notTable = "Placeringspo\xE4ngen ska vara heltal fr\xE5n 0, \xE5tskilda av blanksteg, eller slagna";
    const std::string notEntry = "G\xE4ller bara med r\xE4kning = po\xE4ng eller placering";
    const std::string unknown =
        "Ok\xE4nd regel: v\xE4lj b\xE4sta, omg\xE5ngar, minst, s\xE4rskiljning, lag, totalt, f\xF6r\xE4ndring, "
        "diagram, r\xE4kning, placeringspo\xE4ng, \xF6vriga, deltagarpo\xE4ng, l\xE4gst vinner, s\xE4song, arkiv, "
        "rekord eller en handikappregel";
    const struct { std::string text; int lineNo; std::string message; } cases[] = {
        {best + " 8", 1, "F\xF6rv\xE4ntad regel: <namn> = <v\xE4rde>"},
        {"# c\n\n" + best + " = 8\n" + best + "=7", 4, "Regeln st\xE5r redan i filen"},
        {"foo = 1", 1, unknown}, {"B\xC3\xA4sta = 1", 1, unknown},
        {change + " = Ja", 1, notYesNo}, {"diagram = 1", 1, notYesNo}, {"diagram =", 1, notYesNo},
        {change + " = nej\n" + change + " = ja", 2, "Regeln st\xE5r redan i filen"},
        {best + " = 0", 1, notCount}, {"minst = x", 1, notCount}, {planned + " = 2147483648", 1, notCount},
        {best + " =", 1, notCount}, {best + " = 8 # \xC3\xA5tta", 1, notCount}, {best + " = -1", 1, notCount},
        {best + " = +1", 1, notCount},
        {tie + " = segrar,", 1, "Tomt kriterium i s\xE4rskiljningen"}, {tie + " =", 1, "Tomt kriterium i s\xE4rskiljningen"},
        {tie + " = segrar, Senaste", 1, "Ok\xE4nt kriterium: v\xE4lj segrar, h\xF6gsta, struket eller senaste"},
        {tie + " = segrar ,struket,\tsegrar", 1, "Kriteriet st\xE5r redan i s\xE4rskiljningen"},
        {tie + " = senaste\n" + tie + " = segrar", 2, "Regeln st\xE5r redan i filen"},
        {planned + " = 5\n" + best + " = 6", 2, "b\xE4sta f\xE5r inte vara st\xF6rre \xE4n omg\xE5ngar"},
        // Found only once omgångar is read: named on the earlier line that breaks it.
        {best + " = 6\nminst = 7\n" + planned + " = 5", 1, "b\xE4sta f\xE5r inte vara st\xF6rre \xE4n omg\xE5ngar"},
        {"minst = 7\n" + best + " = 6\n" + planned + " = 5", 1, "minst f\xE5r inte vara st\xF6rre \xE4n omg\xE5ngar"},
        {best + " = 5\nx\n" + planned + " = 4", 2, "F\xF6rv\xE4ntad regel: <namn> = <v\xE4rde>"},
        // Counting: the values, then keys that do not go with the counting, wherever it stands.
        {count + " = golf", 1, "Ok\xE4nd r\xE4kning: v\xE4lj po\xE4ng, slag, placering eller plats"},
        {count + " = slag\n" + count + " = slag", 2, "Regeln st\xE5r redan i filen"},
        {placing + table + " = 25 21 x", 2, notTable}, {placing + table + " = 10 -1", 2, notTable},
        {placing + table + " =", 2, notTable}, {placing + table + " = slagna 3", 2, notTable},
        {table + " = 25 26 2\n" + placing, 1, "Placeringspo\xE4ngen f\xE5r inte stiga"},
        {"deltagarpo\xC3\xA4ng = -1", 1, "V\xE4rdet ska vara ett heltal fr\xE5n 0 till 2147483647"},
        {"\xC3\xB6vriga = 2\n" + count + " = po\xC3\xA4ng", 1, onlyPlacing},
        {count + " = plats\n" + table + " = 3 2 1", 2, onlyPlacing},
        {count + " = placering\n\xC3\xB6vriga = 1", 1, "R\xE4kning = placering kr\xE4ver placeringspo\xE4ng"},
        {lowest + " = ja", 1, "Med r\xE4kning = po\xE4ng vinner h\xF6gst: v\xE4lj placering eller plats"},
        {count + " = slag\n" + lowest + " = nej", 2, "Med r\xE4kning = slag vinner alltid l\xE4gst"},
        {"deltagarpo\xC3\xA4ng = 1\n" + count + " = slag\n" + lowest + " = ja", 1, notEntry},
        {count + " = plats\ndeltagarpo\xC3\xA4ng = 0", 2, notEntry},
        {"arkiv = kanske", 1, notYesNo}, {"rekord = nej\nrekord = nej", 2, "Regeln st\xE5r redan i filen"},
        {"s\xC3\xA4song = \t", 1, "S\xE4songen saknar namn"},
    };
    const auto refused = [](const std::string& text) {
        CSeriesRules rules;
        CRulesRefusal refusal;
        return ParseSeriesRules(text, rules, refusal) ? "accepted" : std::to_string(refusal.m_lineNo) + " " + refusal.m_message;
    };
    for (const auto& c : cases)
        EXPECT_EQ(refused(c.text), std::to_string(c.lineNo) + " " + c.message) << c.text;
    CSeriesRules rules;
    CRulesRefusal refusal;
    EXPECT_TRUE(!ParseSeriesRules("\xEF\xBB\xBF# x\r\n  minst = 1 2\t\r\n", rules, refusal) && refusal.m_line == "  minst = 1 2\t");

    // Blanks, tabs, CR LF, a byte-order mark, comments and leading zeros; bästa may equal omgångar.
    const CSeriesRules read = Rules("\xEF\xBB\xBF  " + best + "\t=\t005 \r\n  # x = y\n\t\n" + planned + "=5\n" + tie +
                                    " = h\xC3\xB6gsta ,segrar\nminst = 2 \n# " + planned + " = 1\n");
    EXPECT_EQ(read, Made(5, 5, 2, {Tiebreak::Highest, Tiebreak::Wins}));
    EXPECT_FALSE(Rules("# bara kommentarer\n\n   \n").InForce());
    EXPECT_TRUE(Rules(tie + " = struket").InForce());
    // What the page shows besides is no ranking rule, but a file that sets it is kept.
    const CSeriesRules shown = Rules(change + " = ja\ndiagram = nej\n");
    EXPECT_TRUE(shown.m_change && !shown.m_chart && !shown.InForce() && shown.SetsAnything());
    EXPECT_FALSE(Rules(change + " = nej").SetsAnything());
    // The archive's keys, the same: kept, written back as read, ranking nothing.
    const std::string archived = "s\xC3\xA4song = 2025 v\xC3\xA5r\narkiv = nej\nrekord = nej\n";
    EXPECT_TRUE(!Rules(archived).InForce() && Rules(archived).m_season == "2025 v\xC3\xA5r");
    EXPECT_EQ(SeriesRulesText(Rules(archived)), archived);
    EXPECT_EQ(Rules("minst = 2147483647").m_minimum, 2147483647);
}

// The window's text keeps a good file's comments and order, and reads back as what it says.
TEST(SeriesRules, WrittenText)
{
    const CSeriesRules rules = Made(7, 12, std::nullopt, {Tiebreak::Latest, Tiebreak::Dropped});
    EXPECT_EQ(SeriesRulesText(rules, "# Klubbens regler\nb\xC3\xA4sta = 8\n\n# minst\nminst = 6\r\n"),
              "# Klubbens regler\nb\xC3\xA4sta = 7\n\n# minst\nomg\xC3\xA5ngar = 12\n"
              "s\xC3\xA4rskiljning = senaste, struket\n");
    EXPECT_EQ(Rules(SeriesRulesText(rules)), rules);
    const CSeriesRules all =
        Made(1, 2147483647, 1, {Tiebreak::Wins, Tiebreak::Highest, Tiebreak::Dropped, Tiebreak::Latest}, 1);
    EXPECT_EQ(Rules(SeriesRulesText(all, "# x\n")), all);
    CSeriesRules chartOnly;
    chartOnly.m_chart = true;
    EXPECT_EQ(SeriesRulesText(chartOnly, "f\xC3\xB6r\xC3\xA4ndring = ja\n# c\n"), "# c\ndiagram = ja\n");
    // The keys of counting: a table with equal and zero points, read back as written.
    const std::string counting = "r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = 25 21 21 0\n\xC3\xB6vriga = 0\n"
                                 "deltagarpo\xC3\xA4ng = 2\nl\xC3\xA4gst vinner = ja\n";
    const CSeriesRules placing = Rules("l\xC3\xA4gst vinner = ja\n\xC3\xB6vriga = 00\ndeltagarpo\xC3\xA4ng = 2\n"
                                       "placeringspo\xC3\xA4ng =\t25  21 21 0 \nr\xC3\xA4kning = placering\n");
    EXPECT_EQ(SeriesRulesText(placing), counting);
    EXPECT_EQ(Rules(counting), placing);
    EXPECT_TRUE(placing.InForce() && placing.LowerScoreWins() && !placing.LowerTotalWins());
    EXPECT_EQ(SeriesRulesText(Rules("r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = slagna")),
              "r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = slagna\n");
    EXPECT_FALSE(Rules("r\xC3\xA4kning = po\xC3\xA4ng\n").SetsAnything());
}

TEST(SeriesRules, Ranking)
{
    const struct { std::string results, rules, ranking; std::size_t rounds = SIZE_MAX; } cases[] = {
        // Best 2: the lowest go, the earliest of equal ones first; 0 points is a played round;
        // fewer rounds than 2 all count.
        {"A 3\nB 0\nD 0\n\nR2\nA 5\nB 0\nD 4\n\nR3\nA 3\nD 0\nE 7\n", "b\xC3\xA4sta = 2",
         "1 A 8/1, 2 E 7, 3 D 4/1, 4 B 0"},
        // Wins decide (a round's best above 0); then, with no wins, the best round.
        {"A 6\nB 3\n\nR2\nA 0\nB 3\nC 5\n", "s\xC3\xA4rskiljning = segrar", "1 A 6, 2 B 6<segrar, 3 C 5"},
        {"A 4\nB 2\nC 9\n\nR2\nA 3\nB 5\nC 9\n", "s\xC3\xA4rskiljning = segrar, h\xC3\xB6gsta",
         "1 C 18, 2 B 7, 3 A 7<h\xC3\xB6gsta"},
        // Dropped scores from the highest down; one against none is ahead.
        {"A 5\nB 5\nC 5\n\nR2\nA 3\nB 4\n", "b\xC3\xA4sta = 1\ns\xC3\xA4rskiljning = struket",
         "1 B 5/2, 2 A 5/2<struket, 3 C 5<struket"},
        // The latest round first, not played as 0; the same all through: a shared place (1, 2, 2, 4).
        {"A 5\nB 3\nC 5\nD 1\n\nR2\nA 0\nB 2\n", "s\xC3\xA4rskiljning = senaste", "1 B 5, 2 A 5<senaste, 2 C 5, 4 D 1"},
        {"A 5\nB 3\nC 5\nD 1\n\nR2\nA 0\nB 2\n", "s\xC3\xA4rskiljning = h\xC3\xB6gsta, senaste",
         "1 A 5, 1 C 5, 3 B 5<h\xC3\xB6gsta, 4 D 1"},
        // A minimum: placed while the planned rounds left can lift a player to it, not after.
        {"A 5\nB 9\n\nR2\nA 5\n", "minst = 3\nomg\xC3\xA5ngar = 3", "1 A 10, - B 9"},
        {"A 5\nB 9\n\nR2\nA 5\n", "minst = 3\nomg\xC3\xA5ngar = 3", "1 B 9, 2 A 5", 1},
        {"A 5\nB 9\n\nR2\nA 5\n\nR3\nC 1\n", "minst = 3\nomg\xC3\xA5ngar = 3", "- A 10, - B 9, - C 1"},
        {"A 5\nB 9\n\nR2\nA 5\n", "minst = 2", "1 A 10, - B 9"},
        {"A 5\nB 9\nC 9\n\nR2\nA 5\nC 1\n", "minst = 2\ns\xC3\xA4rskiljning = senaste", "1 A 10, 2 C 10<senaste, - B 9"},
        // Rules that change nothing rank as without them.
        {"A 5\nB 9\nC 9\n", "omg\xC3\xA5ngar = 9", "1 B 9, 1 C 9, 3 A 5"},
        // Strokes: more rounds counted are ahead, then the lowest total; best rounds keep the
        // lowest; a minimum; ties by the lowest round, by the latest round (no result is behind).
        {kCup, kStrokes, "1 A 57, 2 C 63, 3 B 28, 4 E 31, 5 D 35"},
        {kCup, kStrokes + "b\xC3\xA4sta = 1", "1 A 27/1, 2 B 28, 3 C 30/2, 4 E 31, 5 D 35"},
        {kCup, kStrokes + "minst = 2", "1 A 57, 2 C 63, - B 28, - E 31, - D 35"},
        {"A 30\nB 32\n\nR2\nA 34\nB 32\n", kStrokes + "s\xC3\xA4rskiljning = segrar, h\xC3\xB6gsta",
         "1 A 64, 2 B 64<h\xC3\xB6gsta"},
        {"A 30\nB 32\n\nR2\nA 34\nB 32\n", kStrokes + "s\xC3\xA4rskiljning = senaste", "1 B 64, 2 A 64<senaste"},
        {"A 30\nB 30\n\nR2\nA 30\n\nR3\nB 30\n", kStrokes + "b\xC3\xA4sta = 1\ns\xC3\xA4rskiljning = senaste",
         "1 B 30/1, 2 A 30/1<senaste"},
        {"A 30\nB 30\n\nR2\nA 31\nB 32\n", kStrokes + "b\xC3\xA4sta = 1\ns\xC3\xA4rskiljning = struket",
         "1 A 30/2, 2 B 30/2<struket"},
        // Points from the placing: shared places share the points, past the table 'övriga';
        // wins are first places; after the first round alone.
        {kCup, kPlacing + "\xC3\xB6vriga = 1", "1 C 16, 2 A 10, 2 D 10, 4 E 6, 5 B 1"},
        {kCup, kPlacing + "\xC3\xB6vriga = 1\ns\xC3\xA4rskiljning = segrar", "1 C 16, 2 D 10, 3 A 10<segrar, 4 E 6, 5 B 1"},
        {kCup, kPlacing, "1 D 10, 2 A 6, 2 C 6, 4 B 0", 1},
        {kCup, kPlacing + kLowest + "b\xC3\xA4sta = 1", "1 A 10/1, 1 B 10, 3 C 6/2, 3 E 6, 5 D 0"},
        // Places as points: a round held without the player gives the players so far plus one;
        // best rounds keep the lowest, and the discarded split ties from the best up.
        {kCup, kPlace, "1 A 3, 2 C 5, 3 B 7, 4 E 8, 5 D 10"},
        {kCup, kPlace + "b\xC3\xA4sta = 1\ns\xC3\xA4rskiljning = struket",
         "1 A 1/1, 2 B 1/2<struket, 3 C 2/2, 4 E 2/1<struket, 5 D 4/2"},
        {kCup, kPlace, "1 B 1, 2 A 2, 2 C 2, 4 D 4", 1},
        {kCup, "r\xC3\xA4kning = plats\n", "1 C 3, 2 A 5, 3 D 7, 4 E 8, 5 B 10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ranking("Cup\n\nR1\n" + c.results, c.rules, c.rounds), c.ranking) << c.results << c.rules;
}

// Each round's places and points under each counting, worked out by hand.
TEST(Counting, PlacesAndPoints)
{
    const struct { std::string rules, rounds; } cases[] = {
        {kStrokes, "A 30/2/30 B 28/1/28* C 30/2/30 D 35/4/35 | A 27/1/27* C 33/3/33 E 31/2/31"},
        {kPlacing + "\xC3\xB6vriga = 1", "A 30/2/6 B 28/4/1 C 30/2/6 D 35/1/10* | A 27/3/4 C 33/1/10* E 31/2/6"},
        {kPlacing + kLowest, "A 30/2/6 B 28/1/10* C 30/2/6 D 35/4/0 | A 27/1/10* C 33/3/4 E 31/2/6"},
        {"r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = slagna\n" + kLowest,
         "A 30/2/2 B 28/1/4* C 30/2/2 D 35/4/1 | A 27/1/3* C 33/3/1 E 31/2/2"},
        {kPlacing + kLowest + "deltagarpo\xC3\xA4ng = 2", "A 30/2/8 B 28/1/12* C 30/2/8 D 35/4/2 | A 27/1/12* C 33/3/6 E 31/2/8"},
        {kPlace, "A 30/2/2 B 28/1/1* C 30/2/2 D 35/4/4 | A 27/1/1* C 33/3/3 E 31/2/2"},
        {"deltagarpo\xC3\xA4ng = 1", "A 30/2/31 B 28/4/29 C 30/2/31 D 35/1/36* | A 27/3/28 C 33/1/34* E 31/2/32"},
        // Plain points: no place, a win is the round's highest above 0.
        {"", "A 30/0/30 B 28/0/28 C 30/0/30 D 35/0/35* | A 27/0/27 C 33/0/33* E 31/0/31"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Counted(kCup, c.rules), c.rounds) << c.rules;
    // Every 0 under points with a bonus: first places, and no win.
    EXPECT_EQ(Counted("A 0\nB 0\n", "deltagarpo\xC3\xA4ng = 3"), "A 0/1/3 B 0/1/3");

    // What may change without changing a place: a constant added to every stroke of a round;
    // all numbers reversed together with the direction.
    // Each result's place, and its points unless they are the strokes.
    const auto places = [](const std::string& results, const std::string& rules) {
        std::string out;
        std::istringstream words(Counted(results, rules));
        for (std::string word; words >> word;) {
            const std::size_t place = word.find('/'), points = word.rfind('/');
            if (place != std::string::npos)
                out += word.substr(place + 1, (rules == kStrokes ? points : word.size()) - place - 1) + " ";
        }
        return out;
    };
    const struct { std::string a, b, rules, rulesB; } same[] = {
        {"A 30\nB 28\nC 30\n", "A 41\nB 39\nC 41\n", kStrokes, kStrokes},
        {"A 30\nB 28\nC 30\n", "A 130\nB 128\nC 130\n", kPlacing + kLowest, kPlacing + kLowest},
        {"A 3\nB 5\nC 3\nD 0\n", "A 7\nB 5\nC 7\nD 10\n", kPlacing, kPlacing + kLowest},
        {"A 3\nB 5\nC 3\nD 0\n", "A 7\nB 5\nC 7\nD 10\n", "r\xC3\xA4kning = plats\n", kPlace},
    };
    for (const auto& c : same)
        EXPECT_EQ(places(c.a, c.rules), places(c.b, c.rulesB)) << c.a << c.rules;
}

// Each way of counting on one small cup: the page's header and first two rows, its rules in
// words, and the CSV's first rows, byte for byte.
TEST(Counting, PageAndCsvOfEachWay)
{
    const CTournament t = Parsed("Cup\n\nR1\n" + kCup);
    const auto lines = [](std::initializer_list<std::string> cells) {
        std::string text;
        for (const std::string& cell : cells)
            text += cell + "\r\n";
        return text;
    };
    const auto cell = [](const std::string& inner) { return "<td align=\"center\">" + inner + "</td>"; };
    const auto played = [](const std::string& points, const char* number) {
        return points + " <small class=\"spelat\">" + number + "</small>";
    };
    const struct { std::string rules, sum, rows, sentence, csv; } cases[] = {
        {kStrokes, "Summa<br>Slag",
         lines({"<tr>", cell("1"), "<td>A</td>", cell("57"), cell("30"), cell("<b>27</b>"), cell("2"), "</tr>", "<tr>",
                cell("2"), "<td>C</td>", cell("63"), cell("30"), cell("33"), cell("2"), "</tr>"}),
         "L\xE4gst antal slag vinner omg\xE5ngen och serien; fler r\xE4knade omg\xE5ngar g\xE5r f\xF6re l\xE4gre summa.",
         "Placering,Namn,Summa,R1,R1 (slag),R2,R2 (slag),Antal,Alla,Struket\r\n1,A,57,30,30,27,27,2,57,\r\n"},
        {kPlacing + kLowest, "Summa<br>Po\xE4ng",
         lines({"<tr>", cell("1"), "<td>A</td>", cell("16"), cell(played("6", "30")), cell(played("<b>10</b>", "27")),
                cell("2"), "</tr>", "<tr>", cell("2"), "<td>B</td>", cell("10"), cell(played("<b>10</b>", "28")),
                cell("&nbsp;"), cell("1"), "</tr>"}),
         "Placeringspo\xE4ng 10, 6, 4 efter varje omg\xE5ngs placering; l\xE4gst antal slag vinner omg\xE5ngen.",
         "Placering,Namn,Summa,R1,R1 (slag),R2,R2 (slag),Antal,Alla,Struket\r\n1,A,16,6,30,10,27,2,16,\r\n"},
        // Low point with the worse round discarded: B's absence from R2 is the one struck.
        {kPlace + "b\xC3\xA4sta = 1\n", "Summa<br>Po\xE4ng",
         lines({"<tr>", cell("1"), "<td>A</td>", cell("1"),
                "<td align=\"center\" class=\"struken\">(" + played("2", "30") + ")</td>", cell(played("<b>1</b>", "27")),
                cell("2"), "</tr>", "<tr>", cell("&nbsp;"), "<td>B</td>", cell("1"), cell(played("<b>1</b>", "28")),
                "<td align=\"center\" class=\"struken\">(6)</td>", cell("1"), "</tr>"}),
         "Placeringen i varje omg\xE5ng ger lika m\xE5nga po\xE4ng; l\xE4gst antal slag vinner omg\xE5ngen. Den som inte "
         "spelat en omg\xE5ng f\xE5r 6 po\xE4ng. L\xE4gst summa vinner. Den b\xE4sta omg\xE5ngen r\xE4knas.",
         "Placering,Namn,Summa,R1,R1 (slag),R2,R2 (slag),Antal,Alla,Struket\r\n1,A,1,2,30,1,27,2,3,1\r\n1,B,1,1,28,6,,1,7,2\r\n"},
    };
    for (const auto& c : cases) {
        const CStandingsView view(t, Rules(c.rules));
        const std::string page = HtmlPageText(view);
        const std::string header = "<th align=\"center\"><b>" + c.sum + "</b></th>\r\n";
        EXPECT_NE(page.find(header + "<th align=\"center\"><b>R1</b></th>\r\n<th align=\"center\"><b>R2</b></th>\r\n"
                                     "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>\r\n</tr>\r\n" +
                            c.rows),
                  std::string::npos)
            << c.rules << page;
        EXPECT_NE(page.find("<p class=\"regler\">" + c.sentence + "</p>"), std::string::npos) << c.rules << page;
        EXPECT_EQ(StandingsCsv(view).substr(0, c.csv.size()), c.csv) << c.rules;
    }
}

// One series with every rule: the page's rows, the rules in words and the note, whole.
TEST(SeriesRules, PageTextCsvJson)
{
    const CTournament t = Parsed(kSeries);
    const CStandingsView view(t, Rules(kSeriesRules));
    CStringOutput out;
    WriteHtmlPage(out, view);
    const auto row = [](const char* tr, const char* place, const char* name, std::string total,
                        std::initializer_list<const char*> cells) {
        std::string text = std::string(tr) + "\r\n<td align=\"center\">" + place + "</td>\r\n<td>" + name +
                           "</td>\r\n<td align=\"center\">" + total + "</td>\r\n";
        for (const char* cell : cells)
            text += std::string(*cell == '(' ? "<td align=\"center\" class=\"struken\">" : "<td align=\"center\">") +
                    cell + "</td>\r\n";
        return text + "</tr>\r\n";
    };
    const std::string rows =
        row("<tr>", "1", "Bo", "16", {"6", "<b>10</b>", "(<b>3</b>)", "3"}) +
        row("<tr>", "2<sup>1</sup>", "Anna", "14", {"<b>10</b>", "4", "(0)", "3"}) +
        row("<tr>", "3<sup>2</sup>", "Cilla", "14", {"6", "8", "(2)", "3"}) +
        row("<tr>", "&nbsp;", "Hans", "14", {"6", "8", "(2)", "3"}) +
        row("<tr class=\"ejplacerad\">", "ej placerad<sup>3</sup>", "Eva", "3", {"&nbsp;", "&nbsp;", "<b>3</b>", "1"}) +
        row("<tr class=\"ejplacerad\">", "ej placerad<sup>3</sup>", "Dan", "0", {"&nbsp;", "&nbsp;", "&nbsp;", "1"}) +
        "</table>\r\n" +
        "<p class=\"regler\">De 2 b\xE4sta av 5 omg\xE5ngar r\xE4knas. Minst 4 spelade omg\xE5ngar kr\xE4vs f\xF6r placering. "
        "Lika summa skiljs av: flest omg\xE5ngssegrar, h\xF6gsta enskilda omg\xE5ng. Efter 3 av 5 omg\xE5ngar.</p>\r\n"
        "<p class=\"noter\">\r\n<sup>1</sup> 2: Anna f\xF6re Cilla p\xE5 flest omg\xE5ngssegrar (1 mot 0)<br>\r\n"
        "<sup>2</sup> 3: Cilla och Hans delar platsen: lika p\xE5 alla kriterier<br>\r\n"
        "<sup>3</sup> ej placerad: 1 av minst 4 omg\xE5ngar</p>\r\n</body>\r\n</html>\r\n";
    EXPECT_EQ(out.m_text.substr(out.m_text.find("<tr>\r\n<td")), rows);

    EXPECT_EQ(StandingsText(view), "Plac  Namn   Summa  R1  R2   R3  Antal\n"
                                   "   1  Bo        16   6  10  (3)      3\n"
                                   "   2  Anna      14  10   4  (0)      3\n"
                                   "   3  Cilla     14   6   8  (2)      3\n"
                                   "      Hans      14   6   8  (2)      3\n"
                                   "      Eva        3            3      1\n"
                                   "      Dan        0                   1\n");
    EXPECT_EQ(StandingsCsv(view), "Placering,Namn,Summa,R1,R2,R3,Antal,Alla,Struket\r\n1,Bo,16,6,10,3,3,19,3\r\n"
                                  "2,Anna,14,10,4,0,3,14,3\r\n3,Cilla,14,6,8,2,3,16,3\r\n3,Hans,14,6,8,2,3,16,3\r\n"
                                  ",Eva,3,,,3,1,3,\r\n,Dan,0,0,,,1,0,\r\n");
    const std::string tail = R"(, "placed": true, "decided_by": )";
    EXPECT_EQ(StandingsJson(view),
              "{\"title\": \"V\xC3\xA5rserien\", \"rounds\": [\"R1\", \"R2\", \"R3\"], \"rules\": {\"best\": 2, \"min\": 4, "
              "\"planned\": 5, \"tiebreak\": [\"segrar\", \"h\xC3\xB6gsta\"]}, \"standings\": [\n"
              R"(  {"place": 1, "name": "Bo", "total": 16, "points": [6, 10, 3], "played": 3, "all": 19, "dropped": [2])" + tail + "null},\n"
              R"(  {"place": 2, "name": "Anna", "total": 14, "points": [10, 4, 0], "played": 3, "all": 14, "dropped": [2])" + tail + "null},\n"
              R"(  {"place": 3, "name": "Cilla", "total": 14, "points": [6, 8, 2], "played": 3, "all": 16, "dropped": [2])" + tail + "\"segrar\"},\n"
              R"(  {"place": 3, "name": "Hans", "total": 14, "points": [6, 8, 2], "played": 3, "all": 16, "dropped": [2])" + tail + "null},\n"
              R"(  {"place": null, "name": "Eva", "total": 3, "points": [null, null, 3], "played": 1, "all": 3, "dropped": [], "placed": false, "decided_by": null},)" "\n"
              R"(  {"place": null, "name": "Dan", "total": 0, "points": [0, null, null], "played": 1, "all": 0, "dropped": [], "placed": false, "decided_by": null})" "\n]}\n");
}

// The rules in words for other settings, and the notes for the other criteria.
TEST(SeriesRules, SentencesAndNotes)
{
    const struct { std::string file, rules, after; } cases[] = {
        {"A 3\nB 2\n", "b\xC3\xA4sta = 1\nminst = 1\nomg\xC3\xA5ngar = 1",
         "<p class=\"regler\">Den b\xE4sta av 1 omg\xE5ngar r\xE4knas. Minst 1 spelad omg\xE5ng kr\xE4vs f\xF6r placering. "
         "Slutst\xE4llning.</p>\r\n"},
        {"A 3\nB 2\n\nR2\nA 1\nB 3\n", "b\xC3\xA4sta = 1\ns\xC3\xA4rskiljning = struket",
         "<p class=\"regler\">Den b\xE4sta omg\xE5ngen r\xE4knas. Lika summa skiljs av: h\xF6gsta strukna resultat.</p>\r\n"
         "<p class=\"noter\">\r\n<sup>1</sup> 1: B f\xF6re A p\xE5 h\xF6gsta strukna resultat (2 mot 1)</p>\r\n"},
        // Names and a round's name in the notes shown as text.
        {"A 3\nB 3\n<C> 3\n\nR2\nA 0\nB 5\n\nOmg & 3\n<C> 5\nA 5\n", "b\xC3\xA4sta = 2\ns\xC3\xA4rskiljning = senaste, struket",
         "<p class=\"regler\">De 2 b\xE4sta omg\xE5ngarna r\xE4knas. Lika summa skiljs av: senaste omg\xE5ngarna, "
         "h\xF6gsta strukna resultat.</p>\r\n<p class=\"noter\">\r\n<sup>1</sup> 1: A f\xF6re &lt;C&gt; p\xE5 h\xF6gsta strukna "
         "resultat (0 mot inget)<br>\r\n<sup>2</sup> 2: &lt;C&gt; f\xF6re B p\xE5 po\xE4ngen i Omg &amp; 3 (5 mot 0)</p>\r\n"},
    };
    for (const auto& c : cases) {
        CStringOutput out;
        const CTournament t = Parsed("Cup\n\nR1\n" + c.file);
        WriteHtmlPage(out, CStandingsView(t, Rules(c.rules)));
        EXPECT_EQ(out.m_text.substr(out.m_text.find("</table>\r\n") + 10), c.after + "</body>\r\n</html>\r\n") << c.rules;
    }
}

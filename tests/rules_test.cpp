// SPDX-License-Identifier: GPL-3.0-or-later
// Series rules: the rules file's lines, the ranking they make, and every output of it.
#include "RulesText.h"
#include "StringOutput.h"
#include "model/SeriesRules.h"
#include "report/StandingsView.h"

#include <gtest/gtest.h>

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
    const std::string unknown =
        "Ok\xE4nd regel: v\xE4lj b\xE4sta, omg\xE5ngar, minst, s\xE4rskiljning, lag, totalt, f\xF6r\xE4ndring, diagram eller en handikappregel";
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
    EXPECT_EQ(read, (CSeriesRules{5, 5, 2, {Tiebreak::Highest, Tiebreak::Wins}}));
    EXPECT_FALSE(Rules("# bara kommentarer\n\n   \n").InForce());
    EXPECT_TRUE(Rules(tie + " = struket").InForce());
    // What the page shows besides is no ranking rule, but a file that sets it is kept.
    const CSeriesRules shown = Rules(change + " = ja\ndiagram = nej\n");
    EXPECT_TRUE(shown.m_change && !shown.m_chart && !shown.InForce() && shown.SetsAnything());
    EXPECT_FALSE(Rules(change + " = nej").SetsAnything());
    EXPECT_EQ(Rules("minst = 2147483647").m_minimum, 2147483647);
}

// The window's text keeps a good file's comments and order, and reads back as what it says.
TEST(SeriesRules, WrittenText)
{
    const CSeriesRules rules{7, 12, std::nullopt, {Tiebreak::Latest, Tiebreak::Dropped}};
    EXPECT_EQ(SeriesRulesText(rules, "# Klubbens regler\nb\xC3\xA4sta = 8\n\n# minst\nminst = 6\r\n"),
              "# Klubbens regler\nb\xC3\xA4sta = 7\n\n# minst\nomg\xC3\xA5ngar = 12\n"
              "s\xC3\xA4rskiljning = senaste, struket\n");
    EXPECT_EQ(Rules(SeriesRulesText(rules)), rules);
    const CSeriesRules all{
        1, 2147483647, 1, {Tiebreak::Wins, Tiebreak::Highest, Tiebreak::Dropped, Tiebreak::Latest}, true, true};
    EXPECT_EQ(Rules(SeriesRulesText(all, "# x\n")), all);
    CSeriesRules chartOnly;
    chartOnly.m_chart = true;
    EXPECT_EQ(SeriesRulesText(chartOnly, "f\xC3\xB6r\xC3\xA4ndring = ja\n# c\n"), "# c\ndiagram = ja\n");
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ranking("Cup\n\nR1\n" + c.results, c.rules, c.rounds), c.ranking) << c.results << c.rules;
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

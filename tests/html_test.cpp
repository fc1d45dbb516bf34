#include "Standings.h"
#include "StringOutput.h"
#include "WorkedExample.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

CTournament Tournament(const std::string& title, const std::vector<std::pair<std::string, std::vector<CResult>>>& rounds)
{
    CTournament t;
    t.m_title = title;
    for (const auto& [name, results] : rounds) {
        CRound round;
        round.m_name = name;
        round.m_results = results;
        t.AddRound(round);
    }
    return t;
}

CStringOutput Page(CTournament& t)
{
    CStandings s;
    t.AddToStandings(s);
    s.BuildRanking();
    CStringOutput out;
    s.WriteHtml(out, t);
    return out;
}

TEST(HtmlPage, WorkedExampleByteForByte)
{
    CTournament t = Tournament("Klubbkamp", {{"Omg\xE5ng 1", {{"Anna", 10}, {"Bo", 7}, {"Cecilia", 10}}},
                                             {"Omg\xE5ng 2", {{"Bo", 8}, {"Anna", 5}}}});
    const CStringOutput page = Page(t);
    EXPECT_EQ(page.m_lines.size(), 44u);
    EXPECT_EQ(page.Text(), kWorkedExamplePage);
}

TEST(HtmlPage, Utf8PageDeclaresItsCharset)
{
    CTournament t = Tournament("V\xC3\xA5rcup", {{"Omg\xC3\xA5ng 1", {{"G\xC3\xB6ran", 3}}}});
    t.m_encoding = TextEncoding::Utf8;
    const Lines lines = Page(t).m_lines;
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 5),
              (Lines{"<html>", "<head>", "<meta name=\"GENERATOR\" content=\"Ravelmark\">", "<meta charset=\"utf-8\">",
                     "<title>V\xC3\xA5rcup</title>"}));
    EXPECT_EQ(lines[13], "<th align=\"center\"><b>Summa<br>Po\xC3\xA4ng</b></th>");
    EXPECT_EQ(lines[14], "<th align=\"center\"><b>Omg\xC3\xA5ng<br>1</b></th>");
    EXPECT_EQ(lines[15], "<th align=\"center\"><b>Antal<br>Omg\xC3\xA5ngar</b></th>");
    EXPECT_EQ(lines[19], "<td>G\xC3\xB6ran</td>");
}

// The place and name cells of every player row, in page order.
Lines PlacesAndNames(const Lines& page)
{
    Lines out;
    for (std::size_t i = 0; i + 2 < page.size(); ++i) {
        if (page[i] == "<tr>" && page[i + 1].starts_with("<td"))
            out.push_back(page[i + 1] + page[i + 2]);
    }
    return out;
}

TEST(HtmlPage, TiesShareThePlaceShownOnce)
{
    CTournament t = Tournament("Cup", {{"R", {{"A", 20}, {"B", 30}, {"C", 25}, {"D", 25}, {"E", 25}}}});
    EXPECT_EQ(PlacesAndNames(Page(t).m_lines),
              (Lines{"<td align=\"center\">1</td><td>B</td>", "<td align=\"center\">2</td><td>C</td>",
                     "<td align=\"center\">&nbsp;</td><td>D</td>", "<td align=\"center\">&nbsp;</td><td>E</td>",
                     "<td align=\"center\">5</td><td>A</td>"}));

    // All totals 0: place 1, then empty cells; no bold, no points shown.
    CTournament zero = Tournament("Cup", {{"R", {{"A", 0}, {"B", 0}}}});
    const Lines lines = Page(zero).m_lines;
    EXPECT_EQ(PlacesAndNames(lines),
              (Lines{"<td align=\"center\">1</td><td>A</td>", "<td align=\"center\">&nbsp;</td><td>B</td>"}));
    EXPECT_EQ(lines[20], "<td align=\"center\">&nbsp;</td>");
    EXPECT_EQ(lines[21], "<td align=\"center\">1</td>");
}

TEST(HtmlPage, NoRoundsAndNoPlayers)
{
    CTournament empty;
    const Lines lines = Page(empty).m_lines;
    EXPECT_EQ(lines, (Lines{"<html>", "<head>", "<meta name=\"GENERATOR\" content=\"Ravelmark\">", "<title></title>",
                            "<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>", "</head>", "<body>",
                            "<h3></h3>", "<table>", "<tr>", "<th align=\"center\"><b>Placering</b></th>",
                            "<th><b>Namn</b></th>", "<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>",
                            "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>", "</tr>", "</table>", "</body>",
                            "</html>"}));

    // Rounds without results: the header row only.
    CTournament noResults = Tournament("Cup", {{"Final omg\xE5ng", {}}});
    const Lines header = Page(noResults).m_lines;
    EXPECT_EQ(header.size(), 19u);
    EXPECT_EQ(header[13], "<th align=\"center\"><b>Final<br>omg\xE5ng</b></th>");
}

TEST(HtmlPage, NamesWrittenUnchanged)
{
    CTournament t = Tournament("A & <B>", {{"R", {{"Bo & <i>", 4}, {"Eva", 4}}}});
    const Lines lines = Page(t).m_lines;
    EXPECT_EQ(lines[3], "<title>A & <B></title>");
    EXPECT_EQ(lines[18], "<td>Bo & <i></td>");
    // Both reach the round's best: both bold.
    EXPECT_EQ(lines[20], "<td align=\"center\"><b>4</b></td>");
    EXPECT_EQ(lines[27], "<td align=\"center\"><b>4</b></td>");
}

} // namespace

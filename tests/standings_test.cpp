// SPDX-License-Identifier: GPL-3.0-or-later
#include "StringOutput.h"
#include "model/Reader.h"
#include "report/StandingsView.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// The standings page of a tournament file's text; the empty text gives the empty tournament that
// the window holds after a cancelled choice.
std::string Page(const std::string& file)
{
    CTournament t;
    std::string line, message;
    int lineNo = 0;
    ParseTournament(file, t, line, lineNo, message);
    CStandings s;
    AddToStandings(s, t);
    s.BuildRanking();
    CStringOutput out;
    WriteHtmlPage(out, CStandingsView(t, s));
    return out.m_text;
}

// The page's player rows, their cells joined by blanks: "place name total rounds... played, ".
std::string Rows(const std::string& page)
{
    static const std::regex cell("<td[^>]*>(.*)</td>\r\n(</tr>\r\n)?");
    std::string rows;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), cell); it != std::sregex_iterator(); ++it)
        rows += (*it)[1].str() + ((*it)[2].matched ? ", " : " ");
    return rows;
}

} // namespace

TEST(HtmlPage, WholePages)
{
    const std::string head = "<html>\r\n<head>\r\n<meta name=\"GENERATOR\" content=\"Ravelmark\">\r\n<meta charset=\"%s\">"
                             "\r\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n";
    const std::string css = "<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>\r\n</head>\r\n<body>\r\n";
    const std::string fixed = "<tr>\r\n<th align=\"center\"><b>Placering</b></th>\r\n<th><b>Namn</b></th>\r\n"
                              "<th align=\"center\"><b>Summa<br>Po%sng</b></th>\r\n";
    const std::string tail = "</tr>\r\n</table>\r\n</body>\r\n</html>\r\n";
    const auto with = [](std::string text, const char* a) { return text.replace(text.find("%s"), 2, a); };
    EXPECT_EQ(Page(""), with(head, "windows-1252") + "<title></title>\r\n" + css + "<h3></h3>\r\n<table>\r\n" +
                            with(fixed, "\xE4") + "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>\r\n</tr>\r\n"
                            "</table>\r\n</body>\r\n</html>\r\n");
    // UTF-8: the built-in texts too; each page names its character set.
    EXPECT_EQ(Page("V\xC3\xA5r & <cup>\n\nOmg\xC3\xA5ng 1\nG\xC3\xB6ran & <b> 3\n"),
              with(head, "utf-8") + "<title>V\xC3\xA5r & <cup></title>\r\n" + css +
                  "<h3>V\xC3\xA5r & <cup></h3>\r\n<table>\r\n" + with(fixed, "\xC3\xA4") +
                  "<th align=\"center\"><b>Omg\xC3\xA5ng<br>1</b></th>\r\n"
                  "<th align=\"center\"><b>Antal<br>Omg\xC3\xA5ngar</b></th>\r\n</tr>\r\n<tr>\r\n"
                  "<td align=\"center\">1</td>\r\n<td>G\xC3\xB6ran & <b></td>\r\n<td align=\"center\">3</td>\r\n"
                  "<td align=\"center\"><b>3</b></td>\r\n<td align=\"center\">1</td>\r\n" + tail);
}

// Place shown once for equal totals, best of each round in bold, no points and 0 points as none,
// rounds played counted whatever lies between them.
TEST(HtmlPage, Rows)
{
    const struct { std::string file, rows; } cases[] = {
        {"Cup\n\nR0\nAnna 10\nBo 4\n\nR1\nBo 3\n\nR2\nAnna 3\nBo 1\n",
         "1 Anna 13 <b>10</b> &nbsp; <b>3</b> 2, 2 Bo 8 4 <b>3</b> 1 3, "},
        {"Cup\n\nR\nA 20\nB 30\nC 25\nD 25\nE 0\nZ 0\n",
         "1 B 30 <b>30</b> 1, 2 C 25 25 1, &nbsp; D 25 25 1, 4 A 20 20 1, 5 E 0 &nbsp; 1, &nbsp; Z 0 &nbsp; 1, "},
        {"Cup\n\nR\nA 0\nZ 0\n\nEmpty\n", "1 A 0 &nbsp; &nbsp; 1, &nbsp; Z 0 &nbsp; &nbsp; 1, "},
        {"Cup\n\nR0\nBo 2147483647\nanna 1\n\nR1\nAnna 2\nBo 2147483647\n",
         "1 Bo 4294967294 <b>2147483647</b> <b>2147483647</b> 2, 2 Anna 2 &nbsp; 2 1, 3 anna 1 1 &nbsp; 1, "},
        {"Cup\n\nR\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rows(Page(c.file)), c.rows) << c.file;
    // Lines asked for out of order find the first of their place all the same.
    CTournament t;
    std::string line, message;
    int lineNo = 0;
    ASSERT_TRUE(ParseTournament("Cup\n\nR\nA 9\nB 5\nC 5\nD 5\n", t, line, lineNo, message));
    const CStandingsView view(t);
    EXPECT_TRUE(view.Line(3).m_place == 2 && view.Line(1).m_place == 2 && view.Line(0).m_place == 1);
}

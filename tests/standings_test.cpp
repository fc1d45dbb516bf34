#include "Reader.h"
#include "Standings.h"
#include "StringOutput.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// A tournament file's text read into `t` and fed into the standings; the empty text gives the
// empty tournament that the window holds after a cancelled choice.
CStandings Fill(const std::string& file, CTournament& t)
{
    std::string line, message;
    int lineNo = 0;
    ParseTournament(file, t, line, lineNo, message);
    CStandings s;
    AddToStandings(s, t);
    return s;
}

std::string Page(const std::string& file)
{
    CTournament t;
    CStandings s = Fill(file, t);
    s.BuildRanking();
    CStringOutput out;
    s.WriteHtml(out, t);
    return out.m_text;
}

} // namespace

TEST(Standings, RowsInOrderOfFirstAppearance)
{
    CTournament t;
    CStandings s = Fill("Cup\n\nR0\nAnna 10\nBo 2147483647\nCecilia 10\n\nR1\nBo 2147483647\nanna 5\nDavid 0\n\n"
                        "R2\nAnna 3\n\nR3", t);
    const auto rows = [&] {
        std::string out; // name:points in each round=total/rounds played
        for (const CPlayerRow& row : s.m_rows) {
            out += t.PlayerName(row.m_player);
            for (std::size_t k = 0; k < row.m_roundPoints.size(); ++k)
                out += (k ? "," : ":") + std::to_string(row.m_roundPoints[k]);
            out += "=" + std::to_string(row.m_total) + "/" + std::to_string(row.m_roundsPlayed) + " ";
        }
        return out;
    };
    EXPECT_EQ(rows(), "Anna:10,0,3=13/2 Bo:2147483647,2147483647=4294967294/2 Cecilia:10=10/1 anna:0,5=5/1 "
                      "David:0,0=0/1 ");
    EXPECT_EQ(s.LongestNameLength(t), 7);

    // A rebuild gives each round its best score anew.
    t.m_rounds[1].m_results[0].m_points = 4;
    s.Clear();
    EXPECT_TRUE(s.m_rows.empty() && s.m_ranking.empty() && s.LongestNameLength(t) == 0);
    AddToStandings(s, t);
    EXPECT_EQ(rows(), "Anna:10,0,3=13/2 Bo:2147483647,4=2147483651/2 Cecilia:10=10/1 anna:0,5=5/1 David:0,0=0/1 ");
    EXPECT_EQ(t.m_rounds[1].m_bestPoints, 5);

    s.AddResult(0, t.AddPlayer("\xC3\x85sa \xC3\x96" "berg"), 1);
    EXPECT_EQ(s.LongestNameLength(t), 11);
    t.m_encoding = TextEncoding::Utf8;
    EXPECT_EQ(s.LongestNameLength(t), 9);
}

TEST(HtmlPage, WorkedExampleAndNoRounds)
{
    EXPECT_EQ(Page("Klubbkamp\n\nOmg\xE5ng 1\nAnna 10\nBo 7\nCecilia 10\n\nOmg\xE5ng 2\nBo 8\nAnna 5\n"),
              kWorkedExamplePage);
    EXPECT_EQ(Page(""), "<html>\r\n<head>\r\n<meta name=\"GENERATOR\" content=\"Ravelmark\">\r\n<title></title>\r\n"
                        "<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>\r\n</head>\r\n<body>\r\n"
                        "<h3></h3>\r\n<table>\r\n<tr>\r\n<th align=\"center\"><b>Placering</b></th>\r\n"
                        "<th><b>Namn</b></th>\r\n<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>\r\n"
                        "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>\r\n</tr>\r\n</table>\r\n</body>\r\n"
                        "</html>\r\n");
}

TEST(HtmlPage, Utf8PageSaysSo)
{
    const std::string page = Page("V\xC3\xA5rcup\n\nOmg\xC3\xA5ng 1\nG\xC3\xB6ran 3\n");
    EXPECT_TRUE(page.starts_with("<html>\r\n<head>\r\n<meta name=\"GENERATOR\" content=\"Ravelmark\">\r\n"
                                 "<meta charset=\"utf-8\">\r\n<title>V\xC3\xA5rcup</title>\r\n"));
    EXPECT_NE(page.find("<b>Summa<br>Po\xC3\xA4ng</b>"), std::string::npos);
}

// Equal totals share the place of the first of them, shown once; 0 points show as none.
TEST(HtmlPage, Ties)
{
    const std::regex row("<tr>\r\n<td align=\"center\">([^<]*)</td>\r\n<td>([^<]*)</td>");
    const std::string zero = "<td>Z</td>\r\n<td align=\"center\">0</td>\r\n<td align=\"center\">&nbsp;</td>\r\n";
    for (const auto& [file, places] : {std::pair{"Cup\n\nR\nA 20\nB 30\nC 25\nD 25\nE 0\nZ 0\n",
                                                 "1 B, 2 C, &nbsp; D, 4 A, 5 E, &nbsp; Z, "},
                                       std::pair{"Cup\n\nR\nA 0\nZ 0\n", "1 A, &nbsp; Z, "}}) {
        const std::string page = Page(file);
        std::string got;
        for (auto it = std::sregex_iterator(page.begin(), page.end(), row); it != std::sregex_iterator(); ++it)
            got += (*it)[1].str() + " " + (*it)[2].str() + ", ";
        EXPECT_EQ(got, places);
        EXPECT_NE(page.find(zero), std::string::npos);
    }
}

#include "Reader.h"
#include "Standings.h"
#include "StringOutput.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// The page for a tournament file's text; no text: the empty tournament the window holds after
// a cancelled choice.
std::string Page(const std::string& file)
{
    CTournament t;
    std::string line, message;
    int lineNo = 0;
    if (!file.empty() && !ParseTournament(file, t, line, lineNo, message))
        return message;
    CStandings s;
    t.AddToStandings(s);
    s.BuildRanking();
    CStringOutput out;
    s.WriteHtml(out, t);
    return out.m_text;
}

} // namespace

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
    for (const char* text : {"<b>Summa<br>Po\xC3\xA4ng</b>", "<b>Omg\xC3\xA5ng<br>1</b>", "<b>Antal<br>Omg\xC3\xA5ngar</b>"})
        EXPECT_NE(page.find(text), std::string::npos) << text;
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

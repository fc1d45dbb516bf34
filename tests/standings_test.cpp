// SPDX-License-Identifier: GPL-3.0-or-later
#include "StringOutput.h"
#include "report/Standings.h"
#include "report/StandingsView.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::string Page(const CTournament& t)
{
    CStringOutput out;
    WriteHtmlPage(out, CStandingsView(t));
    return out.m_text;
}

// The standings page of a tournament file's text; the empty text gives the empty tournament that
// the window holds after a cancelled choice.
std::string Page(const std::string& file) { return Page(Parsed(file)); }

// What `pattern`'s group catches in `text`, blanks trimmed, "-" for none, joined by blanks.
std::string Caught(const std::string& text, const char* pattern)
{
    std::string caught;
    const std::regex regex(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), regex); it != std::sregex_iterator(); ++it) {
        const std::string c = std::regex_replace((*it)[1].str(), std::regex(" |&nbsp;"), "");
        caught += (caught.empty() ? "" : " ") + (c.empty() ? "-" : c);
    }
    return caught;
}

} // namespace

TEST(HtmlPage, WholePages)
{
    EXPECT_EQ(Page("Klubbkamp\n\nOmg\xE5ng 1\nAnna 10\nBo 7\nCecilia 10\n\nOmg\xE5ng 2\nBo 8\nAnna 5\n"),
              kWorkedExamplePage);
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
    // UTF-8: the built-in texts too; each page names its character set. Stored texts are shown as
    // text: markup in a title, a round's name (escaped before its blanks break) or a name never runs.
    EXPECT_EQ(Page("V\xC3\xA5r & <cup>\n\nOmg\xC3\xA5ng \"1\" <br>\nG\xC3\xB6ran &amp; <script>x</script> 3\n"),
              with(head, "utf-8") + "<title>V\xC3\xA5r &amp; &lt;cup&gt;</title>\r\n" + css +
                  "<h3>V\xC3\xA5r &amp; &lt;cup&gt;</h3>\r\n<table>\r\n" + with(fixed, "\xC3\xA4") +
                  "<th align=\"center\"><b>Omg\xC3\xA5ng<br>&quot;1&quot;<br>&lt;br&gt;</b></th>\r\n"
                  "<th align=\"center\"><b>Antal<br>Omg\xC3\xA5ngar</b></th>\r\n</tr>\r\n<tr>\r\n"
                  "<td align=\"center\">1</td>\r\n<td>G\xC3\xB6ran &amp;amp; &lt;script&gt;x&lt;/script&gt;</td>\r\n"
                  "<td align=\"center\">3</td>\r\n"
                  "<td align=\"center\"><b>3</b></td>\r\n<td align=\"center\">1</td>\r\n" + tail);
}

// The cells of the rows: place shown once for equal totals ("-" for none), best of each round
// in bold, no points and 0 points as none, rounds played counted whatever lies between them.
TEST(HtmlPage, Rows)
{
    const struct { std::string file, rows; } cases[] = {
        {"Cup\n\nR0\nAnna 10\nBo 4\n\nR1\nBo 3\n\nR2\nAnna 3\nBo 1\n",
         "1 Anna 13 <b>10</b> - <b>3</b> 2 2 Bo 8 4 <b>3</b> 1 3"},
        {"Cup\n\nR\nA 20\nB 30\nC 25\nD 25\nE 0\nZ 0\n",
         "1 B 30 <b>30</b> 1 2 C 25 25 1 - D 25 25 1 4 A 20 20 1 5 E 0 - 1 - Z 0 - 1"},
        {"Cup\n\nR\nA 0\nZ 0\n\nEmpty\n", "1 A 0 - - 1 - Z 0 - - 1"},
        {"Cup\n\nR0\nBo 2147483647\nanna 1\n\nR1\nAnna 2\nBo 2147483647\n",
         "1 Bo 4294967294 <b>2147483647</b> <b>2147483647</b> 2 2 Anna 2 - 2 1 3 anna 1 1 - 1"},
        {"Cup\n\nR\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Caught(Page(c.file), "<td[^>]*>(.*)</td>"), c.rows) << c.file;
    // Lines asked for out of order find the first of their place all the same.
    const CTournament t = Parsed("Cup\n\nR\nA 9\nB 5\nC 5\nD 5\n");
    const CStandingsView view(t);
    EXPECT_TRUE(view.Line(3).m_place == 2 && view.Line(1).m_place == 2 && view.Line(0).m_place == 1);
}

// Equal totals anywhere share the place of the first of them: the page and the text show it
// once, CSV and JSON on every line.
TEST(StandingsView, SharedPlaces)
{
    const struct { std::string results, once, every; } cases[] = {
        {"A 9\nB 5\nC 5\nD 1\n", "1 2 - 4", "1 2 2 4"},
        {"A 9\nB 9\nC 5\nD 5\nE 1\n", "1 - 3 - 5", "1 1 3 3 5"},
        {"A 9\nB 5\nC 1\nD 1\nE 1\n", "1 2 3 - -", "1 2 3 3 3"},
        {"A 0\nB 0\n\nR2\nC 0\n", "1 - -", "1 1 1"},
    };
    for (const auto& c : cases) {
        const CTournament t = Parsed("Cup\n\nR\n" + c.results);
        const CStandingsView view(t);
        EXPECT_EQ(Caught(Page(t), "<tr>\r\n<td align=\"center\">([^<]*)</td>"), c.once) << c.results;
        EXPECT_EQ(Caught(StandingsText(view), "\n(....)  "), c.once) << c.results;
        EXPECT_EQ(Caught(StandingsCsv(view), "\n([^,]*),"), c.every) << c.results;
        EXPECT_EQ(Caught(StandingsJson(view), "\"place\": ([0-9]+)"), c.every) << c.results;
        const CStandingsLine last = CStandingsView(t).Line(view.LineCount() - 1); // asked before the others
        EXPECT_EQ(std::to_string(last.m_place), c.every.substr(c.every.rfind(' ') + 1)) << c.results;
    }
}

// CSV quotes a field with a comma, a quote (doubled), a CR or an LF; JSON escapes every control
// character, by the short forms JSON has and as \u00XX otherwise (U+000B too); the text table
// aligns its columns by characters, whatever the bytes of a UTF-8 name.
TEST(StandingsView, RareCharacters)
{
    CTournament t;
    for (char c = 0; c < 0x20; ++c)
        t.m_title += c;
    t.m_title += "\"\\\x7F";
    CRound first, second;
    first.m_name = "R,1";
    second.m_name = "R\"\r\n2";
    for (const auto& [name, points] : {std::pair{"A,b", 9}, {"q\"q", 8}, {"c\rr", 7}, {"l\nf", 6}})
        first.AddResult(CResult(t.AddPlayer(name), points));
    t.AddRound(first);
    t.AddRound(second);
    const CStandingsView view(t);
    EXPECT_EQ(StandingsCsv(view), "Placering,Namn,Summa,\"R,1\",\"R\"\"\r\n2\",Antal\r\n1,\"A,b\",9,9,,1\r\n"
                                  "2,\"q\"\"q\",8,8,,1\r\n3,\"c\rr\",7,7,,1\r\n4,\"l\nf\",6,6,,1\r\n");
    const std::string json =
        R"({"title": "\u0000\u0001\u0002\u0003\u0004\u0005\u0006\u0007\b\t\n\u000b\f\r\u000e\u000f)"
        R"(\u0010\u0011\u0012\u0013\u0014\u0015\u0016\u0017\u0018\u0019\u001a\u001b\u001c\u001d\u001e\u001f)"
        "\\\"\\\\\x7F\", \"rounds\": [\"R,1\", \"R\\\"\\r\\n2\"], \"standings\": [\n  {\"place\": 1, \"name\": \"A,b\"";
    EXPECT_EQ(StandingsJson(view).substr(0, json.size()), json);

    const CTournament names = Parsed("Cup\n\nR\n\xC3\x85sa 10\n\xC3\x96" "berg \xE2\x82\xAC 9\nJos\xC3\xA9 8\nBo 7\n");
    EXPECT_EQ(StandingsText(CStandingsView(names)), "Plac  Namn     Summa   R  Antal\n"
                                                    "   1  \xC3\x85sa         10  10      1\n"
                                                    "   2  \xC3\x96" "berg \xE2\x82\xAC      9   9      1\n"
                                                    "   3  Jos\xC3\xA9         8   8      1\n"
                                                    "   4  Bo           7   7      1\n");
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Who moved and how the race ran: the change of place, the page's column, the chart, and the
// notes that explain every place of a ruled page.
#include "RulesText.h"
#include "StringOutput.h"
#include "model/SeriesRules.h"
#include "report/PlaceChange.h"
#include "report/StandingsView.h"

#include <QXmlStreamReader>

#include <regex>

#include <gtest/gtest.h>

namespace {

std::string Page(const CTournament& t, const std::string& rules, std::size_t rounds = SIZE_MAX)
{
    CStringOutput out;
    WriteHtmlPage(out, CStandingsView(t, Rules(rules), rounds));
    return out.m_text;
}

// "place name change" a line, "-" for no place; the change as a number, "ny", or nothing.
std::string Changes(const std::string& file, const std::string& rules, std::size_t rounds = SIZE_MAX)
{
    const CTournament t = Parsed(file);
    const CStandingsView view(t, Rules(rules), rounds);
    const CPlaceChanges changes(view);
    std::string out = changes.HasBaseline() ? "since " + t.m_rounds[changes.BaselineRound()].m_name + ":" : "none:";
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const CStandingsLine line = view.Line(i);
        const CPlaceChange change = changes.Of(line);
        out.append(" ").append(line.m_placed ? std::to_string(line.m_place) : "-").append(" ").append(view.Name(line));
        if (change.m_kind == CPlaceChange::Moved)
            out.append(" ").append(change.m_by > 0 ? "+" : "").append(std::to_string(change.m_by));
        out.append(change.m_kind == CPlaceChange::New ? " ny" : "").append(",");
    }
    return out;
}

const std::string kCup = "Cup\n\nR1\nA 10\nB 8\nF 8\nC 6\nD 4\n\nR2\nA 1\nB 9\nC 12\nD 0\nE 4\n";
const std::string kKlubbkamp = "Klubbkamp\n\nOmg\xE5ng 1\nAnna 10\nBo 7\nCecilia & Co 10\n\nOmg\xE5ng 2\nBo 8\nAnna 5\n";

} // namespace

TEST(PlaceChange, EachKindOfPlayer)
{
    const std::string minimum = "minst = 2\nomg\xC3\xA5ngar = 3";
    const struct { std::string file, rules, changes; std::size_t rounds = SIZE_MAX; } cases[] = {
        // Up, down, the same place, new; a shared place before (B, F 2) and now (D, E 5).
        {kCup, "", "since R1: 1 C +3, 2 B 0, 3 A -2, 4 F -2, 5 D 0, 5 E ny,"},
        // The first round alone has nothing before it: every placed player is new.
        {kCup, "", "none: 1 A ny, 2 B ny, 2 F ny, 4 C ny, 5 D ny,", 1},
        {kCup + "\nR3\nA 30\n", "", "since R2: 1 A +2, 2 C -1, 3 B -1, 4 F 0, 5 D 0, 5 E 0,"},
        {kCup + "\nR3\nA 30\n", "", "since R1: 1 C +3, 2 B 0, 3 A -2, 4 F -2, 5 D 0, 5 E ny,", 2},
        // A last round without results, or one between, is passed over: the change is the
        // latest round's with results, against the one before that has them.
        {kCup + "\nR3\n", "", "since R1: 1 C +3, 2 B 0, 3 A -2, 4 F -2, 5 D 0, 5 E ny,"},
        {"Cup\n\nR1\nA 1\nB 2\n\nR2\n\nR3\nA 5\n", "", "since R1: 1 A +1, 2 B -1,"},
        // By the same rules: with the best round alone, B's 4 does not pass A's 5.
        {"Cup\n\nR1\nA 5\nB 3\n\nR2\nB 4\nA 1\n", "b\xC3\xA4sta = 1", "since R1: 1 A 0, 2 B 0,"},
        {"Cup\n\nR1\nA 5\nB 3\n\nR2\nB 4\nA 1\n", "", "since R1: 1 B +1, 2 A -1,"},
        // Placed now after none before under a minimum (new), and not placed now (nothing).
        {"Cup\n\nR1\nA 5\nB 9\n\nR2\nA 5\nB 1\nC 20\n", "minst = 2", "since R1: 1 A ny, 1 B ny, - C,"},
        {"Cup\n\nR1\nA 5\nB 9\n\nR2\nA 5\nD 7\n\nR3\nB 1\n", minimum, "since R2: 1 A 0, 1 B +1, - D,"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Changes(c.file, c.rules, c.rounds), c.changes) << c.file << c.rules;
}

// The worked example with the column: the page from its table on, and the same in CSV and JSON.
TEST(PlaceChange, PageCsvJson)
{
    const CTournament t = Parsed(kKlubbkamp);
    const std::string rules = "f\xC3\xB6r\xC3\xA4ndring = ja\n";
    const std::string td = "<td align=\"center\">", change = "<td align=\"center\" class=\"forandring";
    const std::string page = Page(t, rules);
    EXPECT_EQ(page.substr(page.find("<table")),
              "<table class=\"forandring\">\r\n<tr>\r\n<th align=\"center\"><b>Placering</b></th>\r\n"
              "<th align=\"center\" class=\"forandring\" title=\"F\xF6r\xE4ndring sedan Omg\xE5ng 1\"><b>+/&#8722;</b></th>\r\n"
              "<th><b>Namn</b></th>\r\n<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>\r\n"
              "<th align=\"center\"><b>Omg\xE5ng<br>1</b></th>\r\n<th align=\"center\"><b>Omg\xE5ng<br>2</b></th>\r\n"
              "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>\r\n</tr>\r\n"
              "<tr>\r\n" + td + "1</td>\r\n" + change + "\"><span role=\"img\" aria-label=\"samma plats\">&#8211;</span></td>\r\n"
              "<td>Anna</td>\r\n" + td + "15</td>\r\n" + td + "<b>10</b></td>\r\n" + td + "5</td>\r\n" + td + "2</td>\r\n</tr>\r\n"
              "<tr>\r\n" + td + "&nbsp;</td>\r\n" + change + " upp\"><span role=\"img\" aria-label=\"upp 2 platser\">&#9650; 2</span></td>\r\n"
              "<td>Bo</td>\r\n" + td + "15</td>\r\n" + td + "7</td>\r\n" + td + "<b>8</b></td>\r\n" + td + "2</td>\r\n</tr>\r\n"
              "<tr>\r\n" + td + "3</td>\r\n" + change + " ned\"><span role=\"img\" aria-label=\"ned 2 platser\">&#9660; 2</span></td>\r\n"
              "<td>Cecilia &amp; Co</td>\r\n" + td + "10</td>\r\n" + td + "<b>10</b></td>\r\n" + td + "&nbsp;</td>\r\n" + td +
              "1</td>\r\n</tr>\r\n</table>\r\n<p class=\"forandring\">F\xF6r\xE4ndring sedan Omg\xE5ng 1: &#9650; upp, &#9660; ned, "
              "&#8211; samma plats, ny: utan placering d\xE5.</p>\r\n</body>\r\n</html>\r\n");
    const CStandingsView view(t, Rules(rules));
    EXPECT_EQ(StandingsCsv(view), "Placering,Namn,Summa,Omg\xC3\xA5ng 1,Omg\xC3\xA5ng 2,Antal,F\xC3\xB6r\xC3\xA4ndring\r\n"
                                  "1,Anna,15,10,5,2,0\r\n1,Bo,15,7,8,2,2\r\n3,Cecilia & Co,10,10,,1,-2\r\n");
    EXPECT_NE(StandingsExcelCsv(view).find(";Antal;F\xC3\xB6r\xC3\xA4ndring\r\n1;Anna;15;10;5;2;0\r\n"), std::string::npos);
    const std::string json = StandingsJson(view);
    EXPECT_NE(json.find("\"change_since\": \"Omg\xC3\xA5ng 1\", \"standings\""), std::string::npos);
    EXPECT_EQ(json.substr(json.find("\"played\": 2, \"change\"")), "\"played\": 2, \"change\": 0},\n"
              R"(  {"place": 1, "name": "Bo", "total": 15, "points": [7, 8], "played": 2, "change": 2},)" "\n"
              R"(  {"place": 3, "name": "Cecilia & Co", "total": 10, "points": [10, null], "played": 1, "change": -2})" "\n]}\n");
    // One round held: no column on the page, every placed player new in the data; without
    // the settings, and with "nej", every output as it always was.
    const CStandingsView first(t, Rules(rules), 1);
    EXPECT_EQ(Page(t, rules, 1), Page(t, "", 1));
    EXPECT_EQ(StandingsCsv(first), "Placering,Namn,Summa,Omg\xC3\xA5ng 1,Antal,F\xC3\xB6r\xC3\xA4ndring\r\n"
                                   "1,Anna,10,10,1,ny\r\n1,Cecilia & Co,10,10,1,ny\r\n3,Bo,7,7,1,ny\r\n");
    const CStandingsView plain(t, CSeriesRules()), off(t, Rules("f\xC3\xB6r\xC3\xA4ndring = nej\ndiagram = nej"));
    EXPECT_EQ(Page(t, "diagram = nej"), Page(t, ""));
    EXPECT_EQ(StandingsCsv(off) + StandingsJson(off), StandingsCsv(plain) + StandingsJson(plain));
}

// The chart read back as XML: one line per leader through its running total (of the best
// rounds so far, under a rule of best rounds), named at its end, and told in words.
TEST(RaceChart, SvgPoints)
{
    const CTournament t = Parsed(kKlubbkamp);
    const struct { std::string rules, lines; } cases[] = {
        // Up to 15 in steps of 5: y = 210 - 200 * total / 15.
        {"diagram = ja", "Anna 0,76.7 1,10|Bo 0,116.7 1,10|Cecilia & Co 0,76.7 1,76.7|"},
        // The best round alone: Bo's 8 replaces his 7; up to 10 in steps of 2.
        {"diagram = ja\nb\xC3\xA4sta = 1", "Anna 0,10 1,10|Cecilia & Co 0,10 1,10|Bo 0,70 1,50|"},
    };
    for (const auto& c : cases) {
        const std::string page = Page(t, c.rules);
        const std::size_t start = page.find("<svg xmlns"), end = page.rfind("</svg>");
        ASSERT_NE(start, std::string::npos) << c.rules;
        // The page is in the tournament's Windows-1252; its letters here are Latin-1's.
        QXmlStreamReader xml(QString::fromLatin1(page.substr(start, end + 6 - start)));
        QStringList points, texts;
        int slanted = 0; // a stroke other than the lines and the level rules, which reads as a line
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"polyline")
                points << xml.attributes().value("points").toString();
            else if (xml.name() == u"text")
                texts << xml.readElementText();
            else if (xml.name() == u"line")
                slanted += xml.attributes().value("y1") != xml.attributes().value("y2");
        }
        ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString() << c.rules;
        EXPECT_EQ(slanted, 0) << c.rules;
        // The names are the last texts, one at each line's end.
        ASSERT_GE(texts.size(), points.size());
        std::string shown;
        for (qsizetype i = 0; i < points.size(); ++i)
            shown += texts[texts.size() - points.size() + i].toStdString() + " " + points[i].toStdString() + "|";
        EXPECT_EQ(shown, c.lines) << c.rules;
    }
    EXPECT_NE(Page(t, "diagram = ja").find("<title id=\"diagram-titel\">Summan efter varje omg\xE5ng f\xF6r de 3 fr\xE4msta</title>\r\n"
                                           "<desc id=\"diagram-text\">Ett linjediagram med en linje per spelare, fr\xE5n Omg\xE5ng 1 "
                                           "till Omg\xE5ng 2. Efter Omg\xE5ng 2: Anna 15, Bo 15, Cecilia &amp; Co 10.</desc>"),
              std::string::npos);
    // Nothing to draw for one round.
    EXPECT_EQ(Page(t, "diagram = ja", 1), Page(t, "", 1));
}

// A ruled page explains every place that is not plain, each mark on a place shown: ties no
// criterion split, places criteria decided, players not placed (one note per count of rounds).
TEST(PlaceNotes, MarksAndTexts)
{
    const struct { std::string results, rules, places, notes; } cases[] = {
        // A and B share 2; wins put C below B, whose place is empty: the mark goes on C's 4,
        // which also carries the mark for putting E lower on the best round.
        {"A 5\nB 5\nC 3\nE 2\n\nR2\nC 2\nD 9\nE 2\n\nR3\nD 2\nE 1\n", "s\xC3\xA4rskiljning = segrar, h\xC3\xB6gsta",
         "1|2<sup>1</sup>|&nbsp;|4<sup>2,3</sup>|5|",
         "<sup>1</sup> 2: A och B delar platsen: lika p\xE5 alla kriterier<br>\r\n<sup>2</sup> 4: B f\xF6re C p\xE5 flest "
         "omg\xE5ngssegrar (1 mot 0)<br>\r\n<sup>3</sup> 4: C f\xF6re E p\xE5 h\xF6gsta enskilda omg\xE5ng (3 mot 2)</p>\r\n"},
        {"A 3\nB 3\nC 3\nE 1\nF 4\nG 0\n\nR2\nA 2\nB 2\nC 2\nF 4\n\nR3\nA 1\nB 1\nC 1\n",
         "minst = 3\ns\xC3\xA4rskiljning = h\xC3\xB6gsta",
         "1<sup>1</sup>|&nbsp;|&nbsp;|ej placerad<sup>2</sup>|ej placerad<sup>3</sup>|ej placerad<sup>3</sup>|",
         "<sup>1</sup> 1: A, B och C delar platsen: lika p\xE5 alla kriterier<br>\r\n<sup>2</sup> ej placerad: 2 av "
         "minst 3 omg\xE5ngar<br>\r\n<sup>3</sup> ej placerad: 1 av minst 3 omg\xE5ngar</p>\r\n"},
        // Without criteria a shared place is plain.
        {"A 5\nB 5\n", "minst = 1", "1|&nbsp;|", ""},
    };
    for (const auto& c : cases) {
        const std::string page = Page(Parsed("Cup\n\nR1\n" + c.results), c.rules);
        // Each row's place cell; the notes' paragraph, one line a note.
        std::string places;
        const std::regex place("<tr[^>]*>\r\n<td align=\"center\">(.*)</td>");
        for (std::sregex_iterator row(page.begin(), page.end(), place), end; row != end; ++row)
            places += (*row)[1].str() + "|";
        const std::size_t noter = page.find("<p class=\"noter\">\r\n"), body = page.find("</body>");
        const std::size_t notes = noter == std::string::npos ? body : noter + 19;
        EXPECT_EQ(places, c.places) << c.results;
        EXPECT_EQ(page.substr(notes, body - notes), c.notes) << c.results;
    }
}

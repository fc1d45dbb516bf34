// SPDX-License-Identifier: GPL-3.0-or-later
// The club's archive: seasons of a folder made into a site, through the real command.
#include "FileHelpers.h"
#include "archive/Archive.h"
#include "archive/SiteFolder.h"
#include "tools/Tool.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {

// A small club: two seasons in the records (classes and teams in the newer, Anna spelled two
// ways, a tie for the best round), one out of them, one left out and one the reader refuses.
const std::pair<const char*, const char*> kClub[] = {
    {"2024.txt", "H\xC3\xB6stserien 2024\n\nOmg\xC3\xA5ng 1\nAnna 10\nBo 10\nCilla 4\n\nOmg\xC3\xA5ng 2\nAnna 6\nBo 9\n"},
    {"2024.regler", "s\xC3\xA4song = 2024 h\xC3\xB6st\n"},
    {"v\xC3\xA5r/2025.txt",
     "V\xC3\xA5rserien\n\nOmg\xC3\xA5ng 1\nAnna B. 7\nBo 3\n<i>Dan</i> 7\n\nOmg\xC3\xA5ng 2\nBo 8\nAnna B. 2\n"},
    {"v\xC3\xA5r/2025.regler", "s\xC3\xA4song = 2025 v\xC3\xA5r\nlag = 1\n"},
    {"v\xC3\xA5r/2025.spelare", "[klass A]\nAnna B.\nBo\n[klass B]\n<i>Dan</i>\n[lag R\xC3\xB6" "da]\nAnna B.\n"
                                "<i>Dan</i>\n[lag Bl\xC3\xA5]\nBo\n"},
    {"2023.txt", "Vintern\n\nR1\nCilla 50\n"},
    {"2023.regler", "s\xC3\xA4song = 2023 vinter\nrekord = nej\n"},
    {"gammal.txt", "Gammal\n\nR1\nX 1\n"},
    {"gammal.regler", "arkiv = nej\n"},
    {"trasig.txt", "Trasig\n\nR1\nAnna\n"},
    {"arkiv.spelare", "# Samma person\n[samma som Anna]\nAnna B.\n"},
};

struct CRun
{
    int code;
    std::string out, err;
};

CRun Tool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = RunTool(args, out, err);
    return {code, out.str(), err.str()};
}

// The lines every page of the archive starts with.
std::string Head(const std::string& title, const std::string& up)
{
    return "<html>\n<head>\n<meta name=\"GENERATOR\" content=\"Ravelmark\">\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" + title + "</title>\n"
           "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + up + "table.css\"/>\n"
           "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + up + "arkiv.css\"/>\n</head>\n<body>\n"
           "<p class=\"arkiv\"><a href=\"" + up + "index.html\">S\xC3\xA4songer</a> \xC2\xB7 <a href=\"" + up +
           "rekord.html\">Rekord</a></p>\n<h3>" + title + "</h3>\n";
}

class Archive : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir().mkpath(Path("v\xC3\xA5r"));
        for (const auto& [name, text] : kClub)
            ASSERT_TRUE(WriteBytes(Path(name), text));
    }
    QString Path(const std::string& name) const { return m_dir.filePath(QString::fromStdString(name)); }
    std::string Site(const std::string& name) const { return ReadBytes(Path("arkiv/" + name)); }

    QTemporaryDir m_dir;
};

TEST_F(Archive, SiteOfASmallClub)
{
    const CRun run = Tool({"archive", m_dir.path().toStdString()});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "ravelmark-tool: trasig.txt l\xC3\xA4mnas utanf\xC3\xB6r arkivet: Rad 4 : \"Anna\" "
                       "F\xC3\xB6rv\xC3\xA4ntad resultatrad: <Spelarnamn> <Po\xC3\xA4ng>\n");
    EXPECT_EQ(run.out, "Utanf\xC3\xB6r arkivet (arkiv = nej): gammal.txt\nArkivet i " + Path("arkiv").toStdString() +
                           ": 3 s\xC3\xA4songer, 4 spelare; 11 filer skrivna, 0 of\xC3\xB6r\xC3\xA4ndrade, 0 borttagna\n");
    EXPECT_EQ(Site("index.html"),
              Head("Arkiv", "") +
              "<h4>S\xC3\xA4songer</h4>\n"
              "<table class=\"arkiv\">\n"
              "<tr><th><b>S\xC3\xA4song</b></th><th><b>Vinnare</b></th><th><b>Spelare</b></th><th><b>Omg\xC3\xA5ngar</b></th></tr>\n"
              "<tr><td><a href=\"var-2025.htm\">2025 v\xC3\xA5r</a> (V\xC3\xA5rserien)</td><td>Totalt: <a href=\"spelare/bo.html\">Bo</a><br>A: <a href=\"spelare/bo.html\">Bo</a><br>B: <a href=\"spelare/i-dan-i.html\">&lt;i&gt;Dan&lt;/i&gt;</a><br>Lag: Bl\xC3\xA5</td><td align=\"center\">3</td><td align=\"center\">2</td></tr>\n"
              "<tr><td><a href=\"2024.htm\">2024 h\xC3\xB6st</a> (H\xC3\xB6stserien 2024)</td><td><a href=\"spelare/bo.html\">Bo</a></td><td align=\"center\">3</td><td align=\"center\">2</td></tr>\n"
              "<tr><td><a href=\"2023.htm\">2023 vinter</a> (Vintern)</td><td><a href=\"spelare/cilla.html\">Cilla</a></td><td align=\"center\">1</td><td align=\"center\">1</td></tr>\n"
              "</table>\n"
              "<h4>Spelare</h4>\n"
              "<ul class=\"spelarlista\">\n"
              "<li><a href=\"spelare/i-dan-i.html\">&lt;i&gt;Dan&lt;/i&gt;</a></li>\n"
              "<li><a href=\"spelare/anna.html\">Anna</a></li>\n"
              "<li><a href=\"spelare/bo.html\">Bo</a></li>\n"
              "<li><a href=\"spelare/cilla.html\">Cilla</a></li>\n"
              "</ul>\n"
              "</body>\n</html>\n");
    EXPECT_EQ(Site("spelare/anna.html"),
              Head("Anna", "../") +
              "<table class=\"arkiv\">\n"
              "<tr><th><b>S\xC3\xA4song</b></th><th><b>Placering</b></th><th><b>Summa</b></th><th><b>Omg\xC3\xA5ngar</b></th><th><b>B\xC3\xA4sta<br>omg\xC3\xA5ng</b></th><th><b>Omg\xC3\xA5ngs\xC2\xADsegrar</b></th></tr>\n"
              "<tr><td><a href=\"../var-2025.htm\">2025 v\xC3\xA5r</a></td><td align=\"center\">2<br>A: 2</td><td align=\"center\">9</td><td align=\"center\">2</td><td align=\"center\">7</td><td align=\"center\">1</td></tr>\n"
              "<tr><td><a href=\"../2024.htm\">2024 h\xC3\xB6st</a></td><td align=\"center\">2</td><td align=\"center\">16</td><td align=\"center\">2</td><td align=\"center\">10</td><td align=\"center\">1</td></tr>\n"
              "</table>\n"
              "<p class=\"summa\">Totalt: 2 s\xC3\xA4songer, 4 omg\xC3\xA5ngar, 2 omg\xC3\xA5ngssegrar, 0 s\xC3\xA4songssegrar. B\xC3\xA4sta placering: 2.</p>\n"
              "<p>Stavat: Anna, Anna B.</p>\n"
              "</body>\n</html>\n");
    EXPECT_EQ(Site("rekord.html"),
              Head("Rekord", "") +
              "<h4>M\xC3\xA4stare</h4>\n"
              "<table class=\"arkiv\">\n"
              "<tr><th><b>S\xC3\xA4song</b></th><th><b>Tabell</b></th><th><b>M\xC3\xA4stare</b></th></tr>\n"
              "<tr><td><a href=\"var-2025.htm\">2025 v\xC3\xA5r</a></td><td>Totalt</td><td><a href=\"spelare/bo.html\">Bo</a></td></tr>\n"
              "<tr><td><a href=\"var-2025.htm\">2025 v\xC3\xA5r</a></td><td>A</td><td><a href=\"spelare/bo.html\">Bo</a></td></tr>\n"
              "<tr><td><a href=\"var-2025.htm\">2025 v\xC3\xA5r</a></td><td>B</td><td><a href=\"spelare/i-dan-i.html\">&lt;i&gt;Dan&lt;/i&gt;</a></td></tr>\n"
              "<tr><td><a href=\"var-2025.htm\">2025 v\xC3\xA5r</a></td><td>Lag</td><td>Bl\xC3\xA5</td></tr>\n"
              "<tr><td><a href=\"2024.htm\">2024 h\xC3\xB6st</a></td><td>Totalt</td><td><a href=\"spelare/bo.html\">Bo</a></td></tr>\n"
              "</table>\n"
              "<h4>R\xC3\xA4kning: po\xC3\xA4ng, h\xC3\xB6gst vinner</h4>\n"
              "<table class=\"arkiv\">\n"
              "<tr><th><b>Rekord</b></th><th><b>V\xC3\xA4rde</b></th><th><b>Innehavare</b></th></tr>\n"
              "<tr><td>H\xC3\xB6gsta omg\xC3\xA5ng</td><td align=\"center\">10</td><td><a href=\"spelare/bo.html\">Bo</a> (2024 h\xC3\xB6st, Omg\xC3\xA5ng 1)<br><a href=\"spelare/anna.html\">Anna</a> (2024 h\xC3\xB6st, Omg\xC3\xA5ng 1)</td></tr>\n"
              "<tr><td>Flest omg\xC3\xA5ngssegrar under en s\xC3\xA4song</td><td align=\"center\">2</td><td><a href=\"spelare/bo.html\">Bo</a> (2024 h\xC3\xB6st)</td></tr>\n"
              "<tr><td>Flest omg\xC3\xA5ngssegrar totalt</td><td align=\"center\">3</td><td><a href=\"spelare/bo.html\">Bo</a></td></tr>\n"
              "</table>\n"
              "<h4>Alla s\xC3\xA4songer</h4>\n"
              "<table class=\"arkiv\">\n"
              "<tr><th><b>Rekord</b></th><th><b>V\xC3\xA4rde</b></th><th><b>Innehavare</b></th></tr>\n"
              "<tr><td>Flest s\xC3\xA4songer</td><td align=\"center\">2</td><td><a href=\"spelare/anna.html\">Anna</a><br><a href=\"spelare/bo.html\">Bo</a></td></tr>\n"
              "<tr><td>L\xC3\xA4ngsta svit av s\xC3\xA4songer</td><td align=\"center\">2</td><td><a href=\"spelare/anna.html\">Anna</a> (2024 h\xC3\xB6st \xE2\x80\x93 2025 v\xC3\xA5r)<br><a href=\"spelare/bo.html\">Bo</a> (2024 h\xC3\xB6st \xE2\x80\x93 2025 v\xC3\xA5r)</td></tr>\n"
              "</table>\n"
              "</body>\n</html>\n");
}

// Every spelling a name may have gets a page of its own, under a name safe on any disk.
TEST_F(Archive, UnsafeNames)
{
    const struct { const char* name; const char* file; } cases[] = {
        {"A/B", "a-b"}, {"..", "x"}, {"CON", "con-x"}, {"lpt1.txt", "lpt1-txt-x"}, {"Anna", "anna"}, {"anna", "anna-2"},
        {"\xC3\x85sa \xC3\x96" "berg", "asa-oberg"}, {"<b>&\"'", "b"}, {"", "x-2"}, {"b", "b-2"},
    };
    std::set<std::string> taken;
    for (const auto& c : cases)
        EXPECT_EQ(SafeFileName(c.name, taken), c.file) << c.name;

    // Through the command: a season in Windows-1252 beside one in UTF-8, names with markup.
    ASSERT_TRUE(WriteBytes(Path("namn.txt"), "Namn\n\nR1\nA/B 1\n.. 2\nCON 3\nanna 4\n<b>&\"' 5\n"));
    ASSERT_TRUE(WriteBytes(Path("namn1252.txt"), "Namn\n\nR1\n\xC5sa \x80 6\n"));
    ASSERT_EQ(Tool({"archive", m_dir.path().toStdString()}).code, 0);
    EXPECT_EQ(Entries(Path("arkiv/spelare")).join(' ').toStdString(),
              "a-b.html anna-2.html anna.html asa.html b.html bo.html cilla.html con-x.html i-dan-i.html x.html");
    EXPECT_NE(Site("spelare/b.html").find("<h3>&lt;b&gt;&amp;&quot;'</h3>"), std::string::npos);
    EXPECT_NE(Site("spelare/asa.html").find("<title>\xC3\x85sa \xE2\x82\xAC</title>"), std::string::npos);
}

// A second run writes nothing; a season changed since writes what shows it, and removes the
// page of a name no season has any more, after the index.
TEST_F(Archive, ChangedBetweenRuns)
{
    const std::string dir = m_dir.path().toStdString();
    ASSERT_EQ(Tool({"archive", dir}).code, 0);
    EXPECT_NE(Tool({"archive", dir}).out.find("0 filer skrivna, 11 of\xC3\xB6r\xC3\xA4ndrade, 0 borttagna"),
              std::string::npos);
    ASSERT_TRUE(WriteBytes(Path("2023.txt"), "Vintern\n\nR1\nCecilia 50\n"));
    ASSERT_TRUE(WriteBytes(Path("2024.txt"), std::string(kClub[0].second).replace(42, 5, "Cecilia")));
    EXPECT_NE(Tool({"archive", dir}).out.find("4 filer skrivna, 7 of\xC3\xB6r\xC3\xA4ndrade, 1 borttagna"),
              std::string::npos);
    EXPECT_FALSE(QFile::exists(Path("arkiv/spelare/cilla.html")));
    EXPECT_NE(Site("index.html").find(">Cecilia</a>"), std::string::npos);
    EXPECT_EQ(Site(".ravelmark-arkiv").find("cilla"), std::string::npos);
}

// A season of strokes is ranked by its own counting, and its records stand apart from the points
// seasons': its best round is its lowest.
TEST_F(Archive, StrokesApart)
{
    ASSERT_TRUE(WriteBytes(Path("golf.txt"), "Golf\n\nR1\nAnna 40\nBo 36\n\nR2\nAnna 38\nBo 41\n"));
    ASSERT_TRUE(WriteBytes(Path("golf.regler"), "s\xC3\xA4song = 2022 sommar\nr\xC3\xA4kning = slag\n"));
    ASSERT_EQ(Tool({"archive", m_dir.path().toStdString()}).code, 0);
    const std::string records = Site("rekord.html");
    const std::size_t strokes = records.find("<h4>R\xC3\xA4kning: slag, l\xC3\xA4gst vinner</h4>");
    ASSERT_NE(strokes, std::string::npos) << records;
    EXPECT_NE(records.find("<tr><td>L\xC3\xA4gsta omg\xC3\xA5ng</td><td align=\"center\">36</td><td><a "
                           "href=\"spelare/bo.html\">Bo</a> (2022 sommar, R1)</td></tr>",
                           strokes),
              std::string::npos);
    // The points seasons' highest round is still theirs alone.
    EXPECT_NE(records.find("<tr><td>H\xC3\xB6gsta omg\xC3\xA5ng</td><td align=\"center\">10</td>"), std::string::npos);
    EXPECT_NE(Site("spelare/bo.html").find("<tr><td><a href=\"../golf.htm\">2022 sommar</a></td><td align=\"center\">1</td>"
                                          "<td align=\"center\">77 slag</td><td align=\"center\">2</td><td "
                                          "align=\"center\">36</td>"),
              std::string::npos);
}

// Names alike across seasons are suggested, never joined; those arkiv.spelare joins are not.
TEST_F(Archive, Check)
{
    ASSERT_TRUE(WriteBytes(Path("2022.txt"), "Gamla\n\nR1\nanna 3\nB\xC3\xB6 2\nBo 1\n"));
    const CRun run = Tool({"archive", "--check", m_dir.path().toStdString()});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "Utanf\xC3\xB6r arkivet (arkiv = nej): gammal.txt\n"
                       "M\xC3\xB6jligen samma spelare: Anna (2025 v\xC3\xA5r, 2024 h\xC3\xB6st) / anna (Gamla)\n"
                       "M\xC3\xB6jligen samma spelare: Bo (Gamla, 2025 v\xC3\xA5r, 2024 h\xC3\xB6st) / B\xC3\xB6 (Gamla)\n");
    EXPECT_FALSE(QFile::exists(Path("arkiv")));
    EXPECT_EQ(Tool({"archive", m_dir.path().toStdString(), "--check", "--out", "x"}).code, 2);
}

} // namespace

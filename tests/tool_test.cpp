// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHelpers.h"
#include "StringOutput.h"
#include "report/StandingsView.h"
#include "tools/Tool.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

static const QString kExamples = QStringLiteral(RAVELMARK_EXAMPLES);
static const std::string kKalle =
    "Rad 5 : \"Kalle\"\nF\xC3\xB6rv\xC3\xA4ntad resultatrad: <Spelarnamn> <Po\xC3\xA4ng>\n";

// "exit code|standard output|standard error"
static std::string Tool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = RunTool(args, out, err);
    return std::to_string(code) + "|" + out.str() + "|" + err.str();
}

TEST(Tool, Check)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("cup.txt").toStdString();
    const std::string notInteger = "1||Rad 4 : \"\xC3\x85sa x\"\nPo\xC3\xA4ng ska vara ett heltal\n";
    const std::pair<std::string, std::string> cases[] = {
        {"V\xE5rcup\n\nR\nA 1\nKalle\n", "1||" + kKalle}, {"Cup\n\nR\n\xC5sa x\n", notInteger},
        {"Cup\n\nR\n\xC3\x85sa x\n", notInteger}};
    for (const auto& [bytes, outcome] : cases) {
        ASSERT_TRUE(WriteBytes(QString::fromStdString(path), bytes));
        EXPECT_EQ(Tool({"check", path}), outcome);
    }
}

TEST(Tool, Table)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("klubbkamp.txt").toStdString();
    ASSERT_TRUE(QFile::copy(kExamples + "/klubbkamp.txt", dir.filePath("klubbkamp.txt")));
    ASSERT_TRUE(WriteBytes(dir.filePath("klubbkamp.htm"), std::string(100000, 'x')));
    EXPECT_EQ(Tool({"table", file}), "0||");
    EXPECT_EQ(ReadBytes(dir.filePath("klubbkamp.htm")), kWorkedExamplePage);

    // After the first round: the page of a file that holds that round alone.
    ASSERT_TRUE(WriteBytes(dir.filePath("first.txt"), "Klubbkamp\n\nOmg\xE5ng 1\nAnna 10\nBo 7\nCecilia 10\n"));
    const std::string first = dir.filePath("first.txt").toStdString();
    EXPECT_EQ(Tool({"table", first}) + Tool({"table", "--after", "1", file}), "0||0||");
    EXPECT_EQ(ReadBytes(dir.filePath("klubbkamp.htm")), ReadBytes(dir.filePath("first.htm")));
}

// The standings as CSV (CR LF, place on every row, empty field for no result) and as JSON
// (null for no result), in UTF-8 whatever the file's encoding.
TEST(Tool, StandingsFormats)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("cup.txt").toStdString();
    const std::string klubbkamp = ReadBytes(kExamples + "/klubbkamp.txt");
    const struct { std::string bytes; std::vector<std::string> args; std::string out; } cases[] = {
        {klubbkamp, {"--format", "csv"}, "Placering,Namn,Summa,Omg\xC3\xA5ng 1,Omg\xC3\xA5ng 2,Antal\r\n"
                                         "1,Anna,15,10,5,2\r\n1,Bo,15,7,8,2\r\n3,Cecilia,10,10,,1\r\n"},
        {klubbkamp, {"--after", "1", "--format", "csv"},
         "Placering,Namn,Summa,Omg\xC3\xA5ng 1,Antal\r\n1,Anna,10,10,1\r\n1,Cecilia,10,10,1\r\n3,Bo,7,7,1\r\n"},
        {klubbkamp, {"--after", "1"}, "Plac  Namn     Summa  Omg\xC3\xA5ng 1  Antal\n   1  Anna        10        10      1\n"
                                      "      Cecilia     10        10      1\n   3  Bo           7         7      1\n"},
        {klubbkamp, {"--format", "json"},
         "{\"title\": \"Klubbkamp\", \"rounds\": [\"Omg\xC3\xA5ng 1\", \"Omg\xC3\xA5ng 2\"], \"standings\": [\n"
         "  {\"place\": 1, \"name\": \"Anna\", \"total\": 15, \"points\": [10, 5], \"played\": 2},\n"
         "  {\"place\": 1, \"name\": \"Bo\", \"total\": 15, \"points\": [7, 8], \"played\": 2},\n"
         "  {\"place\": 3, \"name\": \"Cecilia\", \"total\": 10, \"points\": [10, null], \"played\": 1}\n]}\n"},
        {"C\xE5p\n\nR\n\xC5sa 1\n\n", {"--format", "json"},
         "{\"title\": \"C\xC3\xA5p\", \"rounds\": [\"R\"], \"standings\": [\n"
         "  {\"place\": 1, \"name\": \"\xC3\x85sa\", \"total\": 1, \"points\": [1], \"played\": 1}\n]}\n"},
        {"Cup\n", {"--format", "json"}, "{\"title\": \"Cup\", \"rounds\": [], \"standings\": [\n]}\n"},
        // A leader with 0 points keeps place 1; no result is blank, in CSV unlike 0 points.
        {"Cup\n\nR1\nAnna 0\nBo 0\n\nR2\nBo 0\n\nR3\n", {"--format", "text"},
         "Plac  Namn  Summa  R1  R2  R3  Antal\n   1  Anna      0                  1\n      Bo        0                  2\n"},
        {"Cup\n\nR1\nAnna 0\nBo 0\n\nR2\nBo 0\n\nR3\n", {"--format", "csv"},
         "Placering,Namn,Summa,R1,R2,R3,Antal\r\n1,Anna,0,0,,,1\r\n1,Bo,0,0,0,,2\r\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(QString::fromStdString(file), c.bytes));
        std::vector<std::string> args = {"standings", file};
        args.insert(args.begin() + (c.args[0] == "--after" ? 2 : 1), c.args.begin(), c.args.end());
        EXPECT_EQ(Tool(args), "0|" + c.out + "|") << c.bytes << c.args[0];
    }
}

// A page of many blocks, larger than every buffer on its way to the disk: after the head of the
// page of the same rounds without results, a row per player as this small writer makes it.
TEST(Tool, PageLargerThanItsBuffers)
{
    QTemporaryDir dir;
    std::string file = "Cup\n", rows, empty = "Cup\n";
    for (int round = 1; round <= 4; ++round) {
        file += "\nOmg\xE5ng " + std::to_string(round) + "\n";
        empty += "\nOmg\xE5ng " + std::to_string(round) + "\n";
        for (int player = round; player < 20000; player += 1 + (player + round) % 4)
            file += "Spelare " + std::to_string(player) + " " + std::to_string(player * round % 97) + "\n";
    }
    const CTournament t = Parsed(file);
    const CStandingsView view(t);
    const auto cell = [&rows](const std::string& text) { rows += "<td align=\"center\">" + (text.empty() ? "&nbsp;" : text) + "</td>\r\n"; };
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const CStandingsLine line = view.Line(i);
        rows += "<tr>\r\n";
        cell(line.m_placeShown ? std::to_string(line.m_place) : "");
        rows += "<td>" + std::string(view.Name(line)) + "</td>\r\n";
        cell(std::to_string(line.m_total));
        for (std::size_t k = 0; k < view.RoundCount(); ++k) {
            const int points = view.Points(i, k).value_or(0);
            cell(points == 0 ? "" : points == view.BestPoints(k) ? "<b>" + std::to_string(points) + "</b>" : std::to_string(points));
        }
        cell(std::to_string(line.m_roundsPlayed));
        rows += "</tr>\r\n";
    }
    ASSERT_TRUE(WriteBytes(dir.filePath("big.txt"), file) && WriteBytes(dir.filePath("empty.txt"), empty));
    EXPECT_EQ(Tool({"table", dir.filePath("big.txt").toStdString()}) + Tool({"table", dir.filePath("empty.txt").toStdString()}), "0||0||");
    std::string page = ReadBytes(dir.filePath("empty.htm"));
    page.insert(page.rfind("</table>"), rows);
    EXPECT_GT(page.size(), 3u << 20);
    EXPECT_TRUE(ReadBytes(dir.filePath("big.htm")) == page);
}

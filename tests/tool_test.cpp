// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHelpers.h"
#include "StringOutput.h"
#include "report/StandingsView.h"
#include "tools/Tool.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

static const QString kExamples = QStringLiteral(RAVELMARK_EXAMPLES);
// A usage error's line on stderr, with its reason.
static std::string Usage(const std::string& reason)
{
    return "2||ravelmark-tool: " + reason + " (se ravelmark-tool --help)\n";
}
static const std::string kKalle =
    "Rad 5 : \"Kalle\"\nF\xC3\xB6rv\xC3\xA4ntad resultatrad: <Spelarnamn> <Po\xC3\xA4ng>\n";

// "exit code|standard output|standard error"
static std::string Tool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = RunTool(args, out, err);
    return std::to_string(code) + "|" + out.str() + "|" + err.str();
}

TEST(Tool, CheckAndUsage)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("cup.txt").toStdString(), missing = dir.filePath("saknas.txt").toStdString();
    const std::string notInteger = "\"\nPo\xC3\xA4ng ska vara ett heltal\n", longLine = "d" + std::string(399, 'e'), cut = "d" + std::string(199, 'e');
    const std::string a300 = QString(300, QChar(0xE5)).toStdString();
    // Control characters reach the terminal as escapes (0x8D of Windows-1252 stands for U+008D);
    // a long line is cut at 200 characters.
    const std::pair<std::string, std::string> cases[] = {
        {"V\xE5rcup\n\nR\nA 1\nKalle\n", "1||" + kKalle}, {"Cup\n\nR\n\xC5sa x\n", "1||Rad 4 : \"\xC3\x85sa x" + notInteger},
        {"Cup\n\nR\n\xC3\x85sa x\n", "1||Rad 4 : \"\xC3\x85sa x" + notInteger},
        {"Cup\n\nR\nA\x1B]0;x\x07\x7F\r 1\x1B[2J\n", "1||Rad 4 : \"A\\x1b]0;x\\x07\\x7f\\x0d 1\\x1b[2J" + notInteger},
        {"Cup\n\nR\n\xC3\x85\xC2\x9B" "2J x\n", "1||Rad 4 : \"\xC3\x85\\x9b" "2J x" + notInteger},
        {"Cup\n\nR\n\x8D\xC5 x\n", "1||Rad 4 : \"\\x8d\xC3\x85 x" + notInteger},
        {"Cup\n\nR\n" + longLine + " x\n", "1||Rad 4 : \"" + cut + "\xE2\x80\xA6" + notInteger},
        {"Cup\n\nR\n" + a300 + " x\n", "1||Rad 4 : \"" + a300.substr(0, 400) + "\xE2\x80\xA6" + notInteger},
        {"Cup\n\nR\n" + a300.substr(0, 396) + " x\n", "1||Rad 4 : \"" + a300.substr(0, 396) + " x" + notInteger},
        {"\xEF\xBB\xBF", "1||Rad 1 : \"\"\nTitelraden \xC3\xA4r tom\n"},
        // Names likely one person: case and the accents Swedish does not count aside, and Å typed
        // as A; Ü is Y to Swedish and U to others, so that the three names make one group.
        {"Cup\n\nR1\nAnna Svensson 1\nRen\xE9 2\n\xC5sa 1\nBo 1\nM\xFCller 1\n\nR2\nRene 1\nAsa 2\nanna   SVENSSON 3\n"
         "Ren\xC9 1\nMyller 1\nMuller 1\n",
         "0|M\xC3\xB6jliga dubbletter: Anna Svensson / anna SVENSSON\n"
         "M\xC3\xB6jliga dubbletter: Ren\xC3\xA9 / Rene / Ren\xC3\x89\nM\xC3\xB6jliga dubbletter: \xC3\x85sa / Asa\n"
         "M\xC3\xB6jliga dubbletter: M\xC3\xBCller / Myller / Muller\n|"},
        // A letter away, for five letters or more: each group once, digits never what differs.
        {"Cup\n\nR1\nBirgitta \xD6" "berg 1\nBo Ek 1\nLaget 12 1\nKarin Berg 1\n\nR2\nBirgita Oberg 2\nBo Eke 1\n"
         "Laget 13 1\nKarin Borg 1\nKarin Bxrg 1\n",
         "0|M\xC3\xB6jliga dubbletter: Birgitta \xC3\x96" "berg / Birgita Oberg\n"
         "M\xC3\xB6jliga dubbletter: Karin Berg / Karin Borg / Karin Bxrg\n|"},
        // A player twice in a round (the later line counts; tabs and blanks as one), a round of a name alone.
        {"Cup\n\nR1\nBo  Ek 1\nAnna 2\nBo\tEk 3\n\nTom\n\nR3\n\xC5sa 1\n\xC5sa 2\n\xC5sa 4\n\nSist\n",
         "0|Rad 6: Bo Ek st\xC3\xA5r tv\xC3\xA5 g\xC3\xA5nger i omg\xC3\xA5ngen \"R1\" (rad 4 och 6); po\xC3\xA4ngen p\xC3\xA5 rad 6 g\xC3\xA4ller\n"
         "Rad 8: omg\xC3\xA5ngen \"Tom\" har inga resultat\n"
         "Rad 12: \xC3\x85sa st\xC3\xA5r tv\xC3\xA5 g\xC3\xA5nger i omg\xC3\xA5ngen \"R3\" (rad 11 och 12); po\xC3\xA4ngen p\xC3\xA5 rad 12 g\xC3\xA4ller\n"
         "Rad 13: \xC3\x85sa st\xC3\xA5r tv\xC3\xA5 g\xC3\xA5nger i omg\xC3\xA5ngen \"R3\" (rad 11 och 13); po\xC3\xA4ngen p\xC3\xA5 rad 13 g\xC3\xA4ller\n"
         "Rad 15: omg\xC3\xA5ngen \"Sist\" har inga resultat\n|"}};
    for (const auto& [bytes, outcome] : cases) {
        ASSERT_TRUE(WriteBytes(QString::fromStdString(path), bytes));
        EXPECT_EQ(Tool({"check", path}), outcome);
    }
    ASSERT_TRUE(WriteBytes(QString::fromStdString(path), "Cup\n\nR\nA\x1B[2J\x07 5\n"));
    EXPECT_EQ(Tool({"standings", path}), "0|Plac  Namn    Summa  R  Antal\n   1  A\\x1b[2J\\x07      5  5      1\n|");
    for (const std::string& unreadable : {missing, dir.path().toStdString()})
        EXPECT_EQ(Tool({"check", unreadable}), "1||Kan inte \xC3\xB6ppna filen: " + unreadable + "\n");
    EXPECT_TRUE(Tool({"--help"}).starts_with("0|Anv\xC3\xA4ndning: ravelmark-tool KOMMANDO FIL [FLAGGOR]\n"));
    EXPECT_EQ(Tool({"--version"}), "0|ravelmark-tool " RAVELMARK_VERSION "\n|");
    // Usage errors are found before the file is read.
    const std::pair<std::vector<std::string>, std::string> usage[] = {
        {{}, "kommando saknas"}, {{"check"}, "turneringsfil saknas"}, {{"frobnicate", "x.txt"}, "ok\xC3\xA4nt kommando: frobnicate"},
        {{"check", "a.txt", "b\x1B\x9B\xC3"}, "h\xC3\xB6gst en fil: b\\x1b\\x9b\\xc3"}, {{"--help", "check"}, "--help st\xC3\xA5r ensamt"},
        {{"check", "x", "--open"}, "--open g\xC3\xA4ller bara table"}, {{"standings", "--csv", "x"}, "ok\xC3\xA4nd flagga: --csv"},
        {{"table", "x", "--format", "csv"}, "--format g\xC3\xA4ller bara standings"},
        {{"rewrite", "--after", "1", "x"}, "--after g\xC3\xA4ller bara table och standings"},
        {{"standings", "x", "--format", "xml"}, "--format xml: v\xC3\xA4lj text, csv, excel eller json"},
        {{"standings", "x", "--format"}, "--format saknar v\xC3\xA4rde"}, {{"standings", "x", "--after"}, "--after saknar v\xC3\xA4rde"},
        {{"standings", "x", "--after", "0"}, "--after 0: omg\xC3\xA5ngarna r\xC3\xA4knas fr\xC3\xA5n 1"},
        {{"standings", "x", "--after", "1x"}, "--after 1x: inget antal omg\xC3\xA5ngar"},
        {{"table", "x", "--port", "1"}, "--port g\xC3\xA4ller bara serve"}, {{"check", "--bind", "::1", "x"}, "--bind g\xC3\xA4ller bara serve"},
        {{"serve", "x", "--port", "0"}, "--port 0: ingen port (1 till 65535)"},
        {{"serve", "x", "--port", "65536"}, "--port 65536: ingen port (1 till 65535)"}, {{"serve", "x", "--bind"}, "--bind saknar v\xC3\xA4rde"}};
    for (const auto& [args, reason] : usage)
        EXPECT_EQ(Tool(args), Usage(reason));
}

// What serve refuses before it serves anything; what it serves is seen over loopback (serve_runs.py).
TEST(Tool, ServeRefuses)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteBytes(dir.filePath("bad"), "Cup\n\nR\nA 1\nKalle\n"));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.txt"), "Cup\n\nR\nA 1\n"));
    const std::string cup = dir.filePath("cup.txt").toStdString();
    EXPECT_EQ(Tool({"serve", dir.filePath("bad").toStdString(), "--bind", "127.0.0.1"}), "1||" + kKalle);
    EXPECT_EQ(Tool({"serve", cup, "--bind", "localhost"}), "1||ravelmark-tool: localhost \xC3\xA4r ingen IPv4-adress.\n");
    // A documentation address (TEST-NET-2) is on no computer: nothing to listen on, nothing sent.
    EXPECT_EQ(Tool({"serve", cup, "--bind", "198.51.100.1"}), "1||ravelmark-tool: Adressen finns inte p\xC3\xA5 den h\xC3\xA4r datorn.\n");
    for (const char* every : {"0.0.0.0", "255.255.255.255", "224.0.0.1"})
        EXPECT_EQ(Tool({"serve", cup, "--bind", every}),
                  "1||ravelmark-tool: " + std::string(every) + " \xC3\xA4r ingen adress p\xC3\xA5 den h\xC3\xA4r datorn att visa sidan p\xC3\xA5.\n");
    // dav:// sends the password in the clear: only to this computer's own addresses, by number.
    const std::string davReason = "2||ravelmark-tool: dav:// skickar allt okrypterat och anv\xC3\xA4nds bara mot den h\xC3\xA4r "
                                  "datorn; v\xC3\xA4lj davs:// (se ravelmark-tool --help)\n";
    for (const char* away : {"dav://klubben@198.51.100.1/site/", "dav://klubben@localhost/site/", "dav://kulan.se/"})
        EXPECT_EQ(Tool({"publish", cup, "--to", away}), davReason);
}

TEST(Tool, Table)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("klubbkamp.txt").toStdString(), cup = dir.filePath("cup.htm").toStdString();
    ASSERT_TRUE(QFile::copy(kExamples + "/klubbkamp.txt", dir.filePath("klubbkamp.txt")));
    ASSERT_TRUE(WriteBytes(dir.filePath("klubbkamp.htm"), std::string(100000, 'x')));
    EXPECT_EQ(Tool({"table", file}), "0||");
    EXPECT_EQ(ReadBytes(dir.filePath("klubbkamp.htm")), kWorkedExamplePage);

    // After the first round: the page of a file that holds that round alone.
    ASSERT_TRUE(WriteBytes(dir.filePath("first.txt"), "Klubbkamp\n\nOmg\xE5ng 1\nAnna 10\nBo 7\nCecilia 10\n"));
    const std::string first = dir.filePath("first.txt").toStdString();
    EXPECT_EQ(Tool({"table", first}) + Tool({"table", "--after", "1", file}), "0||0||");
    EXPECT_EQ(ReadBytes(dir.filePath("klubbkamp.htm")), ReadBytes(dir.filePath("first.htm")));

    // A refused file writes nothing; a tournament named *.htm is never written over.
    ASSERT_TRUE(WriteBytes(dir.filePath("bad"), "Cup\n\nR\nA 1\nKalle\n"));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.htm"), "Cup\n"));
    EXPECT_EQ(Tool({"table", dir.filePath("bad").toStdString()}), "1||" + kKalle);
    EXPECT_EQ(Tool({"table", cup}), "1||Kan inte skapa filen: " + cup + "\n");
    EXPECT_EQ(Entries(dir.path()).join(' '), "bad cup.htm first.htm first.txt klubbkamp.htm klubbkamp.txt table.css");
    EXPECT_EQ(ReadBytes(dir.filePath("cup.htm")), "Cup\n");
}

// The real program once, for what only a process shows: exit codes, what reaches the terminal,
// and output lost on a full disk is no success.
TEST(Tool, Binary)
{
    QTemporaryDir dir;
    const QString klubbkamp = kExamples + "/klubbkamp.txt", title = dir.filePath("title.txt");
    ASSERT_TRUE(WriteBytes(title, "Cup\n\nR\n\x1B]0;x\x07\n"));
    for (const auto& [args, out, code, said] :
         {std::tuple{QStringList{"check", klubbkamp}, "", 0, ""}, {{"--version"}, "", 0, ""},
          {{"help"}, "", 2, "ravelmark-tool: ok\xC3\xA4nt kommando: help (se ravelmark-tool --help)\n"},
          {{"standings", klubbkamp}, "/dev/full", 1, "ravelmark-tool: kan inte skriva till standardutmatningen\n"},
          {{"check", title}, "", 1, "Rad 4 : \"\\x1b]0;x\\x07\"\nF\xC3\xB6rv\xC3\xA4ntad resultatrad: <Spelarnamn> <Po\xC3\xA4ng>\n"}}) {
        QProcess tool;
        if (*out)
            tool.setStandardOutputFile(out);
        tool.start(QStringLiteral(RAVELMARK_TOOL), args);
        EXPECT_TRUE(tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit);
        EXPECT_EQ(tool.exitCode(), code) << args.join(' ').toStdString();
        EXPECT_EQ(tool.readAllStandardError().toStdString(), said);
    }
}

// The standings as CSV (CR LF, place on every row, empty field for no result) and as JSON
// (null for no result, text escaped), in UTF-8 whatever the file's encoding.
TEST(Tool, StandingsFormats)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("cup.txt").toStdString();
    const std::string klubbkamp = ReadBytes(kExamples + "/klubbkamp.txt");
    const std::string odd = "V\xC3\xA5r \"cup\"\n\nR,1\n\xC3\x85sa, \"\xC3\x96\" 3\nBo\\\x01\x1F 0\n\nR\tX\nBo\\\x01\x1F 3\n";
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
        {odd, {"--format", "csv"}, "Placering,Namn,Summa,\"R,1\",R X,Antal\r\n"
                                   "1,\"\xC3\x85sa, \"\"\xC3\x96\"\"\",3,3,,1\r\n1,Bo\\\x01\x1F,3,0,3,2\r\n"},
        {odd, {"--format", "json", "--after", "1"},
         "{\"title\": \"V\xC3\xA5r \\\"cup\\\"\", \"rounds\": [\"R,1\"], \"standings\": [\n"
         "  {\"place\": 1, \"name\": \"\xC3\x85sa, \\\"\xC3\x96\\\"\", \"total\": 3, \"points\": [3], \"played\": 1},\n"
         "  {\"place\": 2, \"name\": \"Bo\\\\\\u0001\\u001f\", \"total\": 0, \"points\": [0], \"played\": 1}\n]}\n"},
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

    ASSERT_TRUE(WriteBytes(QString::fromStdString(file), klubbkamp));
    EXPECT_EQ(Tool({"table", file, "--after", "3"}), "2||ravelmark-tool: --after 3: " + file + " har bara 2 omg\xC3\xA5ngar\n");
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

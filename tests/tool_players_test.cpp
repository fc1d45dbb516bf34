// SPDX-License-Identifier: GPL-3.0-or-later
// The tool with a players file: --class, check, rename and new.
#include "FileHelpers.h"
#include "tools/Tool.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string RunOf(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = RunTool(args, out, err);
    return std::to_string(code) + "|" + out.str() + "|" + err.str();
}

const char* const kCup = "Cup\n\nR1\nAke Lund 3\nBo 7\n\nR2\n\xC5ke Lund 4\nBo 2\n\nR3\nAke Lund 5\nBo 1\n";

} // namespace

TEST(ToolPlayers, ClassCheckAndRefusal)
{
    QTemporaryDir dir;
    const std::string cup = dir.filePath("cup.txt").toStdString();
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.txt"), kCup));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.spelare"), "[klass H]\nBo\n\xC3\x85ke Lund\n[spelare]\nEva\n"));
    const struct { std::vector<std::string> args; std::string result; } cases[] = {
        {{"standings", cup, "--class", "H", "--format", "csv"},
         "0|Placering,Namn,Summa,R1,R2,R3,Antal,Klass,Lag\r\n1,Bo,10,7,2,1,3,H,\r\n2,\xC3\x85ke Lund,4,,4,,1,H,\r\n|"},
        {{"check", cup},
         "0|M\xC3\xB6jliga dubbletter: Ake Lund / \xC3\x85ke Lund\nUtan resultat i cup.spelare: Eva\n|"},
        {{"table", cup, "--class", "D"}, "2||ravelmark-tool: --class D: ingen klass med det namnet i " + cup + "\n"},
        {{"check", cup, "--class", "H"}, "2||ravelmark-tool: --class gäller bara table och standings (se ravelmark-tool --help)\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunOf(c.args), c.result) << c.args[0];
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.spelare"), "Bo\n"));
    for (const char* command : {"check", "standings", "table"})
        EXPECT_EQ(RunOf({command, cup}), "1||Rad 1 i cup.spelare : \"Bo\"\nSpelare f\xC3\xB6re f\xC3\xB6rsta avsnittet: "
                                         "b\xC3\xB6rja med [klass NAMN], [lag NAMN] eller [spelare]\n")
            << command;
    EXPECT_FALSE(QFile::exists(dir.filePath("cup.htm")));
}

TEST(ToolPlayers, RenameMergeAndNew)
{
    QTemporaryDir dir;
    const std::string cup = dir.filePath("cup.txt").toStdString();
    // Written long ago, so that the two saves' backups get two names.
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.txt"), kCup, QDateTime::fromSecsSinceEpoch(1700000000)));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.spelare"), "# lag\n[lag L]\nAke Lund\n"));
    const struct { std::vector<std::string> args; std::string result; } refused[] = {
        {{"rename", cup, "Bo", "Ake Lund"}, "1||B\xC3\xA5" "da har resultat i R1, R3\n"},
        {{"rename", cup, "Eva", "Bo"}, "1||ravelmark-tool: ingen spelare heter Eva i " + cup + "\n"},
        {{"rename", cup, "Bo"}, "2||ravelmark-tool: rename tar en fil, ett gammalt och ett nytt namn (se ravelmark-tool --help)\n"},
        {{"rename", cup, "Bo", " "}, "2||ravelmark-tool: det nya namnet är tomt (se ravelmark-tool --help)\n"},
        {{"rename", cup, "Bo", "Bo\tBerg"}, "1||ravelmark-tool: namnet innehåller ett tecken som inte kan sparas\n"},
        {{"rename", cup, "Bo", "\xC5\x81ukasz"},
         "1||ravelmark-tool: \xC5\x81ukasz kan inte skrivas i " + cup + " (Windows-1252); spara den som UTF-8 i programmet först\n"},
    };
    for (const auto& c : refused)
        EXPECT_EQ(RunOf(c.args), c.result) << c.args.back();
    EXPECT_EQ(Entries(dir.path()), QStringList({"cup.spelare", "cup.txt"}));
    // A merge: no round has both.
    EXPECT_EQ(RunOf({"rename", cup, "\xC3\x85ke Lund", "Ake Lund"}), "0||");
    // A rename, to the name as the file reads it back: one blank between the words.
    EXPECT_EQ(RunOf({"rename", cup, "Ake Lund", " \xC3\x85sa   Lund "}), "0||");
    EXPECT_EQ(ReadBytes(dir.filePath("cup.txt")),
              "Cup\r\n\r\nR1\r\n\xC5sa Lund  3\r\nBo        7\r\n\r\nR2\r\n\xC5sa Lund  4\r\nBo        2\r\n"
              "\r\nR3\r\n\xC5sa Lund  5\r\nBo        1\r\n");
    EXPECT_EQ(ReadBytes(dir.filePath("cup.spelare")), "# lag\n[lag L]\n\xC3\x85sa Lund\n");
    EXPECT_EQ(QDir(dir.path()).entryList({"cup_*.bak"}).size(), 2);

    // A new season from the last: every player known, the rules as they were, no rounds.
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.regler"), "# tv\xC3\xA5 per lag\nlag = 2\n"));
    const std::string next = dir.filePath("next.txt").toStdString();
    EXPECT_EQ(RunOf({"new", next, "--from", cup}), "0||");
    EXPECT_EQ(ReadBytes(dir.filePath("next.txt")), "next\r\n");
    EXPECT_EQ(ReadBytes(dir.filePath("next.spelare")), "# lag\n[lag L]\n\xC3\x85sa Lund\n\n[spelare]\nBo\n");
    EXPECT_EQ(ReadBytes(dir.filePath("next.regler")), "# tv\xC3\xA5 per lag\nlag = 2\n");
    EXPECT_EQ(RunOf({"new", next}), "1||Kan inte skapa filen: " + next + "\n");
    EXPECT_EQ(RunOf({"new", next, "--from"}), "2||ravelmark-tool: --from saknar värde (se ravelmark-tool --help)\n");
}

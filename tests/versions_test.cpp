// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's history, diff and restore on real saves: exit codes, output, the files left.
#include "FileHelpers.h"
#include "tools/Tool.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace {

// "exit code|standard output|standard error"
std::string ToolRun(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = RunTool(args, out, err);
    return std::to_string(code) + "|" + out.str() + "|" + err.str();
}

const QDateTime kDay1(QDate(2026, 12, 1), QTime(20, 15, 7)), kDay2(QDate(2026, 12, 2), QTime(21, 0, 0));

} // namespace

TEST(Versions, DiffExitsAsDiffDoes)
{
    QTemporaryDir dir;
    const auto file = [&](const char* name, const std::string& bytes) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path.toStdString();
    };
    const std::string a = file("a.txt", "Cup\n\nR1\nAnna 5\n"), same = file("b.txt", "Cup\r\n\r\nR1\r\nAnna    5\r\n"),
                      other = file("c.txt", "Cup\n\nR1\nAnna 7\n\nR2\nBo\x1B[2J 1\n"),
                      refused = file("d.txt", "Cup\n\nR1\nAnna x\n"), missing = dir.filePath("e.txt").toStdString();
    EXPECT_EQ(ToolRun({"diff", a, same}), "0||");
    EXPECT_EQ(ToolRun({"diff", a, other}),
              "1|\"R1\": Anna 5 \xE2\x86\x92 7\nNy omg\xC3\xA5ng \"R2\" (1 resultat)\n|");
    EXPECT_EQ(ToolRun({"diff", a, refused}).substr(0, 9), "2||Rad 4 ");
    EXPECT_EQ(ToolRun({"diff", missing, a}), "2||Kan inte \xC3\xB6ppna filen: " + missing + "\n");
    EXPECT_EQ(ToolRun({"diff", a}), "2||ravelmark-tool: diff tar tv\xC3\xA5 filer (se ravelmark-tool --help)\n");
    EXPECT_EQ(ToolRun({"diff", a, same, other}).substr(0, 2), "2|");
    EXPECT_EQ(ToolRun({"history", a, same}).substr(0, 2), "2|");
    EXPECT_EQ(ToolRun({"restore", a, "--open"}).substr(0, 2), "2|");
}

// Two real saves leave two backups; an unreadable one, kept unsaved work and another
// tournament's are beside them. history lists the five of this file newest first, restore brings the oldest back with
// the file's bytes as its backup, and nothing is ever removed.
TEST(Versions, HistoryAndRestore)
{
    QTemporaryDir dir;
    const QString cup = dir.filePath("cup.txt");
    ASSERT_TRUE(WriteBytes(cup, "Cup\n\nR1\nAnna 5\n", kDay1));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup_2_261201_201507.bak"), "Annan\n"));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup_261130_080000.bak"), "Cup\n\nR1\nAnna x\n"));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup_261201_220000.osparad"), "Cup\n\nR1\nAnna 5\nBo 1\n"));
    ASSERT_EQ(ToolRun({"rewrite", cup.toStdString()}), "0||");
    ASSERT_TRUE(WriteBytes(cup, "Cup\n\nR1\nAnna 7\nBo 3\n", kDay2));
    ASSERT_EQ(ToolRun({"rewrite", cup.toStdString()}), "0||");
    const QDateTime saved = QFileInfo(cup).lastModified();
    const std::string current = saved.toString("yyyy-MM-dd hh:mm:ss").toStdString();
    EXPECT_EQ(ToolRun({"history", cup.toStdString()}),
              "0|" + current + "  cup.txt  inga \xC3\xA4ndringar\n"
              "2026-12-02 21:00:00  cup_261202_210000.bak  2 \xC3\xA4ndrade resultat i R1\n"
              "2026-12-01 22:00:00  cup_261201_220000.osparad  (osparat arbete) ny Bo 1 i R1\n"
              "2026-12-01 20:15:07  cup_261201_201507.bak  f\xC3\xB6rsta versionen: 1 omg\xC3\xA5ng\n"
              "2026-11-30 08:00:00  cup_261130_080000.bak  kan inte l\xC3\xA4sas: Rad 4 : \"Anna x\" "
              "Po\xC3\xA4ng ska vara ett heltal\n|");
    const std::string oldest = dir.filePath("cup_261201_201507.bak").toStdString();
    EXPECT_EQ(ToolRun({"restore", cup.toStdString(), oldest}), "0||");
    EXPECT_EQ(ReadBytes(cup), "Cup\r\n\r\nR1\r\nAnna  5\r\n");
    const std::string backup = "cup_" + saved.toString("yyMMdd_hhmmss").toStdString() + ".bak";
    EXPECT_EQ(ReadBytes(dir.filePath(QString::fromStdString(backup))), "Cup\r\n\r\nR1\r\nAnna  7\r\nBo    3\r\n");
    EXPECT_EQ(Entries(dir.path()).size(), 7);
    EXPECT_EQ(ToolRun({"restore", cup.toStdString(), dir.filePath("cup_261130_080000.bak").toStdString()}).substr(0, 9),
              "1||Rad 4 ");
    EXPECT_EQ(ToolRun({"history", dir.filePath("none.txt").toStdString()}).substr(0, 4), "1||K");
}

// move: the round to its place, the others in their order, saved with a backup; usage and range
// errors exit 2 and a refused file 1, writing nothing.
TEST(Versions, Move)
{
    QTemporaryDir dir;
    const QString cup = dir.filePath("cup.txt");
    ASSERT_TRUE(WriteBytes(cup, "Cup\n\nR1\nA 1\n\nR2\nA 2\n\nR4\nA 4\n\nR3\nA 3\n", kDay1));
    const std::string file = cup.toStdString();
    for (const auto& [args, outcome] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"move", file, "0", "1"}, "2||ravelmark-tool: move 0: omg\xC3\xA5ngar och platser r\xC3\xA4knas fr\xC3\xA5n 1 (se ravelmark-tool --help)\n"},
             {{"move", file, "4", "5"}, "2||ravelmark-tool: move: " + file + " har bara 4 omg\xC3\xA5ngar\n"},
             {{"move", file, "2", "2"}, "0||"}})
        EXPECT_EQ(ToolRun(args), outcome);
    EXPECT_EQ(Entries(dir.path()).size(), 1);
    EXPECT_EQ(ToolRun({"move", file, "4", "3"}), "0||");
    EXPECT_EQ(ReadBytes(cup), "Cup\r\n\r\nR1\r\nA  1\r\n\r\nR2\r\nA  2\r\n\r\nR3\r\nA  3\r\n\r\nR4\r\nA  4\r\n");
    EXPECT_EQ(ReadBytes(dir.filePath("cup_261201_201507.bak")), "Cup\n\nR1\nA 1\n\nR2\nA 2\n\nR4\nA 4\n\nR3\nA 3\n");
    ASSERT_TRUE(WriteBytes(cup, "Cup\n\nR1\nA x\n"));
    EXPECT_EQ(ToolRun({"move", file, "1", "1"}).substr(0, 9), "1||Rad 4 ");
}

// Versions within one second listed in the true order of their times, as the files have them:
// the file saved in the second of its backup, two recovery files kept in one second; each
// summary against the version really before it.
TEST(Versions, WithinOneSecond)
{
    QTemporaryDir dir;
    const auto at = [](int ms) { return QDateTime(QDate(2026, 12, 1), QTime(20, 15, 7, ms)); };
    const QString cup = dir.filePath("cup.txt");
    ASSERT_TRUE(WriteBytes(cup, "Cup\n\nR1\nAnna 5\nBo 2\nCilla 1\n", at(900)));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup_261201_201507-2.osparad"), "Cup\n\nR1\nAnna 5\nBo 2\n", at(600)));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup_261201_201507.bak"), "Cup\n\nR1\nAnna 5\n", at(300)));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup_261201_201507.osparad"), "Cup\n\nR1\nAnna 4\n", at(100)));
    EXPECT_EQ(ToolRun({"history", cup.toStdString()}),
              "0|2026-12-01 20:15:07  cup.txt  ny Cilla 1 i R1\n"
              "2026-12-01 20:15:07  cup_261201_201507-2.osparad  (osparat arbete) ny Bo 2 i R1\n"
              "2026-12-01 20:15:07  cup_261201_201507.bak  Anna 4 \xE2\x86\x92 5 i R1\n"
              "2026-12-01 20:15:07  cup_261201_201507.osparad  (osparat arbete) f\xC3\xB6rsta versionen: 1 omg\xC3\xA5ng\n|");
    // Two saves within that second: each keeps the version before it under the next counted name.
    const std::string first = ReadBytes(cup);
    ASSERT_EQ(ToolRun({"rewrite", cup.toStdString()}), "0||");
    const std::string second = ReadBytes(cup);
    ASSERT_TRUE(WriteBytes(cup, second, at(950)));
    ASSERT_EQ(ToolRun({"rewrite", cup.toStdString()}), "0||");
    EXPECT_EQ(ReadBytes(dir.filePath("cup_261201_201507-2.bak")) + ReadBytes(dir.filePath("cup_261201_201507-3.bak")),
              first + second);
    const std::string newest = "  cup.txt  inga \xC3\xA4ndringar\n"
                               "2026-12-01 20:15:07  cup_261201_201507-3.bak  inga \xC3\xA4ndringar\n"
                               "2026-12-01 20:15:07  cup_261201_201507-2.bak  ny Cilla 1 i R1\n"
                               "2026-12-01 20:15:07  cup_261201_201507-2.osparad  (os";
    EXPECT_EQ(ToolRun({"history", cup.toStdString()}).substr(21, newest.size()), newest); // after "0|" and the time
}

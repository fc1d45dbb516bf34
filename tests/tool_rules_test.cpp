// SPDX-License-Identifier: GPL-3.0-or-later
// The tool with a rules file beside the tournament.
#include "FileHelpers.h"
#include "tools/Tool.h"

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

} // namespace

TEST(ToolRules, AppliedAndRefused)
{
    QTemporaryDir dir;
    const std::string cup = dir.filePath("cup.txt").toStdString(), page = dir.filePath("cup.htm").toStdString();
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.txt"), "Cup\n\nR1\nAnna 5\nBo 3\n\nR2\nAnna 1\nBo 9\n"));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.regler"), "b\xC3\xA4sta = 1\nomg\xC3\xA5ngar = 4\nminst = 4\n"));
    // --after: the rules on the first rounds, against the rounds planned.
    EXPECT_EQ(RunOf({"standings", cup, "--after", "1", "--format", "csv"}),
              "0|Placering,Namn,Summa,R1,Antal,Alla,Struket\r\n1,Anna,5,5,1,5,\r\n2,Bo,3,3,1,3,\r\n|");
    EXPECT_EQ(RunOf({"table", cup, "--after", "1"}), "0||");
    EXPECT_NE(ReadBytes(QString::fromStdString(page)).find("Efter 1 av 4 omg\xE5ngar.</p>"), std::string::npos);

    // Refused: check, standings and table say where and end 1, the page stays as it was; a
    // rewrite of the tournament has nothing to do with the rules.
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.regler"), "b\xC3\xA4sta = 5\nomg\xC3\xA5ngar = 4\n"));
    const std::string refused =
        "1||Rad 1 i cup.regler : \"b\xC3\xA4sta = 5\"\nb\xC3\xA4sta f\xC3\xA5r inte vara st\xC3\xB6rre \xC3\xA4n omg\xC3\xA5ngar\n";
    const std::string before = ReadBytes(QString::fromStdString(page));
    for (const char* command : {"check", "standings", "table"})
        EXPECT_EQ(RunOf({command, cup}), refused) << command;
    EXPECT_EQ(ReadBytes(QString::fromStdString(page)), before);
    EXPECT_EQ(RunOf({"rewrite", cup}), "0||");

    // Slips the counting makes likely are told, and nothing is refused.
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.txt"), "Cup\n\nR1\nAnna 0\nBo 3\nCid 4\n\nR2\nAnna 1\nBo 0\n"));
    const struct { const char* rules; std::string told; } slips[] = {
        {"r\xC3\xA4kning = slag\n", "0 slag: Anna i omg\xC3\xA5ngen \"R1\"\n0 slag: Bo i omg\xC3\xA5ngen \"R2\"\n"},
        {"r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = 5 3\n",
         "Placeringspo\xC3\xA4ngen r\xC3\xA4" "cker till 2 placeringar men en omg\xC3\xA5ng har 3 resultat: \xC3\xB6vriga "
         "placeringar f\xC3\xA5r 0 po\xC3\xA4ng (s\xC3\xA4tt \xC3\xB6vriga)\n"},
        {"r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = 5 3\n\xC3\xB6vriga = 1\n", ""},
        {"r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = 5 3 1\n", ""},
        {"", ""},
    };
    for (const auto& slip : slips) {
        ASSERT_TRUE(WriteBytes(dir.filePath("cup.regler"), slip.rules));
        EXPECT_EQ(RunOf({"check", cup}), "0|" + slip.told + "|") << slip.rules;
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's handicap list and history, and the averages a new season carries.
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

TEST(ToolHandicap, ListHistoryAndNewSeason)
{
    QTemporaryDir dir;
    const std::string liga = dir.filePath("liga.txt").toStdString();
    ASSERT_TRUE(WriteBytes(dir.filePath("liga.txt"), "Liga\n\nOmg 1\nBo 180\nAnna 151\n\nOmg 2\nAnna 170\nBo 200\n"
                                                     "Cilla 140\n"));
    ASSERT_TRUE(WriteBytes(dir.filePath("liga.spelare"), "[snitt 150]\nCilla\n[handikapp 12]\nDan\n[spelare]\nEva\n"));
    EXPECT_EQ(RunOf({"handicap", liga}), "1||ravelmark-tool: liga.regler s\xC3\xA4tter ingen handikapp (handikapp = ja)\n");
    ASSERT_TRUE(WriteBytes(dir.filePath("liga.regler"),
                           "handikapp = ja\nhandikappbas = 210\nhandikappprocent = 90\nhandikappsnitt = senaste 5\n"));
    const std::string minus = " \xE2\x88\x92 ", start = "startv\xC3\xA4rde: snitt 150; 90 % av (210" + minus + "150) = 54";
    const struct { std::vector<std::string> args; std::string result; } cases[] = {
        {{"handicap", liga},
         "0|Anna   44  Omg 1: 151, Omg 2: 170; snitt 160,5; 90 % av (210" + minus + "160,5) = 44,55 \xE2\x86\x92 44\n"
         "Bo     18  Omg 1: 180, Omg 2: 200; snitt 190; 90 % av (210" + minus + "190) = 18\n"
         "Cilla  63  Omg 2: 140; snitt 140; 90 % av (210" + minus + "140) = 63\n"
         "Dan    12  startv\xC3\xA4rde: handikapp 12\n"
         "Eva     -  ingen handikapp \xC3\xA4nnu (0 av 1 omg\xC3\xA5ng spelad)\n|"},
        {{"handicap", "--after", "1", liga, "--format", "csv"},
         "0|Namn,Handikapp,F\xC3\xB6rklaring\r\nAnna,53,\"Omg 1: 151; snitt 151; 90 % av (210" + minus +
             "151) = 53,1 \xE2\x86\x92 53\"\r\nBo,27,Omg 1: 180; snitt 180; 90 % av (210" + minus + "180) = 27\r\n"
             "Cilla,54," + start + "\r\nDan,12,startv\xC3\xA4rde: handikapp 12\r\n"
             "Eva,,ingen handikapp \xC3\xA4nnu (0 av 1 omg\xC3\xA5ng spelad)\r\n|"},
        {{"handicap", liga, "--player", "Cilla", "--format", "csv"},
         "0|Omg\xC3\xA5ng,Handikapp,Spelat,R\xC3\xA4knas,F\xC3\xB6rklaring\r\nOmg 1,54,,," + start + "\r\nOmg 2,54,140,194," +
             start + "\r\nN\xC3\xA4sta,63,,,Omg 2: 140; snitt 140; 90 % av (210" + minus + "140) = 63\r\n|"},
        {{"handicap", liga, "--player", "Bo"},
         "0|Omg 1   -  (180 + 0 = 180) ingen handikapp \xC3\xA4nnu (0 av 1 omg\xC3\xA5ng spelad)\n"
         "Omg 2  27  (200 + 27 = 227) Omg 1: 180; snitt 180; 90 % av (210" + minus + "180) = 27\n"
         "N\xC3\xA4sta  18  Omg 1: 180, Omg 2: 200; snitt 190; 90 % av (210" + minus + "190) = 18\n|"},
        {{"handicap", liga, "--player", "Ulf"}, "1||ravelmark-tool: ingen spelare heter Ulf i " + liga + "\n"},
        {{"handicap", liga, "--after", "3"}, "2||ravelmark-tool: --after 3: " + liga + " har bara 2 omg\xC3\xA5ngar\n"},
        {{"handicap", liga, "--format", "excel"},
         "2||ravelmark-tool: --format excel: v\xC3\xA4lj text, csv eller json (se ravelmark-tool --help)\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunOf(c.args), c.result) << c.args.back();
    const std::string json = RunOf({"handicap", liga, "--format", "json"});
    EXPECT_NE(json.find("{\"name\": \"Anna\", \"handicap\": 44, \"source\": \"average\", \"played\": 2, \"average_sum\": "
                        "321, \"average_count\": 2, \"capped\": false, \"floored\": false, \"rounds\": [{\"round\": "
                        "\"Omg 1\", \"score\": 151}, {\"round\": \"Omg 2\", \"score\": 170}], \"explanation\": "),
              std::string::npos)
        << json;

    // The next season starts from each player's average (160.5 to the nearest); the start
    // values of those who did not play stay.
    const std::string next = dir.filePath("next.txt").toStdString();
    EXPECT_EQ(RunOf({"new", next, "--from", liga}), "0||");
    EXPECT_EQ(ReadBytes(dir.filePath("next.spelare")),
              "[handikapp 12]\nDan\n[spelare]\nEva\n\n[snitt 190]\nBo\n\n[snitt 161]\nAnna\n\n[snitt 140]\nCilla\n");
    EXPECT_EQ(RunOf({"handicap", next}).substr(0, 14), "0|Anna   44  s");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/LineOutput.h"
#include "model/Reader.h"

#include <string>

// Collects what a writer writes as a file holds it: each line ended with CR LF.
class CStringOutput final : public CLineOutput
{
public:
    void WriteLine(const std::string& line) override { m_text += line + "\r\n"; }

    std::string m_text;
};

// "title|round:name=points,name=points|round:"
inline std::string Describe(const CTournament& t)
{
    std::string out = t.m_title;
    for (const CRound& round : t.m_rounds) {
        out += "|" + round.m_name + ":";
        // Appended piece by piece: "," + a temporary string trips GCC 12's -Wrestrict at -O3.
        for (const CResult& r : round.m_results)
            out.append(&r == &round.m_results.front() ? "" : ",").append(t.PlayerName(r)).append("=").append(std::to_string(r.m_points));
    }
    return out;
}

// A tournament file's text read whole; `shown` gets what the error box would show, if anything.
inline CTournament Parsed(std::string_view text, std::string* shown = nullptr)
{
    CTournament t;
    std::string line, message;
    int lineNo = 0;
    if (!ParseTournament(text, t, line, lineNo, message) && shown)
        *shown = LinePrefix(lineNo, line) + message;
    return t;
}

// The standings page of the worked example (examples/klubbkamp.txt), byte for byte.
inline const std::string kWorkedExamplePage =
    "<html>\r\n<head>\r\n<meta name=\"GENERATOR\" content=\"Ravelmark\">\r\n<meta charset=\"windows-1252\">\r\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n<title>Klubbkamp</title>\r\n"
    "<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>\r\n</head>\r\n<body>\r\n"
    "<h3>Klubbkamp</h3>\r\n<table>\r\n<tr>\r\n<th align=\"center\"><b>Placering</b></th>\r\n<th><b>Namn</b></th>\r\n"
    "<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>\r\n"
    "<th align=\"center\"><b>Omg\xE5ng<br>1</b></th>\r\n<th align=\"center\"><b>Omg\xE5ng<br>2</b></th>\r\n"
    "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>\r\n</tr>\r\n"
    "<tr>\r\n<td align=\"center\">1</td>\r\n<td>Anna</td>\r\n<td align=\"center\">15</td>\r\n"
    "<td align=\"center\"><b>10</b></td>\r\n<td align=\"center\">5</td>\r\n<td align=\"center\">2</td>\r\n</tr>\r\n"
    "<tr>\r\n<td align=\"center\">&nbsp;</td>\r\n<td>Bo</td>\r\n<td align=\"center\">15</td>\r\n"
    "<td align=\"center\">7</td>\r\n<td align=\"center\"><b>8</b></td>\r\n<td align=\"center\">2</td>\r\n</tr>\r\n"
    "<tr>\r\n<td align=\"center\">3</td>\r\n<td>Cecilia</td>\r\n<td align=\"center\">10</td>\r\n"
    "<td align=\"center\"><b>10</b></td>\r\n<td align=\"center\">&nbsp;</td>\r\n<td align=\"center\">1</td>\r\n"
    "</tr>\r\n</table>\r\n</body>\r\n</html>\r\n";

// The standings page: plain HTML, no scripts, styled by a "table.css" beside it.
#include "Encoding.h"
#include "Standings.h"

namespace {

const std::string kCentredCell = "<td align=\"center\">";
const std::string kCentredHeader = "<th align=\"center\">";

// A built-in text (Windows-1252) in the page's encoding, which is the tournament's.
std::string PageText(const char* windows1252, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? ToUtf8(windows1252, TextEncoding::Windows1252) : windows1252;
}

std::string BreakAtBlanks(const std::string& name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c == ' ')
            out += "<br>";
        else
            out += c;
    }
    return out;
}

} // namespace

void CPlayerRow::WriteHtmlRow(CLineOutput& out, int place, const CTournament& tournament,
                              std::int64_t& previousTotal) const
{
    out.WriteLine("<tr>");
    const std::string placeText = place == 1 || m_total != previousTotal ? IntToString(place) : "&nbsp;";
    previousTotal = m_total;
    out.WriteLine(kCentredCell + placeText + "</td>");
    out.WriteLine("<td>" + m_name + "</td>");
    out.WriteLine(kCentredCell + IntToString(m_total) + "</td>");
    for (std::size_t k = 0; k < tournament.m_rounds.size(); ++k) {
        std::string cell = "&nbsp;";
        if (k < m_roundPoints.size() && m_roundPoints[k] > 0) {
            cell = IntToString(m_roundPoints[k]);
            if (m_roundPoints[k] == tournament.m_rounds[k].m_bestPoints)
                cell = "<b>" + cell + "</b>";
        }
        out.WriteLine(kCentredCell + cell + "</td>");
    }
    out.WriteLine(kCentredCell + IntToString(m_roundsPlayed) + "</td>");
    out.WriteLine("</tr>");
}

void CStandings::WriteHtml(CLineOutput& out, const CTournament& tournament) const
{
    const TextEncoding encoding = tournament.m_encoding;
    out.WriteLine("<html>");
    out.WriteLine("<head>");
    out.WriteLine("<meta name=\"GENERATOR\" content=\"Ravelmark\">");
    if (encoding == TextEncoding::Utf8)
        out.WriteLine("<meta charset=\"utf-8\">");
    out.WriteLine("<title>" + tournament.m_title + "</title>");
    out.WriteLine("<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>");
    out.WriteLine("</head>");
    out.WriteLine("<body>");
    out.WriteLine("<h3>" + tournament.m_title + "</h3>");
    out.WriteLine("<table>");
    out.WriteLine("<tr>");
    out.WriteLine(kCentredHeader + "<b>Placering</b></th>");
    out.WriteLine("<th><b>Namn</b></th>");
    out.WriteLine(kCentredHeader + PageText("<b>Summa<br>Po\xE4ng</b>", encoding) + "</th>");
    for (const CRound& round : tournament.m_rounds)
        out.WriteLine(kCentredHeader + "<b>" + BreakAtBlanks(round.m_name) + "</b></th>");
    out.WriteLine(kCentredHeader + PageText("<b>Antal<br>Omg\xE5ngar</b>", encoding) + "</th>");
    out.WriteLine("</tr>");
    std::int64_t previousTotal = 0;
    for (std::size_t i = 0; i < m_ranking.size(); ++i)
        m_rows[static_cast<std::size_t>(m_ranking[i])].WriteHtmlRow(out, static_cast<int>(i + 1), tournament,
                                                                    previousTotal);
    out.WriteLine("</table>");
    out.WriteLine("</body>");
    out.WriteLine("</html>");
}

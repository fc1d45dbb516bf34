// SPDX-License-Identifier: GPL-3.0-or-later
// The standings page: plain HTML, no scripts, styled by a "table.css" beside it.
#include "model/Encoding.h"
#include "model/Text.h"
#include "report/Standings.h"
#include "report/StandingsView.h"

#include <string_view>

namespace {

constexpr std::string_view kCentredCell = "<td align=\"center\">";
constexpr std::string_view kCentredHeader = "<th align=\"center\">";

// The page's lines are made in one block, with their CR LF, and handed on a few at a time.
// A line feed typed into a name stays in its line as it is.
class CPageWriter
{
public:
    explicit CPageWriter(CLineOutput& out)
        : m_out(out)
    {
        m_block.reserve(kBlock + 4096);
    }
    CPageWriter(const CPageWriter&) = delete;
    CPageWriter& operator=(const CPageWriter&) = delete;
    ~CPageWriter() { m_out.WriteText(m_block); }

    CPageWriter& operator<<(std::string_view text)
    {
        m_block += text;
        return *this;
    }
    CPageWriter& operator<<(std::int64_t value)
    {
        AppendNumber(m_block, value);
        return *this;
    }
    // Ends the line.
    void operator()(std::string_view text = {})
    {
        m_block += text;
        m_block += "\r\n";
        if (m_block.size() >= kBlock) {
            m_out.WriteText(m_block);
            m_block.clear();
        }
    }

private:
    static constexpr std::size_t kBlock = std::size_t{64} * 1024;
    CLineOutput& m_out;
    std::string m_block;
};

// A built-in text (Windows-1252) in the page's encoding, which is the tournament's.
std::string PageText(const char* windows1252, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? ToUtf8(windows1252, TextEncoding::Windows1252) : windows1252;
}

void WriteRow(CPageWriter& page, const CStandingsView& view, std::size_t i)
{
    const CStandingsLine line = view.Line(i);
    page("<tr>");
    page << kCentredCell;
    if (line.m_placeShown)
        page << std::int64_t{line.m_place};
    else
        page << "&nbsp;";
    page("</td>");
    page << "<td>" << view.Name(line) << "</td>";
    page();
    page << kCentredCell << line.m_total;
    page("</td>");
    for (std::size_t k = 0; k < view.RoundCount(); ++k) {
        page << kCentredCell;
        // No result and 0 points both show as none.
        const int points = view.Points(i, k).value_or(0);
        if (points <= 0)
            page << "&nbsp;";
        else if (points == view.BestPoints(k))
            page << "<b>" << std::int64_t{points} << "</b>";
        else
            page << std::int64_t{points};
        page("</td>");
    }
    page << kCentredCell << std::int64_t{line.m_roundsPlayed};
    page("</td>");
    page("</tr>");
}

} // namespace

void WriteHtmlPage(CLineOutput& out, const CStandingsView& view)
{
    const CTournament& tournament = view.Tournament();
    const TextEncoding encoding = tournament.m_encoding;
    CPageWriter page(out);
    page("<html>");
    page("<head>");
    page("<meta name=\"GENERATOR\" content=\"Ravelmark\">");
    // Declared, so that a reader that assumes UTF-8 still shows a Windows-1252 page right; the
    // viewport line lets a phone lay the page out at its own width instead of a zoomed-out desktop's.
    page(encoding == TextEncoding::Utf8 ? "<meta charset=\"utf-8\">" : "<meta charset=\"windows-1252\">");
    page("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    page << "<title>" << tournament.m_title;
    page("</title>");
    page("<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>");
    page("</head>");
    page("<body>");
    page << "<h3>" << tournament.m_title;
    page("</h3>");
    page("<table>");
    page("<tr>");
    page << kCentredHeader;
    page("<b>Placering</b></th>");
    page("<th><b>Namn</b></th>");
    page << kCentredHeader << PageText("<b>Summa<br>Po\xE4ng</b>", encoding);
    page("</th>");
    for (std::size_t k = 0; k < view.RoundCount(); ++k) {
        page << kCentredHeader << "<b>";
        // A blank breaks the header cell's line.
        for (char c : tournament.m_rounds[k].m_name)
            page << (c == ' ' ? std::string_view("<br>") : std::string_view(&c, 1));
        page("</b></th>");
    }
    page << kCentredHeader << PageText("<b>Antal<br>Omg\xE5ngar</b>", encoding);
    page("</th>");
    page("</tr>");
    for (std::size_t i = 0; i < view.LineCount(); ++i)
        WriteRow(page, view, i);
    page("</table>");
    page("</body>");
    page("</html>");
}

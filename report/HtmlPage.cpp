// SPDX-License-Identifier: GPL-3.0-or-later
// The standings page: plain HTML, no scripts, styled by a "table.css" beside it.
#include "model/Encoding.h"
#include "model/Text.h"
#include "report/GroupStandings.h"
#include "report/Handicap.h"
#include "report/HtmlText.h"
#include "report/PlaceChange.h"
#include "report/RaceChart.h"
#include "report/Standings.h"
#include "report/StandingsView.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
    // A stored text (a title, a name): shown as text, whatever markup it holds.
    CPageWriter& Text(std::string_view text)
    {
        AppendHtmlText(m_block, text);
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

// The words of each criterion: in the rules' sentence, and in a note on what decided a place.
const char* CriterionText(Tiebreak criterion)
{
    switch (criterion) {
    case Tiebreak::Wins:
        return "flest omg\xE5ngssegrar";
    case Tiebreak::Highest:
        return "h\xF6gsta enskilda omg\xE5ng";
    case Tiebreak::Dropped:
        return "h\xF6gsta strukna resultat";
    case Tiebreak::Latest:
        return "senaste omg\xE5ngarna";
    }
    return "";
}

// Line `line` is the one that a criterion put below line `line` - 1, and both are placed: a
// note says why.
bool HasNote(const CStandingsView& view, std::size_t line)
{
    return line < view.LineCount() && view.Line(line).m_decidedBy && view.Line(line).m_placed;
}

// Whether a round cell shows the number entered beside the points it gave: wherever the two
// differ by more than their name.
bool ShowsEntered(const CStandingsView& view)
{
    return !view.Counted().Plain() && (view.Counted().Kind() != Counting::Strokes || view.Counted().Handicaps());
}

// A class's or a team's name, or another text of the program's in UTF-8, as page text in the
// page's encoding; a character Windows-1252 cannot hold goes as a character reference.
std::string Utf8PageText(const std::string& utf8, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return HtmlText(utf8);
    std::string text;
    const std::u16string wide = ToUtf16(utf8, TextEncoding::Utf8);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const std::u16string_view one(&wide[i], 1);
        if (FitsEncoding(one, TextEncoding::Windows1252)) {
            AppendHtmlText(text, FromUtf16(one, TextEncoding::Windows1252));
            continue;
        }
        char32_t c = wide[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        text.append("&#").append(std::to_string(static_cast<unsigned>(c))).append(";");
    }
    return text;
}

// A literal's characters at `at`, in a copy of known size; returns where they end.
template <std::size_t N>
char* Put(char* at, const char (&literal)[N])
{
    std::memcpy(at, literal, N - 1);
    return at + N - 1;
}

// A number's digits at `at` (room for 20); the common small ones without a general conversion.
char* PutNumber(char* at, std::int64_t value)
{
    if (value < 0 || value >= 1000)
        return std::to_chars(at, at + 20, value).ptr;
    const int v = static_cast<int>(value);
    if (v >= 100)
        *at++ = static_cast<char>('0' + v / 100);
    if (v >= 10)
        *at++ = static_cast<char>('0' + v / 10 % 10);
    *at++ = static_cast<char>('0' + v % 10);
    return at;
}

// A round cell with a handicap, made in a buffer and added at once (a page holds a million of
// them): the points, then quietly how they came about: the net score where the points are not
// it, then "= 151 + 36" (points) or "= 80 − 12" (strokes); a round counted before the player had
// a handicap is marked instead, and then true.
bool WriteNetRoundCell(CPageWriter& page, const CStandingsView& view, const CHandicapTable& handicaps, std::size_t line,
                       std::size_t round, int points, int played)
{
    const bool dropped = view.Dropped(line, round);
    const std::optional<int> handicap = view.Handicap(line, round);
    const bool lowerBetter = handicaps.LowerBetter();
    const int net = handicap ? NetScore(played, *handicap, lowerBetter) : played;
    std::array<char, 256> buffer;
    char* at = buffer.data();
    at = dropped ? Put(at, "<td align=\"center\" class=\"struken\">(") : Put(at, "<td align=\"center\">");
    if (view.RoundWin(line, round)) {
        at = Put(at, "<b>");
        at = PutNumber(at, points);
        at = Put(at, "</b>");
    } else {
        at = PutNumber(at, points);
    }
    if (!handicap) {
        if (net != points) {
            at = Put(at, " <small>");
            at = PutNumber(at, net);
            at = Put(at, "</small>");
        }
        at = Put(at, "&dagger;");
    } else {
        at = Put(at, " <small>");
        if (net != points) {
            at = PutNumber(at, net);
            *at++ = ' ';
        }
        const bool adds = lowerBetter ? *handicap < 0 : *handicap >= 0;
        at = Put(at, "= ");
        at = PutNumber(at, played);
        at = adds ? Put(at, " + ") : Put(at, " &minus; ");
        at = PutNumber(at, *handicap < 0 ? -std::int64_t{*handicap} : std::int64_t{*handicap});
        at = Put(at, "</small>");
    }
    at = dropped ? Put(at, ")</td>") : Put(at, "</td>");
    page(std::string_view(buffer.data(), static_cast<std::size_t>(at - buffer.data())));
    return !handicap;
}

// The player's handicap for the next round, with how it was reached in its title and, for a
// screen reader, in words beside it; a player without one yet is marked, and then true.
bool WriteHandicapCell(CPageWriter& page, const CStandingsView& view, const CHandicapTable& table, std::size_t line)
{
    const CHandicapExplained next = view.NextHandicap(line).value();
    const std::string why = Utf8PageText(HandicapText(next, table.Rules(), table.LowerBetter(), view.Tournament()),
                                         view.Tournament().m_encoding);
    page << "<td align=\"center\" title=\"" << why << "\">";
    if (next.m_handicap.m_source == CHandicap::NotYet)
        page << "&dagger;";
    else
        page << std::int64_t{next.m_handicap.m_value};
    page << "<span class=\"dold\">: " << why << "</span>";
    page("</td>");
    return next.m_handicap.m_source == CHandicap::NotYet;
}

// `marks`: the numbers of the place's notes; `changes`: the column "+/-", when shown. True when
// the row marks a round or a player without a handicap yet.
bool WriteRow(CPageWriter& page, const CStandingsView& view, std::size_t i, std::string_view marks,
              const CPlaceChanges* changes)
{
    const CStandingsLine line = view.Line(i);
    page(line.m_placed ? "<tr>" : "<tr class=\"ejplacerad\">");
    page << kCentredCell;
    // An empty place cell means a shared place, and nothing else.
    if (line.m_placeShown)
        page << std::int64_t{line.m_place};
    else if (!line.m_placed)
        page << "ej placerad";
    else
        page << "&nbsp;";
    if (!marks.empty())
        page << "<sup>" << marks << "</sup>";
    page("</td>");
    if (changes)
        page(ChangeCell(changes->Of(line)));
    page << "<td>";
    page.Text(view.Name(line)) << "</td>";
    page();
    const CHandicapTable* handicaps = view.Counted().Handicaps();
    bool notYet = handicaps && WriteHandicapCell(page, view, *handicaps, i);
    page << kCentredCell << line.m_total;
    page("</td>");
    const bool entered = ShowsEntered(view);
    for (std::size_t k = 0; k < view.RoundCount(); ++k) {
        // No result and 0 points both show as none, unless the 0 is a score that does not count
        // or the points of a number entered, which shows beside them.
        const std::optional<int> played = entered ? view.Entered(i, k) : std::nullopt;
        const int number = played.value_or(0);
        const int points = view.Points(i, k).value_or(0);
        if (handicaps && played) {
            notYet = WriteNetRoundCell(page, view, *handicaps, i, k, points, number) || notYet;
            continue;
        }
        const bool dropped = view.Dropped(i, k);
        page << (dropped ? "<td align=\"center\" class=\"struken\">(" : kCentredCell);
        if (points <= 0 && !dropped && !played)
            page << "&nbsp;";
        else if (view.RoundWin(i, k))
            page << "<b>" << std::int64_t{points} << "</b>";
        else
            page << std::int64_t{points};
        if (played.has_value())
            page << " <small class=\"spelat\">" << std::int64_t{number} << "</small>";
        page(dropped ? ")</td>" : "</td>");
    }
    page << kCentredCell << std::int64_t{line.m_roundsPlayed};
    page("</td>");
    page("</tr>");
    return notYet;
}

// The parts one after the other. (Built so rather than with "literal" + string, which GCC 12
// at -O3 warns of wrongly.)
std::string Joined(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (std::string_view part : parts)
        text += part;
    return text;
}

// How a round counts, in words (Windows-1252).
std::string CountingSentences(const CStandingsView& view)
{
    const CSeriesRules& rules = view.Rules();
    const std::string roundWinner =
        rules.LowerScoreWins() ? "l\xE4gst antal slag vinner omg\xE5ngen." : "h\xF6gst resultat vinner omg\xE5ngen.";
    std::string text;
    switch (rules.m_counting) {
    case Counting::Points:
        break;
    case Counting::Strokes:
        text = "L\xE4gst antal slag vinner omg\xE5ngen och serien; fler r\xE4knade omg\xE5ngar g\xE5r f\xF6re l\xE4gre "
               "summa.";
        break;
    case Counting::Placing:
        if (rules.m_pointsForBeaten) {
            text = "Placeringspo\xE4ng efter varje omg\xE5ngs placering, en f\xF6r varje spelare som slagits och en "
                   "till; ";
        } else {
            text = "Placeringspo\xE4ng ";
            const std::vector<int>& table = rules.m_placePoints;
            for (std::size_t i = 0; i < std::min<std::size_t>(table.size(), 3); ++i)
                text.append(i > 0 ? ", " : "").append(std::to_string(table[i]));
            text += table.size() > 3 ? " \x85 efter varje omg\xE5ngs placering" : " efter varje omg\xE5ngs placering";
            if (rules.m_otherPoints)
                text += Joined({", ", std::to_string(*rules.m_otherPoints), " f\xF6r \xF6vriga placeringar"});
            text += "; ";
        }
        text += roundWinner;
        break;
    case Counting::Place:
        text = Joined({"Placeringen i varje omg\xE5ng ger lika m\xE5nga po\xE4ng; ", roundWinner,
                       " Den som inte spelat en omg\xE5ng f\xE5r ",
                       std::to_string(view.Counted().AbsentPoints(view.RoundCount())),
                       " po\xE4ng. L\xE4gst summa vinner."});
        break;
    }
    if (rules.m_entryPoints)
        text += Joined({text.empty() ? "" : " ", "Varje spelad omg\xE5ng ger ", std::to_string(*rules.m_entryPoints),
                        " po\xE4ng extra."});
    return text;
}

// The rules in words, with where the series stands, in Windows-1252.
std::string RulesSentences(const CStandingsView& view)
{
    const CSeriesRules& rules = view.Rules();
    const auto number = [](std::int64_t value) { return std::to_string(value); };
    std::string text;
    const auto sentence = [&text](const std::string& words) {
        if (!text.empty())
            text += ' ';
        text += words;
    };
    if (rules.CountsOtherwise())
        sentence(CountingSentences(view));
    if (rules.m_best) {
        const bool one = *rules.m_best == 1;
        const std::string of = rules.m_planned ? Joined({" av ", number(*rules.m_planned), " omg\xE5ngar"})
                               : one           ? std::string(" omg\xE5ngen")
                                               : std::string(" omg\xE5ngarna");
        sentence(one ? Joined({"Den b\xE4sta", of, " r\xE4knas."})
                     : Joined({"De ", number(*rules.m_best), " b\xE4sta", of, " r\xE4knas."}));
    }
    if (rules.m_minimum)
        sentence(Joined({"Minst ", number(*rules.m_minimum),
                         *rules.m_minimum == 1 ? " spelad omg\xE5ng" : " spelade omg\xE5ngar",
                         " kr\xE4vs f\xF6r placering."}));
    if (!rules.m_tiebreak.empty()) {
        std::string words = "Lika summa skiljs av: ";
        for (std::size_t i = 0; i < rules.m_tiebreak.size(); ++i)
            words.append(i > 0 ? ", " : "").append(CriterionText(rules.m_tiebreak[i]));
        sentence(words + ".");
    }
    if (rules.m_planned) {
        const auto held = static_cast<std::int64_t>(view.RoundCount());
        sentence(held >= *rules.m_planned
                     ? std::string("Slutst\xE4llning.")
                     : Joined({"Efter ", number(held), " av ", number(*rules.m_planned), " omg\xE5ngar."}));
    }
    return text;
}

// What decided between line `line` - 1 and line `line`, as "på flest omgångssegrar (3 mot 2)";
// the built-in words in Windows-1252, a round's name as the tournament has it.
std::string DecidedText(const CStandingsView& view, std::size_t line, TextEncoding encoding)
{
    const Tiebreak criterion = *view.Line(line).m_decidedBy;
    std::string text = "p\xE5 ";
    const auto versus = [](std::int64_t a, const std::string& b) {
        return Joined({" (", std::to_string(a), " mot ", b, ")"});
    };
    switch (criterion) {
    case Tiebreak::Wins:
        return PageText(text + CriterionText(criterion), encoding) +
               versus(view.Wins(line - 1), std::to_string(view.Wins(line)));
    case Tiebreak::Highest:
        return PageText(text + CriterionText(criterion), encoding) +
               versus(view.Highest(line - 1), std::to_string(view.Highest(line)));
    case Tiebreak::Dropped: {
        const std::span<const int> above = view.DroppedScores(line - 1), below = view.DroppedScores(line);
        std::size_t j = 0;
        while (j < below.size() && above[j] == below[j])
            ++j;
        return PageText(text + CriterionText(criterion), encoding) +
               versus(above[j], j < below.size() ? std::to_string(below[j]) : PageText("inget", encoding));
    }
    case Tiebreak::Latest:
        for (std::size_t k = view.RoundCount(); k-- > 0;) {
            const int a = view.Points(line - 1, k).value_or(0), b = view.Points(line, k).value_or(0);
            if (a != b)
                return PageText("p\xE5 po\xE4ngen i ", encoding) + HtmlText(view.Tournament().m_rounds[k].m_name) +
                       versus(a, std::to_string(b));
        }
        break;
    }
    return {};
}

// The notes under a ruled table, and the marks that point to them from the place cells.
struct CPageNotes
{
    std::vector<std::string> m_texts;
    // Per line that has any: the line and its notes' numbers ("1,2"), in table order.
    std::vector<std::pair<std::size_t, std::string>> m_marks;
};

// Every place that is not plain gets a note: one a criterion decided, one shared although
// criteria are set, and a player not placed. A mark goes on a place shown, never in an empty
// cell: a decision whose upper player shares the place above is marked on the lower one's place.
CPageNotes PageNotes(const CStandingsView& view, TextEncoding encoding)
{
    CPageNotes notes;
    std::vector<std::pair<int, int>> unplaced; // rounds played, and their note
    const auto mark = [&notes](std::size_t line, std::size_t note) {
        if (notes.m_marks.empty() || notes.m_marks.back().first != line)
            notes.m_marks.emplace_back(line, std::string());
        std::string& marks = notes.m_marks.back().second;
        marks.append(marks.empty() ? "" : ",").append(std::to_string(note));
    };
    const auto add = [&](std::size_t line, std::string text) {
        notes.m_texts.push_back(std::move(text));
        mark(line, notes.m_texts.size());
    };
    const auto decision = [&](std::size_t lower, const CStandingsLine& marked) {
        return std::to_string(marked.m_place) + ": " + HtmlText(view.Name(view.Line(lower - 1))) +
               PageText(" f\xF6re ", encoding) + HtmlText(view.Name(view.Line(lower))) + " " +
               DecidedText(view, lower, encoding);
    };
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const CStandingsLine line = view.Line(i);
        if (!line.m_placed) {
            auto known = std::find_if(unplaced.begin(), unplaced.end(),
                                      [&line](const auto& u) { return u.first == line.m_roundsPlayed; });
            if (known != unplaced.end()) {
                mark(i, static_cast<std::size_t>(known->second));
                continue;
            }
            add(i, PageText(Joined({"ej placerad: ", std::to_string(line.m_roundsPlayed), " av minst ",
                                    std::to_string(view.Rules().m_minimum.value_or(0)), " omg\xE5ngar"}),
                            encoding));
            unplaced.emplace_back(line.m_roundsPlayed, static_cast<int>(notes.m_texts.size()));
            continue;
        }
        if (HasNote(view, i) && !view.Line(i - 1).m_placeShown)
            add(i, decision(i, line));
        // From the first of a place only, so each line is looked at once more at most.
        std::size_t end = i + 1;
        while (line.m_placeShown && end < view.LineCount() && view.Line(end).m_placed && !view.Line(end).m_placeShown)
            ++end;
        if (end > i + 1 && !view.Rules().m_tiebreak.empty()) {
            std::string text = std::to_string(line.m_place) + ": ";
            for (std::size_t j = i; j < end; ++j)
                text.append(j == i ? "" : j + 1 == end ? " och " : ", ").append(HtmlText(view.Name(view.Line(j))));
            add(i, text + PageText(" delar platsen: lika p\xE5 alla kriterier", encoding));
        }
        if (line.m_placeShown && HasNote(view, i + 1))
            add(i, decision(i + 1, line));
    }
    return notes;
}

// After the table: the rules in words, then the notes.
void WriteRules(CPageWriter& page, const CStandingsView& view, const CPageNotes& notes, TextEncoding encoding)
{
    const std::string sentences = RulesSentences(view);
    page << "<p class=\"regler\">" << PageText(sentences, encoding);
    if (const CHandicapTable* handicaps = view.Counted().Handicaps()) {
        page << (sentences.empty() ? "" : " ")
             << Utf8PageText(HandicapRulesText(handicaps->Rules(), handicaps->LowerBetter()), encoding);
    }
    page("</p>");
    for (std::size_t n = 0; n < notes.m_texts.size(); ++n) {
        page(n == 0 ? "<p class=\"noter\">" : "<br>");
        page << "<sup>" << static_cast<std::int64_t>(n + 1) << "</sup> " << notes.m_texts[n];
    }
    if (!notes.m_texts.empty())
        page("</p>");
}

// One header cell per round, its name's blanks breaking the line.
void WriteRoundHeaders(CPageWriter& page, const CStandingsView& view)
{
    for (std::size_t k = 0; k < view.RoundCount(); ++k) {
        page << kCentredHeader << "<b>";
        // A blank breaks the header cell's line; the name is made text first, so a "<br>" in it
        // shows as typed.
        for (char c : HtmlText(view.Tournament().m_rounds[k].m_name))
            page << (c == ' ' ? std::string_view("<br>") : std::string_view(&c, 1));
        page("</b></th>");
    }
}

// "Summa Poäng", or "Summa Slag" where strokes are counted.
std::string SumHeader(const CStandingsView& view, TextEncoding encoding)
{
    return view.Counted().Kind() == Counting::Strokes ? "<b>Summa<br>Slag</b>"
                                                      : PageText("<b>Summa<br>Po\xE4ng</b>", encoding);
}

// A players' table with what follows it: the rules and the notes of the places they decided.
void WriteTable(CPageWriter& page, const CStandingsView& view, TextEncoding encoding)
{
    // The column "+/-" once there are standings to compare with; with one round held, none.
    std::optional<CPlaceChanges> changes;
    if (view.Rules().m_change)
        changes.emplace(view);
    if (changes && !changes->HasBaseline())
        changes.reset();
    // With a chart, the table and all that follows it in one block: on paper the chart goes
    // beside the table where the sheet has room for it.
    const std::string chart = view.Rules().m_chart ? RaceChart(view) : std::string();
    if (!chart.empty())
        page("<div class=\"med-diagram\">");
    page(changes ? "<table class=\"forandring\">" : "<table>");
    page("<tr>");
    page << kCentredHeader;
    page("<b>Placering</b></th>");
    if (changes)
        page(ChangeHeaderCell(view, *changes));
    page("<th><b>Namn</b></th>");
    if (view.Counted().Handicaps())
        page("<th align=\"center\"><b>Hcp</b></th>");
    page << kCentredHeader << SumHeader(view, encoding);
    page("</th>");
    WriteRoundHeaders(page, view);
    page << kCentredHeader << PageText("<b>Antal<br>Omg\xE5ngar</b>", encoding);
    page("</th>");
    page("</tr>");
    const CPageNotes notes = view.Rules().InForce() ? PageNotes(view, encoding) : CPageNotes();
    auto marks = notes.m_marks.begin();
    bool notYet = false;
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const bool marked = marks != notes.m_marks.end() && marks->first == i;
        notYet = WriteRow(page, view, i, marked ? std::string_view((marks++)->second) : std::string_view(),
                          changes ? &*changes : nullptr) ||
                 notYet;
    }
    page("</table>");
    if (changes)
        page(ChangeNote(view, *changes));
    if (notYet)
        page(PageText("<p class=\"noter\">&dagger; ingen handikapp \xE4nnu</p>", encoding));
    if (view.Rules().InForce())
        WriteRules(page, view, notes, encoding);
    if (!chart.empty()) {
        page << chart;
        page("</div>");
    }
}

// The team table: place, team, total, the team's score in each round, the members who counted.
void WriteTeams(CPageWriter& page, const CStandingsView& view, const CGroupStandings& groups, TextEncoding encoding)
{
    page("<h4>Lag</h4>");
    page("<table class=\"lag\">");
    page("<tr>");
    page << kCentredHeader;
    page("<b>Placering</b></th>");
    page("<th><b>Lag</b></th>");
    page << kCentredHeader << SumHeader(view, encoding);
    page("</th>");
    WriteRoundHeaders(page, view);
    page << "<th><b>" << PageText("R\xE4knade", encoding);
    page("</b></th>");
    page("</tr>");
    for (const CTeamLine& line : groups.Teams()) {
        page("<tr>");
        page << kCentredCell;
        if (line.m_placeShown)
            page << std::int64_t{line.m_place};
        else
            page << "&nbsp;";
        page("</td>");
        page << "<td>" << Utf8PageText(groups.TeamName(line.m_team), encoding);
        page("</td>");
        page << kCentredCell << line.m_total;
        page("</td>");
        for (const std::optional<std::int64_t>& points : line.m_points) {
            page << kCentredCell;
            if (points && *points > 0)
                page << *points;
            else
                page << "&nbsp;";
            page("</td>");
        }
        page << "<td>";
        for (std::size_t i = 0; i < line.m_counted.size(); ++i) {
            page << (i > 0 ? ", " : "");
            page.Text(view.Tournament().PlayerName(line.m_counted[i]));
        }
        page("</td>");
        page("</tr>");
    }
    page("</table>");
    // How a team scores, under its table.
    const int best = groups.TeamBest();
    page << "<p class=\"lagregel\">"
         << PageText(best == 1 ? std::string("Det b\xE4sta resultatet")
                               : "De " + std::to_string(best) + " b\xE4sta resultaten",
                     encoding)
         << PageText(" i varje lag och omg\xE5ng r\xE4knas.</p>", encoding);
    page("");
}

} // namespace

void WriteHtmlPage(CLineOutput& out, const CStandingsView& view, const CGroupStandings* groups)
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
    page << "<title>";
    page.Text(tournament.m_title);
    page("</title>");
    page("<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>");
    // How each handicap was reached is there for a screen reader, out of sight; table.css may
    // be the club's own, so the page says it itself.
    if (view.Counted().Handicaps())
        page("<style>.dold{position:absolute;left:-10000px}</style>");
    page("</head>");
    page("<body>");
    page << "<h3>";
    page.Text(tournament.m_title);
    page("</h3>");
    const bool grouped = groups && groups->Players().SetsGroups();
    if (!grouped || groups->ShowsOverall()) {
        WriteTable(page, view, encoding);
        // The same rounds ranked on the scores played, by the same rules otherwise.
        if (view.Rules().m_handicap.m_on && view.Rules().m_handicap.m_grossTable) {
            CSeriesRules gross = view.Rules();
            gross.m_handicap = CHandicapRules();
            const CStandingsView played(tournament, gross, view.RoundCount());
            page("<h4>Utan handikapp</h4>");
            WriteTable(page, played, encoding);
        }
    }
    for (std::size_t c = 0; grouped && c < groups->ClassCount(); ++c) {
        page << "<h4>" << Utf8PageText(groups->ClassName(c), encoding);
        page("</h4>");
        WriteTable(page, groups->ClassView(c), encoding);
    }
    if (grouped && !groups->Teams().empty())
        WriteTeams(page, view, *groups, encoding);
    page("</body>");
    page("</html>");
}

namespace {

class CStringPage final : public CLineOutput
{
public:
    void WriteLine(const std::string& line) override
    {
        m_text += line;
        m_text += "\r\n";
    }
    void WriteText(std::string_view text) override { m_text += text; }

    std::string m_text;
};

} // namespace

std::string HtmlPageText(const CStandingsView& view, const CGroupStandings* groups)
{
    CStringPage out;
    WriteHtmlPage(out, view, groups);
    return std::move(out.m_text);
}

std::size_t AfterPageHeading(const std::string& page, const std::string& title)
{
    const std::string body = "<body>\r\n";
    const std::string heading = body + "<h3>" + HtmlText(title) + "</h3>\r\n";
    if (const std::size_t at = page.find(heading); at != std::string::npos)
        return at + heading.size();
    const std::size_t at = page.find(body);
    return at == std::string::npos ? 0 : at + body.size();
}

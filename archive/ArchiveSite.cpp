// SPDX-License-Identifier: GPL-3.0-or-later
// The archive's pages: plain HTML in UTF-8, no scripts, styled by the standings pages' sheet
// with a few rules of the archive's own; every stored text is escaped.
#include "archive/Archive.h"

#include "report/HtmlText.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace {

// The archive's additions to "table.css": its tables keep no column in place (their first
// columns are no place and name), read across on paper, and the lists wrap on a phone.
constexpr std::string_view kArchiveCss =
    "/* Ravelmark's archive: the standings pages' table.css first, then these few rules. */\n"
    "table.arkiv th, table.arkiv td {\n"
    "  position: static;\n"
    "  width: auto;\n"
    "  min-width: 0;\n"
    "  max-width: none;\n"
    "  box-shadow: none;\n"
    "  white-space: normal;\n"
    "  overflow-wrap: anywhere;\n"
    "}\n"
    "table.arkiv th:first-child b { display: inline; }\n"
    "table.arkiv th:first-child::after { content: none; }\n"
    "table.arkiv { margin-bottom: 1.2em; }\n"
    "p.arkiv { margin: 0 0 1em; }\n"
    "h3, h4, p { overflow-wrap: anywhere; }\n"
    "a { color: var(--best); }\n"
    "ul.spelarlista { columns: 14em; padding-left: 1.2em; line-height: 1.5; }\n"
    "@media print {\n"
    "  p.arkiv { display: none; }\n"
    "  a { color: inherit; text-decoration: none; }\n"
    "  table.arkiv th:not(:nth-child(2)) b { display: inline; writing-mode: horizontal-tb; transform: none; }\n"
    "}\n";

// A page, line by line: its stored texts through Text, which escapes them.
class CPage
{
public:
    // `up`: the way from the page's folder to the site's ("" or "../").
    CPage(std::string_view title, std::string_view up)
        : m_up(up)
    {
        *this << "<html>\n<head>\n<meta name=\"GENERATOR\" content=\"Ravelmark\">\n<meta charset=\"utf-8\">\n"
                 "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
        Text(title) << "</title>\n";
        *this << "<link rel=\"stylesheet\" type=\"text/css\" href=\"" << up << "table.css\"/>\n";
        *this << "<link rel=\"stylesheet\" type=\"text/css\" href=\"" << up << "arkiv.css\"/>\n</head>\n<body>\n";
        *this << "<p class=\"arkiv\"><a href=\"" << up << "index.html\">S\xC3\xA4songer</a> \xC2\xB7 <a href=\"" << up
              << "rekord.html\">Rekord</a></p>\n<h3>";
        Text(title) << "</h3>\n";
    }

    CPage& operator<<(std::string_view text)
    {
        m_text += text;
        return *this;
    }
    CPage& operator<<(std::int64_t value)
    {
        m_text += std::to_string(value);
        return *this;
    }
    CPage& Text(std::string_view text)
    {
        AppendHtmlText(m_text, text);
        return *this;
    }
    // A link to a page of the site, its text escaped.
    CPage& Link(std::string_view file, std::string_view text)
    {
        *this << "<a href=\"" << m_up << file << "\">";
        return Text(text) << "</a>";
    }
    // A table's header row, one bold cell a column.
    CPage& Header(std::initializer_list<std::string_view> columns)
    {
        *this << "<table class=\"arkiv\">\n<tr>";
        for (const std::string_view column : columns)
            *this << "<th><b>" << column << "</b></th>";
        return *this << "</tr>\n";
    }
    std::string Done()
    {
        m_text += "</body>\n</html>\n";
        return std::move(m_text);
    }

private:
    std::string m_up;
    std::string m_text;
};

constexpr std::string_view kCentred = "<td align=\"center\">";

// "3 omgångar", "1 omgång".
std::string Count(std::int64_t n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string CountingText(const CSeasonCounting& counting)
{
    return counting.m_word + (counting.m_lowestWins ? ", l\xC3\xA4gst vinner" : ", h\xC3\xB6gst vinner");
}

// Each winner linked to their page, the groups' on lines of their own after the overall one's.
void WinnersCell(CPage& page, const CArchive& archive, const CSeason& season)
{
    page << "<td>";
    bool any = false;
    for (const CWinners& winners : season.m_winners) {
        if (winners.m_people.empty() && winners.m_teams.empty())
            continue;
        page << (any ? "<br>" : "");
        any = true;
        // The overall table's winners are named as such when classes or teams follow.
        if (!winners.m_group.empty() || season.m_winners.size() > 1)
            page.Text(winners.m_group.empty() ? "Totalt" : winners.m_group) << ": ";
        for (std::size_t i = 0; i < winners.m_people.size(); ++i) {
            const CPerson& person = archive.m_people[winners.m_people[i]];
            page << (i > 0 ? ", " : "");
            page.Link(person.m_fileName, person.m_name);
        }
        for (std::size_t i = 0; i < winners.m_teams.size(); ++i)
            (page << (i > 0 ? ", " : "")).Text(winners.m_teams[i]);
    }
    page << (any ? "</td>" : "&nbsp;</td>");
}

std::string IndexPage(const CArchive& archive)
{
    CPage page("Arkiv", "");
    page << "<h4>S\xC3\xA4songer</h4>\n";
    page.Header({"S\xC3\xA4song", "Vinnare", "Spelare", "Omg\xC3\xA5ngar"});
    for (const CSeason& season : archive.m_seasons) {
        page << "<tr><td>";
        page.Link(season.m_pageName, season.m_name);
        if (season.m_named && season.m_title != season.m_name)
            page.Text(" (").Text(season.m_title).Text(")");
        page << "</td>";
        WinnersCell(page, archive, season);
        page << kCentred << static_cast<std::int64_t>(season.m_results.size()) << "</td>" << kCentred
             << static_cast<std::int64_t>(season.m_rounds.size()) << "</td></tr>\n";
    }
    page << "</table>\n<h4>Spelare</h4>\n<ul class=\"spelarlista\">\n";
    for (const CPerson& person : archive.m_people) {
        page << "<li>";
        page.Link(person.m_fileName, person.m_name) << "</li>\n";
    }
    page << "</ul>\n";
    return page.Done();
}

std::string PlayerPage(const CArchive& archive, const CPerson& person)
{
    CPage page(person.m_name, "../");
    page.Header({"S\xC3\xA4song", "Placering", "Summa", "Omg\xC3\xA5ngar", "B\xC3\xA4sta<br>omg\xC3\xA5ng",
                 "Omg\xC3\xA5ngs\xC2\xADsegrar"});
    int rounds = 0, wins = 0, titles = 0, bestPlace = 0;
    for (const auto& [s, r] : person.m_seasons) {
        const CSeason& season = archive.m_seasons[s];
        const CSeasonResult& result = season.m_results[r];
        page << "<tr><td>";
        page.Link(season.m_pageName, season.m_name) << "</td>" << kCentred;
        if (result.m_place > 0)
            page << std::int64_t{result.m_place};
        else if (season.m_overall)
            page << "ej placerad";
        if (!result.m_class.empty()) {
            page << (season.m_overall ? "<br>" : "");
            page.Text(result.m_class) << ": ";
            if (result.m_classPlace > 0)
                page << std::int64_t{result.m_classPlace};
            else
                page << "ej placerad";
        }
        page << "</td>" << kCentred << result.m_total;
        if (season.m_counting.m_word != "po\xC3\xA4ng")
            (page << " ").Text(season.m_counting.m_word);
        page << "</td>" << kCentred << std::int64_t{result.m_rounds} << "</td>" << kCentred;
        if (result.m_bestRound)
            page << std::int64_t{*result.m_bestRound};
        else
            page << "&nbsp;";
        page << "</td>" << kCentred << std::int64_t{result.m_wins} << "</td></tr>\n";
        rounds += result.m_rounds;
        wins += result.m_wins;
        const int place = result.m_place > 0 ? result.m_place : result.m_classPlace;
        titles += place == 1 ? 1 : 0;
        if (place > 0 && (bestPlace == 0 || place < bestPlace))
            bestPlace = place;
    }
    page << "</table>\n<p class=\"summa\">Totalt: "
         << Count(static_cast<std::int64_t>(person.m_seasons.size()), "s\xC3\xA4song", "s\xC3\xA4songer") << ", "
         << Count(rounds, "omg\xC3\xA5ng", "omg\xC3\xA5ngar") << ", "
         << Count(wins, "omg\xC3\xA5ngsseger", "omg\xC3\xA5ngssegrar") << ", "
         << Count(titles, "s\xC3\xA4songsseger", "s\xC3\xA4songssegrar") << ".";
    if (bestPlace > 0)
        page << " B\xC3\xA4sta placering: " << std::int64_t{bestPlace} << ".";
    page << "</p>\n";
    if (person.m_spellings.size() > 1 || person.m_spellings.front() != person.m_name) {
        page << "<p>Stavat: ";
        for (std::size_t i = 0; i < person.m_spellings.size(); ++i)
            (page << (i > 0 ? ", " : "")).Text(person.m_spellings[i]);
        page << "</p>\n";
    }
    return page.Done();
}

// A record's holders: each with what says where it was set.
struct CHolder
{
    std::size_t m_person;
    std::string m_where;
};

// Keeps the best value seen and every holder of it.
struct CRecord
{
    std::int64_t m_value = 0;
    std::vector<CHolder> m_holders;

    void Offer(std::int64_t value, bool lowestWins, CHolder holder)
    {
        if (!m_holders.empty() && value != m_value && (lowestWins ? value > m_value : value < m_value))
            return;
        if (m_holders.empty() || value != m_value)
            m_holders.clear();
        m_value = value;
        m_holders.push_back(std::move(holder));
    }
};

void RecordRow(CPage& page, const CArchive& archive, std::string_view what, const CRecord& record)
{
    if (record.m_holders.empty())
        return;
    page << "<tr><td>" << what << "</td>" << kCentred << record.m_value << "</td><td>";
    for (std::size_t i = 0; i < record.m_holders.size(); ++i) {
        const CHolder& holder = record.m_holders[i];
        const CPerson& person = archive.m_people[holder.m_person];
        page << (i > 0 ? "<br>" : "");
        page.Link(person.m_fileName, person.m_name);
        if (!holder.m_where.empty())
            page.Text(" (" + holder.m_where + ")");
    }
    page << "</td></tr>\n";
}

std::string RecordsPage(const CArchive& archive)
{
    CPage page("Rekord", "");
    // The seasons in the records, oldest first.
    std::vector<std::size_t> seasons;
    for (std::size_t s = archive.m_seasons.size(); s-- > 0;) {
        if (archive.m_seasons[s].m_inRecords)
            seasons.push_back(s);
    }
    page << "<h4>M\xC3\xA4stare</h4>\n";
    page.Header({"S\xC3\xA4song", "Tabell", "M\xC3\xA4stare"});
    for (auto it = seasons.rbegin(); it != seasons.rend(); ++it) {
        const CSeason& season = archive.m_seasons[*it];
        for (const CWinners& winners : season.m_winners) {
            if (winners.m_people.empty() && winners.m_teams.empty())
                continue;
            page << "<tr><td>";
            page.Link(season.m_pageName, season.m_name) << "</td><td>";
            page.Text(winners.m_group.empty() ? "Totalt" : winners.m_group) << "</td><td>";
            for (std::size_t i = 0; i < winners.m_people.size(); ++i) {
                const CPerson& person = archive.m_people[winners.m_people[i]];
                page << (i > 0 ? ", " : "");
                page.Link(person.m_fileName, person.m_name);
            }
            for (std::size_t i = 0; i < winners.m_teams.size(); ++i)
                (page << (i > 0 ? ", " : "")).Text(winners.m_teams[i]);
            page << "</td></tr>\n";
        }
    }
    page << "</table>\n";
    // The scores' records, one table for each counting, in the order the newest seasons have them.
    std::vector<CSeasonCounting> countings;
    for (auto it = seasons.rbegin(); it != seasons.rend(); ++it) {
        const CSeasonCounting& counting = archive.m_seasons[*it].m_counting;
        if (std::find(countings.begin(), countings.end(), counting) == countings.end())
            countings.push_back(counting);
    }
    for (const CSeasonCounting& counting : countings) {
        CRecord round, seasonWins, allWins;
        std::map<std::size_t, std::int64_t> winsOf;
        for (const std::size_t s : seasons) {
            const CSeason& season = archive.m_seasons[s];
            if (!(season.m_counting == counting))
                continue;
            for (const CSeasonResult& result : season.m_results) {
                if (result.m_bestRound) {
                    std::string where = season.m_name;
                    for (const std::size_t k : result.m_bestRounds)
                        where += ", " + season.m_rounds[k];
                    round.Offer(*result.m_bestRound, counting.m_lowestWins, {result.m_person, where});
                }
                if (result.m_wins > 0)
                    seasonWins.Offer(result.m_wins, false, {result.m_person, season.m_name});
                winsOf[result.m_person] += result.m_wins;
            }
        }
        for (const auto& [person, wins] : winsOf) {
            if (wins > 0)
                allWins.Offer(wins, false, {person, {}});
        }
        page << "<h4>R\xC3\xA4kning: ";
        page.Text(CountingText(counting)) << "</h4>\n";
        page.Header({"Rekord", "V\xC3\xA4rde", "Innehavare"});
        RecordRow(page, archive, counting.m_lowestWins ? "L\xC3\xA4gsta omg\xC3\xA5ng" : "H\xC3\xB6gsta omg\xC3\xA5ng",
                  round);
        RecordRow(page, archive, "Flest omg\xC3\xA5ngssegrar under en s\xC3\xA4song", seasonWins);
        RecordRow(page, archive, "Flest omg\xC3\xA5ngssegrar totalt", allWins);
        page << "</table>\n";
    }
    // Taking part, whatever the counting: the most seasons, and the longest run of seasons in a row.
    std::map<std::size_t, std::int64_t> seasonsOf;
    std::map<std::size_t, std::pair<std::size_t, std::size_t>> runOf; // start and last position in `seasons`
    CRecord most, run;
    std::vector<std::pair<std::size_t, std::pair<std::size_t, std::size_t>>> ended;
    for (std::size_t c = 0; c < seasons.size(); ++c) {
        for (const CSeasonResult& result : archive.m_seasons[seasons[c]].m_results) {
            const auto at = runOf.find(result.m_person);
            // Two spellings of one person in one season are one season.
            if (at != runOf.end() && at->second.second == c)
                continue;
            ++seasonsOf[result.m_person];
            if (at == runOf.end())
                runOf[result.m_person] = {c, c};
            else if (at->second.second + 1 == c)
                at->second.second = c;
            else {
                ended.emplace_back(result.m_person, at->second);
                at->second = {c, c};
            }
        }
    }
    for (const auto& [person, span] : runOf)
        ended.emplace_back(person, span);
    std::sort(ended.begin(), ended.end());
    for (const auto& [person, span] : ended) {
        const std::string& from = archive.m_seasons[seasons[span.first]].m_name;
        const std::string& to = archive.m_seasons[seasons[span.second]].m_name;
        run.Offer(static_cast<std::int64_t>(span.second - span.first + 1), false,
                  {person, span.first == span.second ? from : from + " \xE2\x80\x93 " + to});
    }
    for (const auto& [person, count] : seasonsOf)
        most.Offer(count, false, {person, {}});
    page << "<h4>Alla s\xC3\xA4songer</h4>\n";
    page.Header({"Rekord", "V\xC3\xA4rde", "Innehavare"});
    RecordRow(page, archive, "Flest s\xC3\xA4songer", most);
    RecordRow(page, archive, "L\xC3\xA4ngsta svit av s\xC3\xA4songer", run);
    page << "</table>\n";
    return page.Done();
}

} // namespace

std::vector<CSiteFile> ArchiveSite(const CArchive& archive)
{
    std::vector<CSiteFile> site;
    site.reserve(archive.m_people.size() + archive.m_seasons.size() + 4);
    site.push_back({"table.css", archive.m_stylesheet.toStdString()});
    site.push_back({"arkiv.css", std::string(kArchiveCss)});
    for (const CSeason& season : archive.m_seasons)
        site.push_back({season.m_pageName, season.m_page});
    for (const CPerson& person : archive.m_people)
        site.push_back({person.m_fileName, PlayerPage(archive, person)});
    site.push_back({"rekord.html", RecordsPage(archive)});
    site.push_back({"index.html", IndexPage(archive)});
    return site;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// check, table, rewrite and standings: the commands that read one tournament and show it.
#include "files/NameMatch.h"
#include "files/RulesFile.h"
#include "model/Text.h"
#include "report/GroupStandings.h"
#include "report/StandingsView.h"
#include "tools/Commands.h"
#include "tools/Terminal.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>

namespace {

// The rules file beside the tournament, read with it: a refused one is printed, and false.
bool RulesRead(const CTournamentDoc& doc, std::ostream& err)
{
    CFileResult result = doc.RulesResult();
    result.m_line = QuotedLine(result.m_line, TextEncoding::Utf8);
    return Present(result, doc.Encoding(), err) == 0;
}

// The players file beside the tournament, read with it: a refused one is printed, and false.
bool PlayersRead(const CTournamentDoc& doc, std::ostream& err)
{
    CFileResult result = doc.PlayersResult();
    result.m_line = QuotedLine(result.m_line, TextEncoding::Utf8);
    return Present(result, doc.Encoding(), err) == 0;
}

// Shows the page as the window's "Skapa Tabell" does, which reports nothing; here a line says
// so when no program could be started.
void OpenPage(const QString& path, std::ostream& err)
{
    // The opener is a program of its own, so that only this command loads Qt Gui and GIO. It
    // never waits for the browser, and its status says whether a program took the page.
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    for (const std::filesystem::path& opener :
         {self / "ravelmark-open", self / RAVELMARK_OPEN_DIR / "ravelmark-open"}) {
        if (!std::filesystem::exists(opener, error))
            continue;
        if (QProcess::execute(QFile::decodeName(opener.c_str()), {path}) == 0)
            return;
        break;
    }
    err << "ravelmark-tool: inget program kan öppna " << Utf8(path) << '\n';
}

// `rounds`: the first rounds the page shows; 0 for all.
int Table(CTournamentDoc& doc, bool open, std::size_t rounds, const std::string& onlyClass, std::ostream& err)
{
    QString pagePath;
    const CFileResult result = doc.WritePage(pagePath, rounds == 0 ? SIZE_MAX : rounds, onlyClass);
    if (result.Ok() && open)
        OpenPage(pagePath, err);
    return Present(result, doc.Encoding(), err);
}

int Rewrite(CTournamentDoc& doc, std::ostream& err)
{
    return Present(doc.Save(), doc.Encoding(), err);
}

// What an accepted file holds that a person may not have meant, a line each: a player twice in a
// round, a round without results, names that are likely one person spelled two ways, then the
// names of the players file that no round holds.
int Check(const CTournamentDoc& doc, const std::vector<CReadNote>& notes, std::ostream& out)
{
    const CTournament& tournament = doc.Tournament();
    const auto utf8 = [&](const std::string& bytes) { return TerminalText(ToUtf8(bytes, tournament.m_encoding)); };
    for (const CReadNote& note : notes) {
        out << "Rad " << note.m_lineNo << ": ";
        if (note.m_kind == CReadNote::Repeated)
            out << utf8(note.m_player) << " st\xC3\xA5r tv\xC3\xA5 g\xC3\xA5nger i omg\xC3\xA5ngen \""
                << utf8(note.m_round) << "\" (rad " << note.m_firstLineNo << " och " << note.m_lineNo
                << "); po\xC3\xA4ngen p\xC3\xA5 rad " << note.m_lineNo << " g\xC3\xA4ller\n";
        else
            out << "omg\xC3\xA5ngen \"" << utf8(note.m_round) << "\" har inga resultat\n";
    }
    for (const std::vector<PlayerId>& group : NearDuplicates(tournament)) {
        out << "M\xC3\xB6jliga dubbletter: ";
        for (std::size_t i = 0; i < group.size(); ++i)
            out << (i > 0 ? " / " : "") << TerminalText(ToUtf8(tournament.PlayerName(group[i]), tournament.m_encoding));
        out << '\n';
    }
    // What is most likely a slip under the counting in force: told, never refused.
    const CSeriesRules& rules = doc.Rules();
    std::size_t largest = 0;
    for (const CRound& round : tournament.m_rounds) {
        largest = std::max(largest, round.m_results.size());
        for (const CResult& result : round.m_results) {
            if (rules.m_counting == Counting::Strokes && result.m_points == 0)
                out << "0 slag: " << utf8(std::string(tournament.PlayerName(result.m_player)))
                    << " i omg\xC3\xA5ngen \"" << utf8(round.m_name) << "\"\n";
        }
    }
    const std::size_t table = rules.m_placePoints.size();
    if (rules.m_counting == Counting::Placing && !rules.m_pointsForBeaten && !rules.m_otherPoints && largest > table)
        out << "Placeringspo\xC3\xA4ngen r\xC3\xA4"
               "cker till "
            << table << " placeringar men en omg\xC3\xA5ng har " << largest
            << " resultat: \xC3\xB6vriga placeringar f\xC3\xA5r 0 po\xC3\xA4ng (s\xC3\xA4tt \xC3\xB6vriga)\n";
    QString playersPath;
    PlayersPath(doc.Path(), playersPath);
    for (const std::string& name : NamesWithoutResults(doc.ClubPlayers(), tournament))
        out << "Utan resultat i " << TerminalText(Utf8(QFileInfo(playersPath).fileName())) << ": " << TerminalText(name)
            << '\n';
    return 0;
}

int Standings(CTournamentDoc& doc, const Options& options, std::ostream& out)
{
    const CTournament& tournament = doc.Tournament();
    const std::optional<CStandingsView> overall =
        options.after == 0 || options.after >= tournament.m_rounds.size()
            ? std::optional<CStandingsView>(std::in_place, tournament, doc.RankedStandings(), doc.Rules(),
                                            &doc.ClubPlayers())
            : std::optional<CStandingsView>(std::in_place, tournament, doc.Rules(), options.after, &doc.ClubPlayers());
    std::optional<CGroupStandings> groups;
    if (doc.ClubPlayers().SetsGroups())
        groups.emplace(tournament, doc.ClubPlayers(), doc.Rules(), options.after == 0 ? SIZE_MAX : options.after,
                       overall->SharedCounting());
    const CGroupStandings* shown = groups ? &*groups : nullptr;
    // One class: its own standings, the lines alone.
    const CStandingsView& view =
        options.className.empty() ? *overall
                                  : groups->ClassView(static_cast<std::size_t>(groups->ClassIndex(options.className)));
    switch (options.format) {
    case Format::Text:
        out << TerminalText(StandingsText(view));
        break;
    case Format::Csv:
        out << StandingsCsv(view, ',', shown);
        break;
    case Format::Excel:
        out << StandingsExcelCsv(view, shown);
        break;
    case Format::Json:
        out << StandingsJson(view, shown, !options.className.empty());
        break;
    }
    return 0;
}

} // namespace

int TableCommand(const std::vector<std::string>& args, const Options& options, std::ostream& out, std::ostream& err)
{
    const std::string& first = args[0];
    CTournamentDoc doc;
    std::vector<CReadNote> notes;
    if (!Load(options.file, doc, err, first == "check" ? &notes : nullptr))
        return 1;
    const std::size_t rounds = doc.Tournament().m_rounds.size();
    if (options.after > rounds) {
        err << "ravelmark-tool: --after " << options.after << ": " << options.file << " har bara " << rounds
            << (rounds == 1 ? " omgång\n" : " omgångar\n");
        return 2;
    }
    const std::string& command = args[0];
    if (command != "rewrite" && (!RulesRead(doc, err) || !PlayersRead(doc, err)))
        return 1;
    if (!options.className.empty()) {
        const std::vector<CPlayerGroup>& classes = doc.ClubPlayers().m_classes;
        if (std::none_of(classes.begin(), classes.end(),
                         [&](const CPlayerGroup& c) { return c.m_name == options.className; })) {
            err << "ravelmark-tool: --class " << options.className << ": ingen klass med det namnet i " << options.file
                << "\n";
            return 2;
        }
    }
    if (command == "table")
        return Table(doc, options.open, options.after, options.className, err);
    if (command == "rewrite")
        return Rewrite(doc, err);
    if (command == "standings")
        return Standings(doc, options, out);
    return Check(doc, notes, out);
}

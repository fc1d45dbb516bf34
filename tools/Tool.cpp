// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Tool.h"

#include "files/NameMatch.h"
#include "files/RulesFile.h"
#include "files/TournamentDoc.h"
#include "files/TournamentFile.h"
#include "files/Versions.h"
#include "model/Difference.h"
#include "model/PlayerRename.h"
#include "model/Text.h"
#include "model/TournamentEncoding.h"
#include "report/GroupStandings.h"
#include "report/StandingsView.h"
#include "tools/Import.h"
#include "tools/Publish.h"
#include "tools/Serve.h"
#include "tools/Terminal.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>

int Present(const CFileResult& result, TextEncoding encoding, std::ostream& err)
{
    if (result.Ok())
        return 0;
    err << ResultMessage(result, encoding).toStdString() << '\n';
    return 1;
}

bool Load(const std::string& file, CTournamentDoc& doc, std::ostream& err, std::vector<CReadNote>* notes)
{
    CFileResult result = doc.Read(QFile::decodeName(QByteArray::fromStdString(file)), notes);
    result.m_line = QuotedLine(result.m_line, doc.Encoding());
    return Present(result, doc.Encoding(), err) == 0;
}

int UsageError(const std::string& reason, std::ostream& err)
{
    err << "ravelmark-tool: " << reason << " (se ravelmark-tool --help)\n";
    return 2;
}

namespace {

const char* const kHelp =
    "Användning: ravelmark-tool KOMMANDO FIL [FLAGGOR]\n"
    "\n"
    "Läser en turneringsfil som Ravelmark gör och arbetar med den utan fönster.\n"
    "\n"
    "  check FIL          visar den första rad som inte kan läsas (slutkod 1), annars spelare som\n"
    "                     står två gånger i en omgång (den senare raden gäller), omgångar utan\n"
    "                     resultat och namnen som troligen är samma spelare stavad på två sätt\n"
    "  table FIL          skriver tabellen FIL.htm bredvid FIL\n"
    "  table FIL --open   öppnar också sidan i skrivbordets webbläsare\n"
    "  rewrite FIL        sparar FIL som programmet gör när det stängs: säkerhetskopia, sedan ny fil\n"
    "  standings FIL      skriver ut ställningen som en tabell i text\n"
    "  import FIL --round NAMN [INFIL|-]\n"
    "                     för in resultat ur INFIL (eller standard in) i omgången NAMN, en ny\n"
    "                     sist om ingen heter så: tabbar, ';' eller ',' (CSV) eller rader\n"
    "                     \"namn poäng\"; varje namn jämförs med turneringens spelare; sparar med\n"
    "                     säkerhetskopia bara när alla rader tas in (slutkod 1 annars)\n"
    "  history FIL        listar FIL och dess säkerhetskopior, nyaste först: tid, fil och\n"
    "                     vad som ändrades sedan versionen före\n"
    "  diff GAMMAL NY     visar skillnaderna mellan två turneringsfiler, en rad var\n"
    "                     (slutkod 0 lika, 1 olika, 2 felaktigt anrop eller fil som inte kan läsas)\n"
    "  restore FIL VERSION\n"
    "                     sparar VERSIONs turnering som FIL, som programmet sparar: FILs\n"
    "                     nuvarande innehåll blir en säkerhetskopia\n"
    "  rename FIL GAMMALT NYTT\n"
    "                     byter namn på spelaren GAMMALT till NYTT i alla omgångar och sparar som\n"
    "                     programmet (säkerhetskopia); finns NYTT redan slås de ihop, utom där båda\n"
    "                     har resultat i samma omgång (slutkod 1, inget ändras)\n"
    "  new FIL [--from FIL2]\n"
    "                     skapar en ny turnering FIL; med --from tas spelare, klasser, lag och regler\n"
    "                     med från FIL2 (FIL2.spelare och FIL2.regler), men inga omgångar\n"
    "  move FIL OMGÅNG PLATS\n"
    "                     flyttar omgång nummer OMGÅNG (räknat från 1) till plats PLATS och sparar\n"
    "                     FIL som programmet gör: säkerhetskopia, sedan ny fil\n"
    "  serve FIL          visar tabellen som webbsida på det lokala nätverket och följer FIL\n"
    "                     när den ändras, tills Ctrl+C; skriver ut sidans adress\n"
    "  publish FIL        lägger tabellen och table.css på klubbens webbplats och kontrollerar dem där\n"
    "                     (slutkod 0 publicerad och kontrollerad, 1 inte, med orsaken)\n"
    "  -h, --help         visar den här hjälpen\n"
    "  -v, --version      visar verktygets version\n"
    "\n"
    "Flaggor, före eller efter FIL:\n"
    "  --after N          (table, standings) ställningen efter de N första omgångarna\n"
    "  --format FORMAT    (standings) text (förval), csv, excel eller json, alla i UTF-8:\n"
    "      csv   RFC 4180 med CR LF som radslut: en rubrikrad \"Placering,Namn,Summa,<omgångar>,Antal\",\n"
    "            sedan en rad per spelare; en omgångs fält är tomt där spelaren saknar resultat\n"
    "      json  {\"title\": ..., \"rounds\": [...], \"standings\": [ och en rad per spelare\n"
    "            {\"place\": n, \"name\": ..., \"total\": n, \"points\": [n eller null], \"played\": n}\n"
    "            med kommatecken emellan, sist en rad \"]}\"\n"
    "      Lika summor delar den förstas placering (1, 1, 3) i csv och json.\n"
    "      excel som csv men med ';' mellan fälten och UTF-8 med byte-order mark, som\n"
    "            ett svenskt Excel och LibreOffice öppnar i kolumner\n"
    "  --dry-run          (import) visar en rad per inläst rad: nr, namn, spelare, poäng och vad\n"
    "                     den gör; ändrar inget\n"
    "  --skip-refused     (import) hoppar över avvisade rader och sparar resten\n"
    "  --accept-similar   (import) för in ett namn som liknar en spelares under spelarens namn\n"
    "  --columns N,M      (import) namnet i kolumn N och poängen i kolumn M (från 1)\n"
    "  --class KLASS      (table, standings) bara klassen KLASS ur FIL.spelare\n"
    "  --port N           (serve) den första port som prövas (förval 8642); är den upptagen tas nästa lediga\n"
    "  --bind ADRESS      (serve) lyssnar bara på ADRESS, till exempel 127.0.0.1 för den här datorn;\n"
    "                     förval: adressen på det lokala nätverket och 127.0.0.1\n"
    "  --to URL           (publish) sftp://ANVÄNDARE@SERVER[:PORT]/MAPP/, ftps://…, ftp://…,\n"
    "                     davs://… (WebDAV över https) eller en mapp; förval: målet fönstret sparat för FIL.\n"
    "                     Lösenordet tas ur RAVELMARK_PASSWORD; SFTP loggar också in med SSH-nycklar\n"
    "  --web URL          (publish) sidans offentliga adress: sidan hämtas där och dess rad\n"
    "                     \"Uppdaterad\" jämförs\n"
    "  --watch            (publish) publicerar igen varje gång FIL ändras, tills Ctrl+C\n"
    "\n"
    "      Med en regelfil i kraft får json \"rules\" och per rad \"all\", \"dropped\", \"placed\" och\n"
    "      \"decided_by\"; csv får kolumnerna Alla och Struket; text visar strukna resultat inom ().\n"
    "      Med förändring = ja får csv sist kolumnen Förändring (platser uppåt, negativt nedåt, ny\n"
    "      eller tomt) och json \"change_since\" samt per rad \"change\" (ett tal, \"new\" eller null).\n"
    "\n"
    "Regelfilen FIL.regler bredvid turneringen (bästa, omgångar, minst, särskiljning, lag, totalt,\n"
    "förändring, diagram) gäller för check, table och standings; en regelfil som avvisas ger\n"
    "slutkod 1 och ingen sida.\n"
    "Spelarfilen FIL.spelare ger spelarnas klasser och lag: sidan får en tabell per klass och,\n"
    "med lag = K i regelfilen, en lagtabell; csv får kolumnerna Klass och Lag, json \"class\" och\n"
    "\"team\" per rad samt \"classes\" och \"teams\". check visar namn i den som saknar resultat.\n"
    "\n"
    "Slutkoder: 0 klart, 1 filen avvisades eller kunde inte läsas eller skrivas, 2 felaktigt anrop.\n"
    "Turneringsfilen och regelfilen beskrivs i ravelmark(5).\n";

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

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
    QString playersPath;
    PlayersPath(doc.Path(), playersPath);
    for (const std::string& name : NamesWithoutResults(doc.ClubPlayers(), tournament))
        out << "Utan resultat i " << TerminalText(Utf8(QFileInfo(playersPath).fileName())) << ": " << TerminalText(name)
            << '\n';
    return 0;
}

enum class Format { Text, Csv, Excel, Json };

// The command line after the command word: FILE and the options, in any order.
struct Options
{
    std::string file;
    bool open = false;
    Format format = Format::Text;
    // The first rounds to rank; 0 for all.
    std::size_t after = 0;
    int port = 8642;
    std::string bind;
    std::string className; // UTF-8; empty for every table
    std::string to, web;
    bool watch = false;
};

// The reason of a usage error (an option the command does not take, a missing or wrong value,
// a word too many), or empty when the command line is good.
std::string ParseOptions(const std::vector<std::string>& args, Options& options)
{
    const std::string& command = args[0];
    const bool table = command == "table", standings = command == "standings", serve = command == "serve";
    const bool publish = command == "publish";
    bool haveFile = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--open" && !table)
            return "--open gäller bara table";
        if (word == "--format" && !standings)
            return "--format gäller bara standings";
        if (word == "--after" && !table && !standings)
            return "--after gäller bara table och standings";
        if ((word == "--port" || word == "--bind") && !serve)
            return word + " gäller bara serve";
        if ((word == "--to" || word == "--web" || word == "--watch") && !publish)
            return word + " gäller bara publish";
        if (word == "--class" && !table && !standings)
            return "--class gäller bara table och standings";
        if ((word == "--format" || word == "--after" || word == "--port" || word == "--bind" || word == "--class" ||
             word == "--to" || word == "--web") &&
            i + 1 == args.size())
            return word + " saknar värde";
        if (word == "--open") {
            options.open = true;
        } else if (word == "--format") {
            const std::string& name = args[++i];
            if (name == "text")
                options.format = Format::Text;
            else if (name == "csv")
                options.format = Format::Csv;
            else if (name == "excel")
                options.format = Format::Excel;
            else if (name == "json")
                options.format = Format::Json;
            else
                return "--format " + name + ": välj text, csv, excel eller json";
        } else if (word == "--after") {
            const std::string& count = args[++i];
            const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), options.after);
            if (error != std::errc() || end != count.data() + count.size())
                return "--after " + count + ": inget antal omgångar";
            if (options.after == 0)
                return "--after 0: omgångarna räknas från 1";
        } else if (word == "--port") {
            const std::string& number = args[++i];
            const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), options.port);
            if (error != std::errc() || end != number.data() + number.size() || options.port < 1 ||
                options.port > 65535)
                return "--port " + number + ": ingen port (1 till 65535)";
        } else if (word == "--bind") {
            options.bind = args[++i];
        } else if (word == "--class") {
            options.className = args[++i];
        } else if (word == "--to" || word == "--web") {
            (word == "--to" ? options.to : options.web) = args[++i];
        } else if (word == "--watch") {
            options.watch = true;
        } else if (word.starts_with("--")) {
            return "okänd flagga: " + word;
        } else if (haveFile) {
            return "högst en fil: " + word;
        } else {
            options.file = word;
            haveFile = true;
        }
    }
    return haveFile ? std::string() : "turneringsfil saknas";
}

int Standings(CTournamentDoc& doc, const Options& options, std::ostream& out)
{
    const CTournament& tournament = doc.Tournament();
    const std::optional<CStandingsView> overall =
        options.after == 0 || options.after >= tournament.m_rounds.size()
            ? std::optional<CStandingsView>(std::in_place, tournament, doc.RankedStandings(), doc.Rules())
            : std::optional<CStandingsView>(std::in_place, tournament, doc.Rules(), options.after);
    std::optional<CGroupStandings> groups;
    if (doc.ClubPlayers().SetsGroups())
        groups.emplace(tournament, doc.ClubPlayers(), doc.Rules(), options.after == 0 ? SIZE_MAX : options.after);
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

QString FileName(const std::string& file)
{
    return QFile::decodeName(QByteArray::fromStdString(file));
}

// The commands that take other arguments than one FILE: their exit code, or -1 for another command.
int RunVersionCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const std::string& command = args[0];
    const std::size_t files = command == "history" ? 1 : command == "diff" || command == "restore" ? 2 : 0;
    if (files == 0)
        return -1;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].starts_with("--"))
            return UsageError("okänd flagga: " + args[i], err);
    }
    if (args.size() != files + 1)
        return UsageError(command + (files == 1 ? " tar en fil" : " tar två filer"), err);
    if (command == "history") {
        const std::vector<CVersion> versions = ListVersions(FileName(args[1]));
        if (versions.empty()) {
            CFileResult missing;
            missing.m_kind = CFileResult::CannotOpen;
            missing.m_path = FileName(args[1]);
            return Present(missing, TextEncoding::Utf8, err);
        }
        for (const CVersion& version : versions)
            out << TerminalText(Utf8(version.Line())) << '\n';
        return 0;
    }
    // diff: as diff(1), 2 for a file that cannot be compared. restore reads only VERSION here.
    CLoadedTournament older, newer;
    for (std::size_t i = command == "diff" ? 1 : 2; i <= 2; ++i) {
        CLoadedTournament& loaded = i == 1 ? older : newer;
        CFileResult result = LoadTournamentFile(FileName(args[i]), loaded);
        result.m_line = QuotedLine(result.m_line, loaded.m_tournament.m_encoding);
        if (Present(result, loaded.m_tournament.m_encoding, err) != 0)
            return command == "diff" ? 2 : 1;
    }
    if (command == "restore") {
        // The version in FIL's place, saved as the window's close saves: FIL's bytes as they
        // are become its backup. FIL itself may be refused by the reader: that is why it is restored.
        CTournamentDoc doc;
        const CFileResult read = doc.Read(FileName(args[1]));
        if (read.m_kind == CFileResult::CannotOpen)
            return Present(read, doc.Encoding(), err);
        doc.SwapTournament(newer.m_tournament);
        return Present(doc.Save(), doc.Encoding(), err);
    }
    const std::vector<std::string> lines = Differences(older.m_tournament, newer.m_tournament);
    for (const std::string& line : lines)
        out << TerminalText(line) << '\n';
    return lines.empty() ? 0 : 1;
}

// rename FIL GAMMALT NYTT: the player's results under the new name in every round, saved as the
// window saves; the players file follows.
int Rename(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CTournamentDoc doc;
    if (!Load(args[1], doc, err))
        return 1;
    std::string from, to;
    // As the file will read it back: trimmed, each run of blanks and tabs one blank.
    std::string typed;
    for (const char c : Trimmed(args[3])) {
        const bool blank = c == ' ' || c == '\t';
        if (!blank || typed.empty() || typed.back() != ' ')
            typed += blank ? ' ' : c;
    }
    PlayerId fromId = 0, toId = 0;
    if (!InTournamentEncoding(args[2], doc.Encoding(), from) || !doc.Tournament().m_players.Find(from, fromId) ||
        doc.Standings().RowOf(fromId) == CStandings::kNoRow) {
        err << "ravelmark-tool: ingen spelare heter " << args[2] << " i " << args[1] << '\n';
        return 1;
    }
    if (typed.empty())
        return UsageError("det nya namnet är tomt", err);
    if (HoldsControl(Trimmed(args[3]))) {
        err << "ravelmark-tool: namnet innehåller ett tecken som inte kan sparas\n";
        return 1;
    }
    if (!InTournamentEncoding(typed, doc.Encoding(), to)) {
        // As the window does: a tournament of plain ASCII becomes UTF-8; another is not changed unasked.
        if (!IsAscii(doc.Tournament())) {
            err << "ravelmark-tool: " << typed << " kan inte skrivas i " << args[1]
                << " (Windows-1252); spara den som UTF-8 i programmet först\n";
            return 1;
        }
        doc.ConvertToUtf8(false);
        to = typed;
    }
    if (from == to) {
        out << "Inget att byta: namnet är detsamma\n";
        return 0;
    }
    toId = doc.AddPlayer(to);
    const std::vector<std::size_t> both = RoundsWithBoth(doc.Tournament(), fromId, toId);
    if (!both.empty()) {
        err << "Båda har resultat i " << ToUtf8(RoundList(doc.Tournament(), both), doc.Encoding()) << '\n';
        return 1;
    }
    doc.RenamePlayer(fromId, toId);
    if (const int code = Present(doc.Save(), doc.Encoding(), err); code != 0)
        return code;
    CClubPlayers players = doc.ClubPlayers();
    RenameClubPlayer(players, from, to, doc.Encoding());
    if (doc.PlayersResult().Ok())
        return Present(doc.SetClubPlayers(players), doc.Encoding(), err);
    return 0;
}

// new FIL [--from FIL2]: a new tournament file, with the players and rules of FIL2.
int New(const std::vector<std::string>& args, std::ostream& err)
{
    std::string file, from;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--from") {
            if (i + 1 == args.size())
                return UsageError("--from saknar värde", err);
            from = args[++i];
        } else if (args[i].starts_with("--")) {
            return UsageError("okänd flagga: " + args[i], err);
        } else if (!file.empty()) {
            return UsageError("högst en fil: " + args[i], err);
        } else {
            file = args[i];
        }
    }
    if (file.empty())
        return UsageError("turneringsfil saknas", err);
    if (!from.empty()) {
        // The old season must read well before anything new is made.
        CLoadedTournament old;
        CFileResult read = LoadTournamentFile(FileName(from), old);
        read.m_line = QuotedLine(read.m_line, old.m_tournament.m_encoding);
        if (Present(read, old.m_tournament.m_encoding, err) != 0)
            return 1;
    }
    const QString path = FileName(file);
    if (const int code = Present(CreateTournamentFile(path), TextEncoding::Utf8, err); code != 0)
        return code;
    if (from.empty())
        return 0;
    CFileResult carried = CarryOverPlayersAndRules(path, FileName(from));
    carried.m_line = QuotedLine(carried.m_line, TextEncoding::Utf8);
    return Present(carried, TextEncoding::Utf8, err);
}

// The commands on the players: their exit code, or -1 for another command.
int RunPlayerCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args[0] == "new")
        return New(args, err);
    if (args[0] != "rename")
        return -1;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].starts_with("--"))
            return UsageError("okänd flagga: " + args[i], err);
    }
    if (args.size() != 4)
        return UsageError("rename tar en fil, ett gammalt och ett nytt namn", err);
    return Rename(args, out, err);
}

// move FILE ROUND POSITION: round ROUND (from 1) to place POSITION, the others keeping their
// order, saved as the window saves.
int Move(const std::vector<std::string>& args, std::ostream& err)
{
    if (args.size() != 4 || args[1].starts_with("--"))
        return UsageError("move tar en fil, en omg\xC3\xA5ng och en plats", err);
    std::size_t numbers[2] = {};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string& word = args[2 + i];
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), numbers[i]);
        if (error != std::errc() || end != word.data() + word.size() || numbers[i] == 0)
            return UsageError("move " + word + ": omg\xC3\xA5ngar och platser r\xC3\xA4knas fr\xC3\xA5n 1", err);
    }
    CTournamentDoc doc;
    if (!Load(args[1], doc, err))
        return 1;
    const std::size_t rounds = doc.Tournament().m_rounds.size();
    if (std::max(numbers[0], numbers[1]) > rounds) {
        err << "ravelmark-tool: move: " << args[1] << " har bara " << rounds
            << (rounds == 1 ? " omg\xC3\xA5ng\n" : " omg\xC3\xA5ngar\n");
        return 2;
    }
    // In its place already: nothing to save, no backup.
    if (numbers[0] == numbers[1])
        return 0;
    doc.MoveRound(numbers[0] - 1, numbers[1] - 1);
    return Present(doc.Save(), doc.Encoding(), err);
}

// RunTool with the messages in `err` as they are, control characters and all.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const std::string first = args.empty() ? std::string() : args[0];
    if (first == "--help" || first == "-h" || first == "--version" || first == "-v") {
        if (args.size() > 1)
            return UsageError(first + " står ensamt", err);
        out << (first == "--help" || first == "-h" ? kHelp : "ravelmark-tool " RAVELMARK_VERSION "\n");
        return 0;
    }
    if (first.empty())
        return UsageError("kommando saknas", err);
    if (const int code = RunVersionCommand(args, out, err); code >= 0)
        return code;
    if (const int code = RunPlayerCommand(args, out, err); code >= 0)
        return code;
    if (first == "import")
        return Import(args, out, err);
    if (first == "move")
        return Move(args, err);
    if (first != "check" && first != "table" && first != "rewrite" && first != "standings" && first != "serve" &&
        first != "publish")
        return UsageError((first.starts_with("-") ? "okänd flagga: " : "okänt kommando: ") + first, err);
    Options options;
    if (const std::string reason = ParseOptions(args, options); !reason.empty())
        return UsageError(reason, err);
    if (first == "serve")
        return Serve(options.file, options.port, options.bind, out, err);
    if (first == "publish")
        return PublishCommand(options.file, options.to, options.web, options.watch, out, err);
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

} // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    // Messages quote lines, names and paths: whatever their bytes, they reach a terminal as text.
    std::ostringstream messages;
    const int code = Run(args, out, messages);
    err << TerminalText(messages.str());
    return code;
}

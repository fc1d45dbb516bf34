// SPDX-License-Identifier: GPL-3.0-or-later
// ravelmark-tool's usage, its command line and the reading every command starts with; the
// commands themselves are in the files Commands.h names.
#include "tools/Tool.h"

#include "tools/ArchiveCommand.h"
#include "tools/Commands.h"
#include "tools/HandicapList.h"
#include "tools/Import.h"
#include "tools/Publish.h"
#include "tools/Serve.h"
#include "tools/Terminal.h"

#include <QFile>

#include <charconv>
#include <ostream>

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

QString FileName(const std::string& file)
{
    return QFile::decodeName(QByteArray::fromStdString(file));
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
    "  archive MAPP [--out MAPP2] [--publish [--to URL]]\n"
    "                     gör klubbens arkiv av alla turneringsfiler i MAPP och dess undermappar:\n"
    "                     säsongerna, en sida per spelare och rekorden, i MAPP2 (förval MAPP/arkiv);\n"
    "                     --publish lägger det i arkiv/ på den senaste säsongens mål (eller --to),\n"
    "                     bara de filer som ändrats\n"
    "  archive --check MAPP\n"
    "                     visar namn som troligen är samma spelare i olika säsonger (ändrar inget)\n"
    "  handicap FIL [--after N] [--player NAMN] [--format text|csv|json]\n"
    "                     varje spelares handikapp i nästa omgång och hur den räknades fram\n"
    "                     (FIL.regler med handikapp = ja); med --player spelarens handikapp i\n"
    "                     varje omgång; --format csv öppnas i ett kalkylprogram\n"
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
    "  --accept OMGÅNG    (serve) tar också emot resultat från telefoner för OMGÅNG (nummer eller namn)\n"
    "                     som förslag i FIL.forslag; FIL ändras inte\n"
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
        if ((word == "--port" || word == "--bind" || word == "--accept") && !serve)
            return word + " gäller bara serve";
        if ((word == "--to" || word == "--web" || word == "--watch") && !publish)
            return word + " gäller bara publish";
        if (word == "--class" && !table && !standings)
            return "--class gäller bara table och standings";
        if ((word == "--format" || word == "--after" || word == "--port" || word == "--bind" || word == "--accept" ||
             word == "--class" || word == "--to" || word == "--web") &&
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
        } else if (word == "--accept") {
            options.accept = args[++i];
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
    if (const int code = RunHistoryCommand(args, out, err); code >= 0)
        return code;
    if (const int code = RunPlayerCommand(args, out, err); code >= 0)
        return code;
    if (first == "import")
        return Import(args, out, err);
    if (first == "archive")
        return ArchiveCommand(args, out, err);
    if (first == "handicap")
        return HandicapList(args, out, err);
    if (first != "check" && first != "table" && first != "rewrite" && first != "standings" && first != "serve" &&
        first != "publish")
        return UsageError((first.starts_with("-") ? "okänd flagga: " : "okänt kommando: ") + first, err);
    Options options;
    if (const std::string reason = ParseOptions(args, options); !reason.empty())
        return UsageError(reason, err);
    if (first == "serve")
        return Serve(options.file, options.port, options.bind, out, err, options.accept);
    if (first == "publish")
        return PublishCommand(options.file, options.to, options.web, options.watch, out, err);
    return TableCommand(args, options, out, err);
}

} // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    // Messages quote lines, names and paths: whatever their bytes, they reach a terminal as text.
    CTerminalMessages terminal(err);
    std::ostream messages(&terminal);
    const int code = Run(args, out, messages);
    messages.flush();
    return code;
}

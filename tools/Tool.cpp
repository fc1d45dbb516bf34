// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Tool.h"

#include "files/NameMatch.h"
#include "files/TournamentDoc.h"
#include "report/StandingsView.h"

#include <QFile>
#include <QProcess>

#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>

namespace {

const char* const kUsage = "usage: ravelmark-tool {check|table [--open] [--after N]|rewrite|"
                          "standings [--format text|csv|json] [--after N]} FILE";

const char* const kHelp =
    "usage: ravelmark-tool COMMAND FILE\n"
    "\n"
    "Reads a tournament file as Ravelmark does and works on it without the window.\n"
    "\n"
    "  check FILE         report the first line the reader refuses (exit 1); list the names\n"
    "                     that are likely one player spelled two ways\n"
    "  table FILE         write the standings page FILE.htm beside FILE\n"
    "  table FILE --open  also open the page in the desktop's browser\n"
    "  rewrite FILE       save FILE as the program does on close: backup, then new file\n"
    "  standings FILE     print the ranked standings as a plain-text table\n"
    "  --help             show this text\n"
    "\n"
    "Options, before or after FILE:\n"
    "  --after N          (table, standings) the standings after the first N rounds only\n"
    "  --format FORMAT    (standings) text (the default), csv or json, all in UTF-8:\n"
    "      csv   RFC 4180 with CR LF line ends: a header row \"Placering,Namn,Summa,<rounds>,Antal\",\n"
    "            then one row per player; a round's field is empty where the player has no result\n"
    "      json  {\"title\": ..., \"rounds\": [...], \"standings\": [ then one line per player\n"
    "            {\"place\": n, \"name\": ..., \"total\": n, \"points\": [n or null], \"played\": n}\n"
    "            separated by commas, then a line \"]}\"\n"
    "      Equal totals share the place of the first of them (1, 1, 3) in csv and json.\n"
    "\n"
    "Exit codes: 0 done, 1 the file was refused or could not be read or written, 2 usage.\n";

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

// Prints what went wrong, in UTF-8 (the refused line from the file's encoding); the exit code.
int Present(const CFileResult& result, TextEncoding encoding, std::ostream& err)
{
    if (result.Ok())
        return 0;
    err << Utf8(ResultMessage(result, encoding)) << '\n';
    return 1;
}

// Reads FILE as choosing it in the program does; prints the refusal and returns false.
bool Load(const std::string& file, CTournamentDoc& doc, std::ostream& err)
{
    const CFileResult result = doc.Read(QFile::decodeName(QByteArray::fromStdString(file)));
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
    for (const std::filesystem::path& opener : {self / "ravelmark-open", self / RAVELMARK_OPEN_DIR / "ravelmark-open"}) {
        if (!std::filesystem::exists(opener, error))
            continue;
        if (QProcess::execute(QFile::decodeName(opener.c_str()), {path}) == 0)
            return;
        break;
    }
    err << "ravelmark-tool: no program to open " << Utf8(path) << '\n';
}

// `rounds`: the first rounds the page shows; 0 for all.
int Table(CTournamentDoc& doc, bool open, std::size_t rounds, std::ostream& err)
{
    QString pagePath;
    const CFileResult result = doc.WritePage(pagePath, rounds == 0 ? SIZE_MAX : rounds);
    if (result.Ok() && open)
        OpenPage(pagePath, err);
    return Present(result, doc.Encoding(), err);
}

int Rewrite(CTournamentDoc& doc, std::ostream& err)
{
    return Present(doc.Save(), doc.Encoding(), err);
}

// An accepted file's names that are likely one person spelled two ways, one group a line.
int Check(const CTournament& tournament, std::ostream& out)
{
    for (const std::vector<PlayerId>& group : NearDuplicates(tournament)) {
        out << "M\xC3\xB6jliga dubbletter: ";
        for (std::size_t i = 0; i < group.size(); ++i)
            out << (i > 0 ? " / " : "") << ToUtf8(tournament.PlayerName(group[i]), tournament.m_encoding);
        out << '\n';
    }
    return 0;
}

enum class Format { Text, Csv, Json };

// The command line after the command word: FILE and the options, in any order.
struct Options
{
    std::string file;
    bool open = false;
    Format format = Format::Text;
    // The first rounds to rank; 0 for all.
    std::size_t after = 0;
};

// False on a usage error: an unknown word, an option the command does not take, a missing value.
bool ParseOptions(const std::vector<std::string>& args, Options& options)
{
    const std::string& command = args[0];
    bool haveFile = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool hasValue = i + 1 < args.size();
        if (word == "--open" && command == "table") {
            options.open = true;
        } else if (word == "--format" && command == "standings" && hasValue) {
            const std::string& name = args[++i];
            if (name == "text")
                options.format = Format::Text;
            else if (name == "csv")
                options.format = Format::Csv;
            else if (name == "json")
                options.format = Format::Json;
            else
                return false;
        } else if (word == "--after" && (command == "standings" || command == "table") && hasValue) {
            const std::string& count = args[++i];
            const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), options.after);
            if (error != std::errc() || end != count.data() + count.size() || options.after == 0)
                return false;
        } else if (!word.starts_with("--") && !haveFile) {
            options.file = word;
            haveFile = true;
        } else {
            return false;
        }
    }
    return haveFile;
}

int Standings(CTournamentDoc& doc, const Options& options, std::ostream& out)
{
    const CTournament& tournament = doc.Tournament();
    const std::optional<CStandingsView> view = options.after == 0 || options.after >= tournament.m_rounds.size()
                                                   ? std::optional<CStandingsView>(std::in_place, tournament, doc.RankedStandings())
                                                   : std::optional<CStandingsView>(std::in_place, tournament, options.after);
    switch (options.format) {
    case Format::Text:
        out << StandingsText(*view);
        break;
    case Format::Csv:
        out << StandingsCsv(*view);
        break;
    case Format::Json:
        out << StandingsJson(*view);
        break;
    }
    return 0;
}

} // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kHelp;
        return 0;
    }
    const bool known = !args.empty() && (args[0] == "check" || args[0] == "table" || args[0] == "rewrite" ||
                                         args[0] == "standings");
    Options options;
    if (!known || !ParseOptions(args, options)) {
        err << kUsage << '\n';
        return 2;
    }
    CTournamentDoc doc;
    if (!Load(options.file, doc, err))
        return 1;
    const std::size_t rounds = doc.Tournament().m_rounds.size();
    if (options.after > rounds) {
        err << "ravelmark-tool: --after " << options.after << ": " << options.file << " has " << rounds
            << (rounds == 1 ? " round\n" : " rounds\n");
        return 2;
    }
    const std::string& command = args[0];
    if (command == "table")
        return Table(doc, options.open, options.after, err);
    if (command == "rewrite")
        return Rewrite(doc, err);
    if (command == "standings")
        return Standings(doc, options, out);
    return Check(doc.Tournament(), out);
}

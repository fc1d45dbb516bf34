// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Tool.h"

#include "files/NameMatch.h"
#include "files/TournamentFile.h"
#include "model/Encoding.h"
#include "model/Messages.h"
#include "model/Reader.h"
#include "report/StandingsView.h"

#include <QFile>
#include <QProcess>

#include <charconv>
#include <filesystem>
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

// Built-in texts are Windows-1252; the terminal wants UTF-8.
std::string Message(const char* windows1252)
{
    return ToUtf8(windows1252, TextEncoding::Windows1252);
}

struct Loaded
{
    CTournament tournament;
    QString path;
    QDateTime lastModified;
};

// Prints what went wrong, in UTF-8 (the refused line from the file's encoding); the exit code.
int Present(const CFileResult& result, TextEncoding encoding, std::ostream& err)
{
    switch (result.m_kind) {
    case CFileResult::Done:
        return 0;
    case CFileResult::Refused:
        err << ToUtf8(LinePrefix(result.m_lineNo, result.m_line), encoding) << Message(result.m_message.c_str());
        break;
    case CFileResult::FileError:
        err << Utf8(result.m_error.ReportText());
        break;
    case CFileResult::CannotOpen:
        err << Message(msg::kCannotOpen) << Utf8(result.m_path);
        break;
    case CFileResult::CannotCreate:
        err << Message(msg::kCannotCreate) << Utf8(result.m_path);
        break;
    }
    err << '\n';
    return 1;
}

// Reads FILE as choosing it in the program does; prints the refusal and returns false.
bool Load(const std::string& file, Loaded& loaded, std::ostream& err)
{
    CLoadedTournament read;
    const CFileResult result = LoadTournamentFile(QFile::decodeName(QByteArray::fromStdString(file)), read);
    loaded.tournament = std::move(read.m_tournament);
    loaded.path = read.m_path;
    loaded.lastModified = read.m_lastModified;
    return Present(result, loaded.tournament.m_encoding, err) == 0;
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
int Table(Loaded& loaded, bool open, std::size_t rounds, std::ostream& err)
{
    QString pagePath;
    const CFileResult result = WriteStandingsPage(
        loaded.path, CStandingsView(loaded.tournament, rounds == 0 ? kAllRounds : rounds), pagePath);
    if (result.Ok() && open)
        OpenPage(pagePath, err);
    return Present(result, loaded.tournament.m_encoding, err);
}

int Rewrite(Loaded& loaded, std::ostream& err)
{
    return Present(SaveTournamentFile(loaded.tournament, loaded.path, loaded.lastModified),
                   loaded.tournament.m_encoding, err);
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

int Standings(const CTournament& tournament, const Options& options, std::ostream& out)
{
    const CStandingsView view(tournament, options.after == 0 ? SIZE_MAX : options.after);
    switch (options.format) {
    case Format::Text:
        out << StandingsText(view);
        break;
    case Format::Csv:
        out << StandingsCsv(view);
        break;
    case Format::Json:
        out << StandingsJson(view);
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
    Loaded loaded;
    if (!Load(options.file, loaded, err))
        return 1;
    const std::size_t rounds = loaded.tournament.m_rounds.size();
    if (options.after > rounds) {
        err << "ravelmark-tool: --after " << options.after << ": " << options.file << " has " << rounds
            << (rounds == 1 ? " round\n" : " rounds\n");
        return 2;
    }
    const std::string& command = args[0];
    if (command == "table")
        return Table(loaded, options.open, options.after, err);
    if (command == "rewrite")
        return Rewrite(loaded, err);
    if (command == "standings")
        return Standings(loaded.tournament, options, out);
    return Check(loaded.tournament, out);
}

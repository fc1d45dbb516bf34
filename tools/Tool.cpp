#include "Tool.h"

#include "Encoding.h"
#include "Messages.h"
#include "Reader.h"
#include "ReportOpener.h"
#include "Standings.h"
#include "Text.h"
#include "TournamentFile.h"

#include <QFile>

#include <algorithm>
#include <ostream>

namespace {

const char* const kUsage = "usage: ravelmark-tool {check|table [--open]|rewrite|standings} FILE";

const char* const kHelp =
    "usage: ravelmark-tool COMMAND FILE\n"
    "\n"
    "Reads a tournament file as Ravelmark does and works on it without the window.\n"
    "\n"
    "  check FILE         report the first line the reader refuses (exit 1), else nothing\n"
    "  table FILE         write the standings page FILE.htm beside FILE\n"
    "  table FILE --open  also open the page in the desktop's browser\n"
    "  rewrite FILE       save FILE as the program does on close: backup, then new file\n"
    "  standings FILE     print the ranked standings as a plain-text table\n"
    "  --help             show this text\n"
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
    CStandings standings;
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
    if (Present(result, loaded.tournament.m_encoding, err) != 0)
        return false;
    loaded.tournament.AddToStandings(loaded.standings);
    return true;
}

// Shows the page as the window's "Skapa Tabell" does, which reports nothing; here a line says
// so when no program could be started.
void OpenPage(const QString& path, std::ostream& err)
{
    if (OpenReportWithoutWindow(path) != ReportOpened::NotOpened)
        return;
    err << "ravelmark-tool: no program to open " << Utf8(path) << '\n';
}

int Table(Loaded& loaded, bool open, std::ostream& err)
{
    QString pagePath;
    const CFileResult result = WriteStandingsPage(loaded.path, loaded.tournament, pagePath);
    if (result.Ok() && open)
        OpenPage(pagePath, err);
    return Present(result, loaded.tournament.m_encoding, err);
}

int Rewrite(Loaded& loaded, std::ostream& err)
{
    return Present(SaveTournamentFile(loaded.tournament, loaded.path, loaded.lastModified),
                   loaded.tournament.m_encoding, err);
}

// Pads to `width` characters (code points of UTF-8).
std::string Pad(const std::string& text, std::size_t width, bool right)
{
    const std::size_t length = TextLength(text, TextEncoding::Utf8);
    const std::string fill(width > length ? width - length : 0, ' ');
    return right ? fill + text : text + fill;
}

int Standings(Loaded& loaded, std::ostream& out)
{
    CStandings& standings = loaded.standings;
    standings.BuildRanking();
    const CTournament& tournament = loaded.tournament;
    const std::size_t rounds = tournament.m_rounds.size();

    // Cells as the page shows them, with empty cells for "&nbsp;".
    std::vector<std::vector<std::string>> table;
    std::vector<std::string> header = {"Plac", "Namn", "Summa"};
    for (const CRound& round : tournament.m_rounds)
        header.push_back(ToUtf8(round.m_name, tournament.m_encoding));
    header.push_back("Antal");
    table.push_back(header);
    std::int64_t previousTotal = 0;
    for (std::size_t i = 0; i < standings.m_ranking.size(); ++i) {
        const CPlayerRow& row = standings.m_rows[static_cast<std::size_t>(standings.m_ranking[i])];
        std::vector<std::string> cells;
        cells.push_back(i == 0 || row.m_total != previousTotal ? std::to_string(i + 1) : "");
        previousTotal = row.m_total;
        cells.push_back(ToUtf8(row.m_name, tournament.m_encoding));
        cells.push_back(std::to_string(row.m_total));
        for (std::size_t k = 0; k < rounds; ++k)
            cells.push_back(k < row.m_roundPoints.size() && row.m_roundPoints[k] > 0
                                ? std::to_string(row.m_roundPoints[k])
                                : "");
        cells.push_back(std::to_string(row.m_roundsPlayed));
        table.push_back(std::move(cells));
    }
    std::vector<std::size_t> widths(header.size(), 0);
    for (const auto& cells : table) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], TextLength(cells[c], TextEncoding::Utf8));
    }
    for (const auto& cells : table) {
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                line += "  ";
            line += Pad(cells[c], widths[c], c != 1);
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << '\n';
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
    std::vector<std::string> words = args;
    // "--open" goes with "table", before or after its file.
    const auto option = std::find(words.begin(), words.end(), std::string("--open"));
    const bool open = !words.empty() && words[0] == "table" && option != words.end();
    if (open)
        words.erase(option);
    const bool known = words.size() == 2 && (words[0] == "check" || words[0] == "table" ||
                                             words[0] == "rewrite" || words[0] == "standings");
    if (!known) {
        err << kUsage << '\n';
        return 2;
    }
    Loaded loaded;
    if (!Load(words[1], loaded, err))
        return 1;
    if (words[0] == "table")
        return Table(loaded, open, err);
    if (words[0] == "rewrite")
        return Rewrite(loaded, err);
    if (words[0] == "standings")
        return Standings(loaded, out);
    return 0;
}

#include "Tool.h"

#include "Encoding.h"
#include "Messages.h"
#include "Reader.h"
#include "Standings.h"
#include "Text.h"
#include "TextFile.h"
#ifdef RAVELMARK_HAS_SHELL
#include "ReportShell.h"
#endif

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

// Reads FILE as choosing it in the program does; prints the refusal and returns false.
bool Load(const std::string& file, Loaded& loaded, std::ostream& err)
{
    CTextFileReader reader;
    const QString path = QFile::decodeName(QByteArray::fromStdString(file));
    if (!reader.Open(path)) {
        err << Message(msg::kCannotOpen) << file << '\n';
        return false;
    }
    loaded.path = reader.FilePath();
    loaded.lastModified = reader.LastModified();
    std::string bytes;
    CFileError error;
    if (!reader.ReadAll(bytes, error)) {
        err << Utf8(error.ReportText()) << '\n';
        return false;
    }
    std::string line;
    int lineNo = 0;
    std::string message;
    if (!ParseTournament(bytes, loaded.tournament, line, lineNo, message)) {
        err << ToUtf8(LinePrefix(lineNo, line), loaded.tournament.m_encoding) << Message(message.c_str()) << '\n';
        return false;
    }
    AddToStandings(loaded.standings, loaded.tournament);
    return true;
}

// Shows the page as the window's "Skapa Tabell" does, which reports nothing; here a line says
// so when no program could be started.
void OpenPage(const QString& path, std::ostream& err)
{
#ifdef RAVELMARK_HAS_SHELL
    if (OpenReportWithoutWindow(path) != ReportOpened::NotOpened)
        return;
#endif
    err << "ravelmark-tool: no program to open " << Utf8(path) << '\n';
}

int Table(Loaded& loaded, bool open, std::ostream& err)
{
    CStandings& standings = loaded.standings;
    QString reportPath;
    CTextFileWriter out;
    if (!ReportPath(loaded.path, reportPath) || !out.Create(reportPath, CTextFileWriter::Mode::Replace)) {
        err << Message(msg::kCannotCreate) << Utf8(reportPath) << '\n';
        return 1;
    }
    standings.BuildRanking();
    standings.WriteHtml(out, loaded.tournament);
    CFileError error;
    if (!out.Close(error)) {
        err << Utf8(error.ReportText()) << '\n';
        return 1;
    }
    if (open)
        OpenPage(out.FilePath(), err);
    return 0;
}

int Rewrite(Loaded& loaded, std::ostream& err)
{
    const int width = loaded.standings.LongestNameLength(loaded.tournament);
    return SaveTournament(loaded.tournament, width, loaded.path, loaded.lastModified, err);
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
        cells.push_back(ToUtf8(tournament.PlayerName(row.m_player), tournament.m_encoding));
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

int SaveTournament(CTournament& tournament, int width, const QString& path, const QDateTime& lastModified,
                   std::ostream& err)
{
    TrimSpaces(tournament.m_title);
    if (tournament.m_title.empty()) {
        err << Message(msg::kEmptyTournamentName) << '\n';
        return 1;
    }
    CTextFileWriter out;
    CFileError error;
    switch (SaveTournamentFile(out, path, lastModified, [&] { tournament.Write(out, width); }, error)) {
    case SaveStatus::Saved:
        return 0;
    case SaveStatus::CannotCreate:
        err << Message(msg::kCannotCreate) << Utf8(path) << '\n';
        return 1;
    case SaveStatus::Failed:
        break;
    }
    err << Utf8(error.ReportText()) << '\n';
    return 1;
}

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

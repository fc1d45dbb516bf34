// SPDX-License-Identifier: GPL-3.0-or-later
// new and rename: the commands that make a tournament from another's players, or rename one.
#include "files/RulesFile.h"
#include "files/TournamentFile.h"
#include "model/PlayerRename.h"
#include "model/Text.h"
#include "model/TournamentEncoding.h"
#include "tools/Commands.h"
#include "tools/Terminal.h"

#include <ostream>

namespace {

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
        return Present(doc.SetClubPlayers(players, {{ToUtf8(from, doc.Encoding()), ToUtf8(to, doc.Encoding())}}),
                       doc.Encoding(), err);
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

} // namespace

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

// SPDX-License-Identifier: GPL-3.0-or-later
// history, diff, restore and move: the commands on a tournament's versions and its rounds' order.
#include "files/TournamentFile.h"
#include "files/Versions.h"
#include "model/Difference.h"
#include "tools/Commands.h"
#include "tools/Terminal.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace {

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

} // namespace

int RunHistoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const std::string& command = args[0];
    if (command == "move")
        return Move(args, err);
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

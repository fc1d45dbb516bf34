// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RulesFile.h"

#include "files/TextFile.h"
#include "files/TournamentFile.h"
#include "model/Encoding.h"
#include "report/Handicap.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace {

enum class Read { Absent, Done, Failed };

Read ReadWhole(const QString& path, std::string& text)
{
    QFile file(path);
    if (!file.exists() && !QFileInfo(path).isSymLink())
        return Read::Absent;
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir())
        return Read::Failed;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Read::Failed;
    text = bytes.toStdString();
    return Read::Done;
}

// The file beside the tournament with `ending`, unless that is the tournament file itself.
bool SidecarPath(const QString& tournamentPath, const std::string& ending, QString& path)
{
    if (tournamentPath.isEmpty())
        return false;
    path = ChangeExtension(tournamentPath, ending);
    return QFileInfo(path) != QFileInfo(tournamentPath);
}

// Reads a file beside the tournament with `parse`; refused lines named as the rules file's.
template <typename Value, typename Parse>
CFileResult LoadSidecar(const QString& path, Value& value, Parse parse)
{
    std::string text;
    CFileResult result;
    switch (ReadWhole(path, text)) {
    case Read::Absent:
        return result;
    case Read::Failed:
        result.m_kind = CFileResult::CannotOpen;
        result.m_path = path;
        return result;
    case Read::Done:
        break;
    }
    CRulesRefusal refusal;
    if (!parse(text, value, refusal)) {
        value = Value();
        result.m_kind = CFileResult::RulesRefused;
        result.m_lineNo = refusal.m_lineNo;
        result.m_line = refusal.m_line;
        result.m_message = refusal.m_message;
        result.m_path = QFileInfo(path).fileName();
    }
    return result;
}

// Writes the file beside the tournament with `ending` as the window sets it: removed when
// `empty`, else replaced whole by the text `write(previous)` makes, where `previous` is the
// file's text when `parse` takes it (its comments stay), else empty (a refused file is set anew).
// One that cannot be read is left as it is: its comments are not ours to drop.
template <typename Value, typename Parse, typename Write>
CFileResult SaveSidecar(const QString& tournamentPath, const std::string& ending, bool empty, Parse parse, Write write)
{
    QString path;
    CFileResult result;
    if (!SidecarPath(tournamentPath, ending, path)) {
        result.m_kind = CFileResult::CannotCreate;
        result.m_path = path;
        return result;
    }
    if (empty)
        return RemoveSidecar(path);
    std::string previous;
    Value old;
    CRulesRefusal refusal;
    if (ReadWhole(path, previous) == Read::Failed) {
        result.m_kind = CFileResult::CannotOpen;
        result.m_path = path;
        return result;
    }
    if (!parse(previous, old, refusal))
        previous.clear();
    return ReplaceFile(path, write(previous));
}

// With a handicap in the old season, each player who played the rounds it asks for starts the
// new one with the average those rounds gave ("[snitt N]"): its fraction dropped where the old
// rules drop the average's, else rounded to the nearest. Another player keeps the start value
// the old season gave.
void CarryAverages(const CTournament& old, const CSeriesRules& rules, CClubPlayers& players)
{
    if (!rules.m_handicap.m_on)
        return;
    const CHandicapTable table(old, rules.m_handicap, HandicapLowerBetter(rules), StartValuesOf(players, old));
    for (PlayerId id = 0; id < old.m_players.Size(); ++id) {
        const CHandicap handicap = table.Explain(id, old.m_rounds.size()).m_handicap;
        if (handicap.m_source != CHandicap::Average)
            continue;
        const std::int64_t sum = handicap.m_sum, count = handicap.m_count;
        const std::int64_t average = rules.m_handicap.m_averageFloor ? sum / count : (2 * sum + count) / (2 * count);
        SetStartValue(players, ToUtf8(old.PlayerName(id), old.m_encoding),
                      {CStartValue::Average, static_cast<int>(std::min<std::int64_t>(average, CStartValue::kLargest))});
    }
}

} // namespace

CFileResult RemoveSidecar(const QString& path)
{
    CFileResult result;
    if (::unlink(ToLocal8(path).c_str()) != 0 && errno != ENOENT) {
        result.m_kind = CFileResult::FileError;
        result.m_error = CFileError{CauseOf(errno), path};
        return result;
    }
    SyncFolder(ToLocal8(QFileInfo(path).absolutePath()));
    return result;
}

bool PlayersPath(const QString& tournamentPath, QString& playersPath)
{
    return SidecarPath(tournamentPath, ".spelare", playersPath);
}

CFileResult LoadPlayersFile(const QString& tournamentPath, CClubPlayers& players)
{
    players = CClubPlayers();
    QString path;
    if (!PlayersPath(tournamentPath, path))
        return {};
    return LoadSidecar(path, players, ParseClubPlayers);
}

CFileResult SavePlayersFile(const QString& tournamentPath, const CClubPlayers& players, const CRenamedNames& renamed)
{
    return SaveSidecar<CClubPlayers>(
        tournamentPath, ".spelare", players.Empty(), ParseClubPlayers,
        [&](const std::string& previous) { return ClubPlayersText(players, previous, renamed); });
}

bool RulesPath(const QString& tournamentPath, QString& rulesPath)
{
    return SidecarPath(tournamentPath, ".regler", rulesPath);
}

CFileResult LoadRulesFile(const QString& tournamentPath, CSeriesRules& rules)
{
    rules = CSeriesRules();
    QString path;
    if (!RulesPath(tournamentPath, path))
        return {};
    return LoadSidecar(path, rules, ParseSeriesRules);
}

CFileResult SaveRulesFile(const QString& tournamentPath, const CSeriesRules& rules)
{
    return SaveSidecar<CSeriesRules>(
        tournamentPath, ".regler", !rules.SetsAnything(), ParseSeriesRules,
        [&rules](const std::string& previous) { return SeriesRulesText(rules, previous); });
}

CFileResult CarryOverPlayersAndRules(const QString& tournamentPath, const QString& fromPath)
{
    CLoadedTournament from;
    CFileResult result = LoadTournamentFile(fromPath, from);
    CClubPlayers players;
    CSeriesRules rules;
    if (result.Ok())
        result = LoadPlayersFile(fromPath, players);
    if (result.Ok())
        result = LoadRulesFile(fromPath, rules);
    if (!result.Ok())
        return result;
    // Every player of the old season is known in the new one: by the average carried, or listed.
    const CTournament& old = from.m_tournament;
    CarryAverages(old, rules, players);
    std::vector<bool> listed(old.m_players.Size(), false);
    std::string name;
    for (const std::string& entry : players.AllNames()) {
        PlayerId id = 0;
        if (InTournamentEncoding(entry, old.m_encoding, name) && old.m_players.Find(name, id))
            listed[id] = true;
    }
    for (const CRound& round : old.m_rounds) {
        for (const CResult& played : round.m_results) {
            if (!listed[played.m_player]) {
                listed[played.m_player] = true;
                players.m_others.push_back(ToUtf8(old.PlayerName(played), old.m_encoding));
            }
        }
    }
    QString fromPlayers, fromRules, toPlayers, toRules;
    std::string previous, rulesText;
    if (PlayersPath(fromPath, fromPlayers))
        ReadWhole(fromPlayers, previous);
    if (!PlayersPath(tournamentPath, toPlayers) || !RulesPath(tournamentPath, toRules)) {
        result.m_kind = CFileResult::CannotCreate;
        result.m_path = tournamentPath;
        return result;
    }
    if (!players.Empty())
        result = ReplaceFile(toPlayers, ClubPlayersText(players, previous));
    if (result.Ok() && rules.SetsAnything() && RulesPath(fromPath, fromRules) &&
        ReadWhole(fromRules, rulesText) == Read::Done)
        result = ReplaceFile(toRules, rulesText);
    return result;
}

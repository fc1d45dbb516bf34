// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TournamentDoc.h"

#include "files/QtText.h"
#include "files/RulesFile.h"
#include "files/TournamentFile.h"
#include "model/Text.h"
#include "model/TournamentEncoding.h"
#include "report/GroupStandings.h"
#include "report/StandingsView.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// The bytes of the file at `path` as they are; none when it cannot be opened.
std::optional<std::string> BytesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll().toStdString();
}

} // namespace

CTournamentDoc::CTournamentDoc(QObject* parent)
    : QObject(parent)
{
}

void CTournamentDoc::Clear()
{
    m_tournament.Clear();
    m_standings.Clear();
    m_standingsInStep = true;
    m_utf8Refused = false;
    m_rules = CSeriesRules();
    m_rulesResult = CFileResult();
    m_clubPlayers = CClubPlayers();
    m_playersResult = CFileResult();
    m_registered.clear();
    emit cleared();
    SetChanged(false);
}

CFileResult CTournamentDoc::Read(const QString& path, std::vector<CReadNote>* notes)
{
    Clear();
    CLoadedTournament loaded;
    CFileResult result = LoadTournamentFile(path, loaded, notes);
    if (result.m_kind != CFileResult::CannotOpen) {
        m_path = loaded.m_path;
        m_fileStatus = loaded.m_status;
        m_tournament = std::move(loaded.m_tournament);
        m_snapshot.reset();
        Rewatch();
        ReloadRules();
        ReloadPlayers();
        emit namesRead();
    }
    // The rounds before a refused line stay, for a later change to build on; the standings
    // are filled only from a file read whole.
    if (result.Ok())
        RebuildStandings();
    else
        m_standingsInStep = m_tournament.m_rounds.empty();
    return result;
}

void CTournamentDoc::Recover(CTournament tournament)
{
    m_tournament = std::move(tournament);
    m_utf8Refused = false;
    RegisterClubPlayers();
    emit cleared();
    RebuildStandings();
    SetChanged(true);
}

void CTournamentDoc::SetTitle(std::string title)
{
    m_tournament.m_title = std::move(title);
    SetChanged(true);
}

void CTournamentDoc::AddRound(CRound round)
{
    m_tournament.AddRound(std::move(round));
    // The last round only adds to what the others gave: no rebuild from the first round on.
    if (m_standingsInStep) {
        AddToStandings(m_standings, m_tournament.m_rounds.back());
        emit standingsChanged();
    } else {
        RebuildStandings();
    }
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::ReplaceRound(std::size_t index, CRound round)
{
    CRound& stored = m_tournament.m_rounds[index];
    // The standings hang on the results alone, not on the round's name.
    const bool resultsChanged = stored.m_results != round.m_results;
    stored = std::move(round);
    if (resultsChanged || !m_standingsInStep)
        RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::RemoveRound(std::size_t index)
{
    m_tournament.m_rounds.erase(m_tournament.m_rounds.begin() + static_cast<std::ptrdiff_t>(index));
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::InsertRound(std::size_t index, CRound round)
{
    m_tournament.m_rounds.insert(m_tournament.m_rounds.begin() + static_cast<std::ptrdiff_t>(index), std::move(round));
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

CRound CTournamentDoc::TakeRound(std::size_t index)
{
    CRound round = std::move(m_tournament.m_rounds[index]);
    RemoveRound(index);
    return round;
}

void CTournamentDoc::MoveRound(std::size_t from, std::size_t to)
{
    auto& rounds = m_tournament.m_rounds;
    const auto at = [&](std::size_t i) { return rounds.begin() + static_cast<std::ptrdiff_t>(i); };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
    // The standings' rows and the later rounds' order ("senaste", the struck scores) follow it.
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::ChangeRound(std::size_t index, const CRoundDelta& delta, bool undo)
{
    CRound& round = m_tournament.m_rounds[index];
    undo ? delta.Undo(round) : delta.Redo(round);
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::SwapTournament(CTournament& other)
{
    std::swap(m_tournament, other);
    RegisterClubPlayers();
    // Other players under the same ids: whatever lists names starts afresh.
    emit namesReplaced();
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::SwapText(CTournamentText& text)
{
    ::SwapText(m_tournament, text);
    RegisterClubPlayers();
    emit namesReplaced();
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::SetWorkingRound(const CRound* round, std::size_t replaces)
{
    m_working = round;
    m_workingReplaces = replaces;
    m_snapshot.reset();
}

bool CTournamentDoc::WorkingRoundDiffers() const
{
    if (!m_working)
        return false;
    if (m_workingReplaces >= m_tournament.m_rounds.size())
        return !m_working->m_results.empty();
    const CRound& stored = m_tournament.m_rounds[m_workingReplaces];
    std::string name = m_working->m_name;
    NormalizeName(name);
    return name != stored.m_name || m_working->m_results != stored.m_results;
}

CTournament CTournamentDoc::WithWorkingRound() const
{
    CTournament tournament = m_tournament;
    if (!m_working)
        return tournament;
    const bool added = m_workingReplaces >= tournament.m_rounds.size();
    if (added && m_working->m_results.empty())
        return tournament;
    CRound round = *m_working;
    // A file cannot hold a round without its name line.
    NormalizeName(round.m_name);
    if (round.m_name.empty() && !round.m_results.empty())
        round.m_name =
            FromQString(QStringLiteral("Omgång %1").arg((added ? tournament.m_rounds.size() : m_workingReplaces) + 1),
                        tournament.m_encoding);
    if (added)
        tournament.m_rounds.push_back(std::move(round));
    else
        tournament.m_rounds[m_workingReplaces] = std::move(round);
    return tournament;
}

PlayerId CTournamentDoc::AddPlayer(std::string_view name)
{
    m_snapshot.reset();
    return m_tournament.AddPlayer(name);
}

void CTournamentDoc::ConvertToUtf8(bool byteOrderMark)
{
    ::ConvertToUtf8(m_tournament, byteOrderMark);
    m_snapshot.reset();
    emit edited();
}

std::shared_ptr<const CTournament> CTournamentDoc::Snapshot()
{
    if (!m_snapshot)
        m_snapshot = std::make_shared<const CTournament>(WithWorkingRound());
    return m_snapshot;
}

const CStandings& CTournamentDoc::RankedStandings()
{
    m_standings.BuildRanking();
    return m_standings;
}

CFileResult CTournamentDoc::WritePage(QString& pagePath, std::size_t rounds)
{
    return WritePage(pagePath, rounds, {});
}

CFileResult CTournamentDoc::WritePage(QString& pagePath, std::size_t rounds, const std::string& onlyClass)
{
    return WritePageOf(m_tournament, pagePath, rounds, onlyClass);
}

CFileResult CTournamentDoc::WritePageOf(const CTournament& tournament, QString& pagePath, std::size_t rounds,
                                        const std::string& onlyClass)
{
    // A rules file mended since it was refused counts at once; one still refused stops the page.
    if (!ReloadRules().Ok())
        return m_rulesResult;
    if (!ReloadPlayers().Ok())
        return m_playersResult;
    // The open tournament's standings are kept up to date; another one counts its own.
    const bool own = rounds >= tournament.m_rounds.size() && &tournament == &m_tournament;
    const std::optional<CStandingsView> view =
        own ? std::optional<CStandingsView>(std::in_place, tournament, RankedStandings(), m_rules, &m_clubPlayers)
            : std::optional<CStandingsView>(std::in_place, tournament, m_rules, rounds, &m_clubPlayers);
    std::optional<CGroupStandings> groups;
    if (m_clubPlayers.SetsGroups())
        groups.emplace(tournament, m_clubPlayers, m_rules, rounds, view->SharedCounting());
    if (groups && !onlyClass.empty() && groups->ClassIndex(onlyClass) >= 0)
        groups->ShowOnlyClass(static_cast<std::size_t>(groups->ClassIndex(onlyClass)));
    return WriteStandingsPage(m_path, *view, pagePath, groups ? &*groups : nullptr);
}

const CFileResult& CTournamentDoc::ReloadPlayers()
{
    m_playersResult = LoadPlayersFile(m_path, m_clubPlayers);
    RegisterClubPlayers();
    return m_playersResult;
}

void CTournamentDoc::RegisterClubPlayers()
{
    m_registered.clear();
    std::string name;
    for (const std::string& entry : m_clubPlayers.AllNames()) {
        if (InTournamentEncoding(entry, m_tournament.m_encoding, name) && !name.empty())
            m_registered.push_back(m_tournament.AddPlayer(name));
    }
}

CFileResult CTournamentDoc::SetClubPlayers(const CClubPlayers& players, const CRenamedNames& renamed)
{
    if (players == m_clubPlayers && m_playersResult.Ok())
        return {};
    CFileResult result = SavePlayersFile(m_path, players, renamed);
    if (result.Ok()) {
        m_clubPlayers = players;
        m_playersResult = CFileResult();
        RegisterClubPlayers();
        emit edited();
        // The names it knows are offered as players.
        emit standingsChanged();
    }
    return result;
}

std::optional<std::string> CTournamentDoc::PlayersFileBytes() const
{
    QString path;
    return PlayersPath(m_path, path) ? BytesOf(path) : std::nullopt;
}

CFileResult CTournamentDoc::PutPlayersFile(const std::optional<std::string>& bytes)
{
    QString path;
    CFileResult result;
    if (!PlayersPath(m_path, path))
        result.m_kind = CFileResult::CannotCreate;
    else
        result = bytes ? ReplaceFile(path, *bytes) : RemoveSidecar(path);
    ReloadPlayers();
    emit edited();
    emit standingsChanged();
    return result;
}

CPlayerRename CTournamentDoc::RenamePlayer(PlayerId from, PlayerId to)
{
    CPlayerRename rename = ::RenamePlayer(m_tournament, from, to);
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
    return rename;
}

void CTournamentDoc::ApplyRename(const CPlayerRename& rename, bool undo)
{
    ::ApplyRename(m_tournament, rename, undo);
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

CFileResult CTournamentDoc::RefreshPage()
{
    QString page;
    std::optional<CTournament> saved = std::exchange(m_savedAs, std::nullopt);
    if (!ReportPath(m_path, page) || !QFileInfo::exists(page))
        return {};
    // The page of the file as it will be read again, so that it is the page the next start makes.
    return WritePageOf(saved ? *saved : m_tournament, page, SIZE_MAX, {});
}

const CFileResult& CTournamentDoc::ReloadRules()
{
    m_rulesResult = LoadRulesFile(m_path, m_rules);
    return m_rulesResult;
}

CFileResult CTournamentDoc::SetRules(const CSeriesRules& rules)
{
    if (rules == m_rules && m_rulesResult.Ok())
        return {};
    CFileResult result = ReplaceRulesFile([&](const QString&) { return SaveRulesFile(m_path, rules); });
    if (result.Ok()) {
        m_rules = rules;
        m_rulesResult = CFileResult();
        emit edited();
    }
    return result;
}

std::optional<std::string> CTournamentDoc::RulesFileBytes() const
{
    QString path;
    return RulesPath(m_path, path) ? BytesOf(path) : std::nullopt;
}

CFileResult CTournamentDoc::PutRulesFile(const std::optional<std::string>& bytes)
{
    const CFileResult result =
        ReplaceRulesFile([&](const QString& path) { return bytes ? ReplaceFile(path, *bytes) : RemoveSidecar(path); });
    ReloadRules();
    emit edited();
    return result;
}

CFileResult CTournamentDoc::ReplaceRulesFile(const std::function<CFileResult(const QString& path)>& write)
{
    QString path;
    CFileResult result;
    if (!RulesPath(m_path, path)) {
        result.m_kind = CFileResult::CannotCreate;
        return result;
    }
    // The version replaced is kept first, as a save keeps the tournament's: a second name of the
    // old file, named from its last modification (counted within one second).
    QString kept;
    if (const QFileInfo old(path); old.isFile()) {
        kept = ChangeExtension(BackupName(m_path, old.lastModified()), ".regler.bak");
        if (const int error = KeepBackup(path, kept); error != 0) {
            result.m_kind = CFileResult::FileError;
            result.m_error = CFileError{CauseOf(error), path};
            return result;
        }
    }
    result = write(path);
    // Nothing of a replace that failed stays: the old file is still in place.
    if (!result.Ok() && !kept.isEmpty())
        QFile::remove(kept);
    return result;
}

CFileResult CTournamentDoc::Save(bool anew)
{
    m_savedAs.emplace();
    CFileResult result = SaveTournamentFile(m_tournament, m_path, anew, &*m_savedAs);
    m_snapshot.reset(); // the title trimmed
    if (!result.Ok())
        m_savedAs.reset();
    if (result.Ok()) {
        // What is on disk now is this tournament: later changes are measured from it.
        ReadFileStatus(m_path, m_fileStatus);
        Rewatch();
        SetChanged(false);
    }
    return result;
}

CTournamentDoc::DiskState CTournamentDoc::FileOnDisk() const
{
    CFileStatus now;
    if (m_fileStatus.m_size < 0)
        return DiskState::Same; // nothing was read
    if (!ReadFileStatus(m_path, now))
        return DiskState::Gone;
    return now == m_fileStatus ? DiskState::Same : DiskState::Changed;
}

void CTournamentDoc::WatchFile()
{
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &CTournamentDoc::OnDiskEvent);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &CTournamentDoc::OnDiskEvent);
    Rewatch();
}

void CTournamentDoc::Rewatch()
{
    m_seen = m_fileStatus;
    if (!m_watcher)
        return;
    if (!m_watcher->files().isEmpty() || !m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->files() + m_watcher->directories());
    if (m_path.isEmpty())
        return;
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    m_watcher->addPath(m_path);
    // A change after the status was taken (a file written in place while it was read) may have
    // raised its event on the watch just removed: looked for once more, now that the watch is in place.
    QMetaObject::invokeMethod(this, &CTournamentDoc::OnDiskEvent, Qt::QueuedConnection);
}

void CTournamentDoc::OnDiskEvent()
{
    // A file put in place by a rename is a new one: the old watch went with the old file. The
    // folder's event may come before the old watch is gone and the file's after it, when the
    // new status has been seen already: so the watch is renewed on every event.
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
    CFileStatus now;
    if (!ReadFileStatus(m_path, now) || now == m_seen)
        return;
    m_seen = now;
    emit fileChangedOnDisk();
}

void CTournamentDoc::RebuildStandings()
{
    m_standings.Clear();
    AddToStandings(m_standings, m_tournament);
    m_standingsInStep = true;
    emit standingsChanged();
}

void CTournamentDoc::SetChanged(bool changed)
{
    // Every change of the tournament ends here (a save, which may trim the title, too).
    m_snapshot.reset();
    if (changed)
        emit edited();
    if (changed == m_changed)
        return;
    m_changed = changed;
    emit changedFlagChanged(changed);
}
